// zelvo-data DIR                          writes the default data pack into DIR
// zelvo-data --contact-sheet FILE.png DIR  also writes a contact sheet of its pictures
// zelvo-data --frame-sheet FILE.png FRAME.png LABEL [FRAME.png LABEL ...]
//                                          writes a sheet of frames of the show, each over its label
// zelvo-data --icon FILE.png               writes the program's icon
#include <cstdio>
#include <cstring>
#include <string>

#include "datagen.h"

static int usage() {
    std::fprintf(stderr,
                 "usage: zelvo-data [--contact-sheet FILE.png] DIR\n"
                 "       zelvo-data --frame-sheet FILE.png FRAME.png LABEL [FRAME.png LABEL ...]\n"
                 "       zelvo-data --icon FILE.png\n");
    return 2;
}

static int frame_sheet(int argc, char** argv) {
    if (argc < 5 || argc % 2 != 1) return usage();
    std::vector<SheetFrame> frames;
    for (int i = 3; i + 1 < argc; i += 2) frames.push_back({argv[i], argv[i + 1]});
    std::string error;
    if (!write_frame_sheet(argv[2], frames, &error)) {
        std::fprintf(stderr, "zelvo-data: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

static int icon(int argc, char** argv) {
    if (argc != 3) return usage();
    std::string error;
    if (!write_icon(argv[2], &error)) {
        std::fprintf(stderr, "zelvo-data: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--frame-sheet") == 0) return frame_sheet(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--icon") == 0) return icon(argc, argv);
    std::string sheet;
    std::string dir;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--contact-sheet") == 0 && i + 1 < argc) {
            sheet = argv[++i];
        } else if (argv[i][0] == '-' || !dir.empty()) {
            return usage();
        } else {
            dir = argv[i];
        }
    }
    if (dir.empty()) return usage();
    std::string error;
    if (!write_data_pack(dir, &error) || !write_soundtrack(dir, &error) ||
        (!sheet.empty() && !write_contact_sheet(sheet, dir, &error))) {
        std::fprintf(stderr, "zelvo-data: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

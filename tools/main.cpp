// zelvo-data DIR                          writes the default data pack into DIR
// zelvo-data --contact-sheet FILE.png DIR  also writes a contact sheet of its pictures
#include <cstdio>
#include <cstring>
#include <string>

#include "datagen.h"

static int usage() {
    std::fprintf(stderr, "usage: zelvo-data [--contact-sheet FILE.png] DIR\n");
    return 2;
}

int main(int argc, char** argv) {
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

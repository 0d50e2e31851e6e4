// Reading a data file whole.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "resources/resources.h"

std::string shown_path(const std::string& path) {
    std::string shown;
    for (char c : path)
        if (c != '/' || shown.empty() || shown.back() != '/') shown += c;
    return shown;
}

bool read_whole_file(const char* path, size_t limit, std::vector<uint8_t>* bytes, std::string* error,
                     bool* opened) {
    bytes->clear();
    std::FILE* file = std::fopen(path, "rb");
    if (opened) *opened = file != nullptr;
    if (!file) {
        *error = std::strerror(errno);
        return false;
    }
    bool ok = false;
    struct stat status;
    if (fstat(fileno(file), &status) != 0) {
        *error = std::strerror(errno);
    } else if (!S_ISREG(status.st_mode)) {
        // A folder opens like a file here, and its "size" means nothing.
        *error = "not a regular file";
    } else if (static_cast<unsigned long long>(status.st_size) > limit) {
        *error = "larger than " + std::to_string(limit) + " bytes";
    } else {
        bytes->resize(static_cast<size_t>(status.st_size));
        errno = 0;
        const size_t got = bytes->empty() ? 0 : std::fread(bytes->data(), 1, bytes->size(), file);
        if (got == bytes->size()) {
            ok = true;
        } else {
            *error = std::ferror(file) && errno != 0 ? std::strerror(errno) : "the file ended early";
            bytes->clear();
        }
    }
    std::fclose(file);
    return ok;
}

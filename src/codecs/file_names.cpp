// File names: UTF-8 in every layer, on every system. On Windows the narrow C
// runtime and std::filesystem read a narrow name in the ANSI code page (and
// std::filesystem writes one back as UTF-8), so a name goes in through the
// wide-character calls instead.
#include <cstdio>
#include <filesystem>
#include <string>

#include "codecs/codecs.h"

std::filesystem::path file_path(const std::string& name) {
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

std::FILE* open_file(const std::string& name, const char* mode) {
#ifdef _WIN32
    const std::wstring wide_mode(mode, mode + std::char_traits<char>::length(mode));
    return _wfopen(file_path(name).c_str(), wide_mode.c_str());
#else
    return std::fopen(name.c_str(), mode);
#endif
}

std::string file_name_text(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

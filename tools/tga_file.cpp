// TGA encoding for the generated pictures, and writing the data pack's files.
#include "tga_file.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

static uint8_t to_byte(float v) {
    return static_cast<uint8_t>(std::lround(clamp01(v) * 255.0f));
}

std::vector<uint8_t> encode_tga(const Image& img) {
    std::vector<uint8_t> out(tga_header_size + static_cast<size_t>(img.width) * img.height * 3, 0);
    out[2] = 2;  // uncompressed true colour
    out[12] = static_cast<uint8_t>(img.width & 0xFF);
    out[13] = static_cast<uint8_t>(img.width >> 8);
    out[14] = static_cast<uint8_t>(img.height & 0xFF);
    out[15] = static_cast<uint8_t>(img.height >> 8);
    out[16] = 24;
    out[17] = 0;  // origin at the lower left: the file starts with the bottom row
    uint8_t* p = out.data() + tga_header_size;
    for (int y = img.height - 1; y >= 0; --y)
        for (int x = 0; x < img.width; ++x) {
            const float* c = img.at(x, y);
            *p++ = to_byte(c[2]);
            *p++ = to_byte(c[1]);
            *p++ = to_byte(c[0]);
        }
    return out;
}

static bool fail(std::string* error, const std::string& text) {
    *error = text;
    return false;
}

static bool write_bytes(const std::string& path, const void* data, size_t size, std::string* error) {
    std::error_code ec;
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent, ec);
    if (ec) return fail(error, parent.string() + ": cannot create folder: " + ec.message());
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return fail(error, path + ": " + std::strerror(errno));
    bool ok = std::fwrite(data, 1, size, f) == size;
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) return fail(error, path + ": write failed");
    return true;
}

bool write_file(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error) {
    return write_bytes(path, bytes.data(), bytes.size(), error);
}

bool write_file(const std::string& path, const std::string& text, std::string* error) {
    return write_bytes(path, text.data(), text.size(), error);
}

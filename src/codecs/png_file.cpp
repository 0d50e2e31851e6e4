// PNG files: the one writer for captured frames and the generator's sheets, and
// the one reader for the tests and the sheets. Pure and free of GL, so the data
// generator links it too (the zelvo_codecs library).
#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "codecs/codecs.h"

namespace {

struct PngFile {
    FILE* file = nullptr;
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngFile() {
        if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
        if (file) std::fclose(file);
    }
};

// Writes with zlib's fastest level: a capture writes thousands of frames, and
// the bytes stay the same from run to run whatever the level. (libpng's
// simplified writer has no level to set, and writes a frame about three times
// slower.)
bool write_png_rows(PngFile& out, const uint8_t* rgb, int width, int height, RowOrder rows) {
    if (setjmp(png_jmpbuf(out.png))) return false;
    png_init_io(out.png, out.file);
    png_set_IHDR(out.png, out.info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(out.png, 1);
    png_write_info(out.png, out.info);
    const size_t stride = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        const int row = rows == RowOrder::top_first ? y : height - 1 - y;
        png_write_row(out.png, const_cast<png_bytep>(rgb + static_cast<size_t>(row) * stride));
    }
    png_write_end(out.png, out.info);
    return true;
}

bool write_png_file(const std::string& path, const uint8_t* rgb, int width, int height, RowOrder rows,
                    std::string* error) {
    PngFile out;
    out.file = open_file(path, "wb");
    if (!out.file) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    out.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (out.png) out.info = png_create_info_struct(out.png);
    errno = 0;
    if (!out.png || !out.info || !write_png_rows(out, rgb, width, height, rows) || std::fflush(out.file) != 0 ||
        std::ferror(out.file)) {
        *error = "cannot write " + path + ": " + (errno != 0 ? std::strerror(errno) : "PNG encoding failed");
        return false;
    }
    // A full disk may only show when the file is closed.
    const int closed = std::fclose(out.file);
    out.file = nullptr;
    if (closed != 0) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

bool write_png_rgb(const std::string& path, const uint8_t* rgb, int width, int height, RowOrder rows,
                   std::string* error) {
    if (write_png_file(path, rgb, width, height, rows, error)) return true;
    // No truncated picture stays behind.
    std::error_code ignored;
    std::filesystem::remove(file_path(path), ignored);
    return false;
}

std::vector<uint8_t> read_png_rgb(const std::string& path, int* width, int* height, std::string* error) {
    std::FILE* file = open_file(path, "rb");
    if (!file) {
        if (error) *error = path + ": " + std::strerror(errno);
        return {};
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::vector<uint8_t> rgb;
    bool ok = false;
    if (png_image_begin_read_from_stdio(&image, file)) {
        image.format = PNG_FORMAT_RGB;
        rgb.resize(PNG_IMAGE_SIZE(image));
        ok = png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
    }
    std::fclose(file);
    if (ok) {
        if (width) *width = static_cast<int>(image.width);
        if (height) *height = static_cast<int>(image.height);
        return rgb;
    }
    if (error) *error = path + ": " + image.message;
    png_image_free(&image);
    return {};
}

// The PNG folder sink of the headless backend, and the PNG writer it shares with tests.
#include "platform/frame_sink.h"

#include <png.h>

#include <cctype>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/codecs.h"

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
// the bytes stay the same from run to run whatever the level.
bool write_png_rows(PngFile& out, const uint8_t* rgb, int width, int height) {
    if (setjmp(png_jmpbuf(out.png))) return false;
    png_init_io(out.png, out.file);
    png_set_IHDR(out.png, out.info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(out.png, 1);
    png_write_info(out.png, out.info);
    const size_t stride = static_cast<size_t>(width) * 3;
    for (int row = height - 1; row >= 0; --row)
        png_write_row(out.png, const_cast<png_bytep>(rgb + static_cast<size_t>(row) * stride));
    png_write_end(out.png, out.info);
    return true;
}

// ---- The PNG folder ----

struct PngFolder {
    std::filesystem::path folder;
    int width = 0;
    int height = 0;
    std::string first_error;
};

PngFolder png_folder;

bool png_folder_open(const SinkSettings& settings, std::string* error) {
    const std::string& path = settings.path;
    std::error_code code;
    std::filesystem::create_directories(path, code);
    if (code || !std::filesystem::is_directory(path)) {
        *error = "cannot create the capture folder " + path + ": " +
                 (code ? code.message() : std::string("a file of that name is in the way"));
        return false;
    }
    png_folder = PngFolder{path, settings.width, settings.height, {}};
    return true;
}

// Each frame is written beside its name and renamed into place, so a frame
// under its own name is always whole.
bool png_folder_write(const uint8_t* rgb, int32_t music_ms, std::string* error) {
    const std::string name = frame_file_name(music_ms);
    const std::filesystem::path path = png_folder.folder / name;
    const std::filesystem::path partial = png_folder.folder / ("." + name + ".partial");
    bool ok = platform_write_png(partial.string(), rgb, png_folder.width, png_folder.height, error);
    if (ok) {
        std::error_code code;
        std::filesystem::rename(partial, path, code);
        if (code) {
            *error = "cannot write " + path.string() + ": " + code.message();
            std::filesystem::remove(partial, code);
            ok = false;
        }
    }
    if (!ok && png_folder.first_error.empty()) png_folder.first_error = *error;
    return ok;
}

bool png_folder_finish(std::string* error) {
    if (png_folder.first_error.empty()) return true;
    *error = png_folder.first_error;
    return false;
}

void png_folder_take_soundtrack(const DecodedAudio&) {}

}  // namespace

const FrameSink png_folder_sink = {png_folder_open, png_folder_take_soundtrack, png_folder_write, png_folder_finish};

bool is_video_path(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".mp4" || extension == ".mkv";
}

const FrameSink* frame_sink_for(const std::string& path) {
    return is_video_path(path) ? &video_file_sink : &png_folder_sink;
}

std::string frame_file_name(int32_t music_ms) {
    char name[32];
    std::snprintf(name, sizeof name, "%06d.png", static_cast<int>(music_ms));
    return name;
}

namespace {

bool write_png_file(const std::string& path, const uint8_t* rgb, int width, int height, std::string* error) {
    PngFile out;
    out.file = std::fopen(path.c_str(), "wb");
    if (!out.file) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    out.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (out.png) out.info = png_create_info_struct(out.png);
    errno = 0;
    if (!out.png || !out.info || !write_png_rows(out, rgb, width, height) || std::fflush(out.file) != 0 ||
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

bool platform_write_png(const std::string& path, const uint8_t* rgb, int width, int height, std::string* error) {
    if (write_png_file(path, rgb, width, height, error)) return true;
    // No truncated picture stays behind.
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return false;
}

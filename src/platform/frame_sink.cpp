// The PNG folder sink of the headless backend.
#include "platform/frame_sink.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/codecs.h"

namespace {

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
    bool ok = write_png_rgb(partial.string(), rgb, png_folder.width, png_folder.height, RowOrder::bottom_first, error);
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

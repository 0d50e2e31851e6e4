// The PNG folder sink of the headless backend.
#include "platform/headless/frame_sink.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "codecs/codecs.h"

namespace {

struct PngFolder {
    std::filesystem::path folder;
    int width = 0;
    int height = 0;
    std::string first_error;
    std::vector<std::filesystem::path> made;  // the folders opening made, the deepest first
    WorkFolder work;
};

PngFolder png_folder;

// Removes the folders the capture made, deepest first, as long as they are empty.
void remove_made_folders(const std::vector<std::filesystem::path>& made) {
    for (const std::filesystem::path& folder : made) {
        std::error_code code;
        if (!std::filesystem::is_empty(folder, code) || code) return;
        std::filesystem::remove(folder, code);
    }
}

bool png_folder_open(const SinkSettings& settings, std::string* error) {
    const std::string& path = settings.path;
    std::vector<std::filesystem::path> made;
    std::error_code code;
    for (std::filesystem::path p = file_path(path).lexically_normal(); !p.empty() && p != p.parent_path();
         p = p.parent_path()) {
        if (std::filesystem::exists(p, code)) break;
        if (p.filename().empty()) continue;  // the trailing slash of "frames/"
        made.push_back(p);
    }
    std::filesystem::create_directories(file_path(path), code);
    if (code || !std::filesystem::is_directory(file_path(path))) {
        *error = "cannot create the capture folder " + path + ": " +
                 (code ? code.message() : std::string("a file of that name is in the way"));
        remove_made_folders(made);
        return false;
    }
    WorkFolder work;
    if (!open_work_folder(path, file_name_text(file_path(path) / ".zelvo-capture.lock"), path, &work, error)) {
        remove_made_folders(made);
        return false;
    }
    png_folder = PngFolder{file_path(path), settings.width, settings.height, {}, made, work};
    return true;
}

void png_folder_abandon() {
    if (png_folder.folder.empty()) return;
    // Frames already renamed into place are whole and stay; what was still
    // being written goes with the private folder.
    close_work_folder(&png_folder.work);
    remove_made_folders(png_folder.made);
    png_folder = PngFolder{};
}

// Each frame is written in the private folder and renamed into place, so a
// frame under its own name is always whole, and a link planted under that name
// is replaced, never followed.
bool png_folder_write(const uint8_t* rgb, int32_t music_ms, std::string* error) {
    const std::string name = frame_file_name(music_ms);
    const std::filesystem::path path = png_folder.folder / name;
    const std::filesystem::path partial = file_path(png_folder.work.path) / name;
    bool ok = write_png_rgb(file_name_text(partial), rgb, png_folder.width, png_folder.height, RowOrder::bottom_first, error);
    if (ok) {
        std::error_code code;
        std::filesystem::rename(partial, path, code);
        if (code) {
            *error = "cannot write " + file_name_text(path) + ": " + code.message();
            std::filesystem::remove(partial, code);
            ok = false;
        }
    }
    if (!ok && png_folder.first_error.empty()) png_folder.first_error = *error;
    return ok;
}

bool png_folder_finish(std::string* error) {
    close_work_folder(&png_folder.work);
    png_folder.made.clear();  // a finished capture keeps its folder, even empty
    if (png_folder.first_error.empty()) return true;
    *error = png_folder.first_error;
    return false;
}

void png_folder_take_soundtrack(const DecodedAudio&) {}

}  // namespace

const FrameSink png_folder_sink = {png_folder_open, png_folder_take_soundtrack, png_folder_write, png_folder_finish,
                                   png_folder_abandon};

bool open_work_folder(const std::string& folder, const std::string& lock_path, const std::string& target,
                      WorkFolder* work, std::string* error) {
    std::string reason;
    if (!claim_name(lock_path, &work->claim, &reason)) {
        *error = "cannot capture into " + target + ": " + reason;
        return false;
    }
    work->path = platform_make_private_folder(folder, &reason);
    if (work->path.empty()) {
        release_name(&work->claim);
        *error = "cannot capture into " + target + ": " + reason;
        return false;
    }
    return true;
}

void close_work_folder(WorkFolder* work) {
    if (!work->path.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(file_path(work->path), ignored);
    }
    release_name(&work->claim);
    *work = WorkFolder{};
}

bool is_video_path(const std::string& path) {
    std::string extension = file_name_text(file_path(path).extension());
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

// The program's entry: reads the command line, moves to the data folder's
// parent, picks the backend and runs the show.
//
// The data folder is, in this order: DIR/data for --dir DIR; data/ in the
// working directory; the data installed with the program, found from its own
// folder, so an installed tree may move as a whole.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>

#include "codecs/codecs.h"
#include "render/render.h"
#include "shell/shell.h"

namespace {

HeadlessOptions headless_options(const ShellOptions& options) {
    HeadlessOptions headless;
    headless.fps = options.fps;
    headless.from_ms = options.from_ms;
    if (options.has_to) headless.to_ms = options.to_ms;
    headless.capture_path = options.capture_path;
    headless.samples = options.samples;
    return headless;
}

WindowOptions window_options(const ShellOptions& options) {
    WindowOptions window;
    if (options.fullscreen)
        window.presentation = Presentation::fullscreen;
    else if (options.window)
        window.presentation = Presentation::window;
    window.mute = options.mute;
    window.audio_offset_ms = options.audio_offset_ms;
    if (options.has_size) {
        window.picture_width = options.width;
        window.picture_height = options.height;
    }
    window.samples = options.has_samples ? options.samples : window_default_samples;
    return window;
}

bool change_directory(const std::string& dir, std::string* reason) {
    std::error_code code;
    std::filesystem::current_path(file_path(dir), code);
    if (code) *reason = code.message();
    return !code;
}

// Moves to the folder that holds data/, as the command line and the install
// say. Said first, before a loader names one missing file of the many.
bool enter_data_parent(const std::string& dir) {
    if (!dir.empty()) {
        std::string reason;
        if (!change_directory(dir, &reason)) {
            std::fprintf(stderr, "zelvo: can't use %s as the working directory: %s\n", dir.c_str(), reason.c_str());
            return false;
        }
        if (std::filesystem::is_directory("data")) return true;
        std::fprintf(stderr, "zelvo: %s holds no data folder; --dir names the folder that holds data/\n",
                     dir.c_str());
        return false;
    }
    if (std::filesystem::is_directory("data")) return true;
    const std::string installed = platform_installed_data_parent();
    std::string reason;
    if (!installed.empty() && std::filesystem::is_directory(file_path(installed) / "data") &&
        change_directory(installed, &reason))
        return true;
    std::error_code code;
    const std::string here = file_name_text(std::filesystem::current_path(code));
    std::fprintf(stderr, "zelvo: no data folder: looked for %s/data and %s/data; --dir names the folder that "
                         "holds data/\n",
                 here.c_str(), installed.empty() ? "../share/zelvo beside the program" : installed.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    platform_prepare_process();
    ShellOptions options;
    std::string error;
    const std::vector<std::string> arguments = platform_arguments(argc, argv);
    std::vector<const char*> words;
    for (const std::string& argument : arguments) words.push_back(argument.c_str());
    if (!parse_options(static_cast<int>(words.size()), words.data(), &options, &error)) {
        std::fprintf(stderr, "zelvo: %s\n\n%s", error.c_str(), usage_text().c_str());
        return exit_usage;
    }
    if (options.help) {
        std::fputs(usage_text().c_str(), stdout);
        return flush_standard_output();
    }
    if (options.version) {
        std::printf("zelvo %s\n", ZELVO_VERSION);
        return flush_standard_output();
    }
    if (options.list_scenes) {
        std::fputs(scene_table_text().c_str(), stdout);
        return flush_standard_output();
    }

    // The capture folder and the bench's JSON file are named from where the
    // user stands, not from --dir.
    for (std::string* path : {&options.capture_path, &options.bench_json}) {
        if (path->empty()) continue;
        std::error_code code;
        std::filesystem::path absolute = std::filesystem::absolute(file_path(*path), code);
        if (!code) *path = file_name_text(absolute);
    }
    if (!enter_data_parent(options.dir)) return exit_failure;

    reference_drawing = options.reference;
    const bool headless = !options.capture_path.empty() || options.bench;
    platform_select_backend(headless ? Backend::headless : Backend::window, headless_options(options),
                            window_options(options));
    try {
        const int status = options.bench ? run_bench(options) : run_demo(options);
        platform_end_if_device_stuck(status);
        return status;
    } catch (const std::bad_alloc&) {
        fatal_error("Error!\nOut of memory", "ERROR");
    }
}

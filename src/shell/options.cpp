// The command line: which way to run the show and over which stretch of it.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "shell/shell.h"

namespace {

// Far past the show's 160704 ms, and small enough for every value to fit an int32_t.
constexpr long longest_time_ms = 24L * 60 * 60 * 1000;

// More frames than any scene window has milliseconds.
constexpr long longest_bench = 100000;

bool parse_milliseconds(const char* text, int32_t* value) {
    if (*text == '\0') return false;
    char* end = nullptr;
    errno = 0;
    long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed < 0 || parsed > longest_time_ms) return false;
    *value = static_cast<int32_t>(parsed);
    return true;
}

bool parse_rate(const char* text, double* value) {
    if (*text == '\0') return false;
    char* end = nullptr;
    errno = 0;
    double parsed = std::strtod(text, &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(parsed) || parsed < 1 || parsed > 1000) {
        return false;
    }
    *value = parsed;
    return true;
}

// Splits "--name=value" into name and value; "--name" alone leaves value null.
struct Argument {
    std::string name;
    const char* inline_value = nullptr;
};

Argument split_argument(const char* text) {
    Argument argument;
    const char* equals = std::strchr(text, '=');
    if (std::strncmp(text, "--", 2) == 0 && equals != nullptr) {
        argument.name.assign(text, equals);
        argument.inline_value = equals + 1;
    } else {
        argument.name = text;
    }
    return argument;
}

bool parse_frame_count(const char* text, int* value) {
    if (*text == '\0') return false;
    char* end = nullptr;
    errno = 0;
    long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed < 1 || parsed > longest_bench) return false;
    *value = static_cast<int>(parsed);
    return true;
}

bool takes_value(const std::string& name) {
    return name == "--dir" || name == "--from" || name == "--to" || name == "--capture" ||
           name == "--fps" || name == "--frames" || name == "--scene" || name == "--json";
}

bool check_combination(const ShellOptions& options, std::string* error) {
    const bool bench_detail = options.has_bench_frames || !options.bench_scene.empty() || !options.bench_json.empty();
    if (bench_detail && !options.bench) {
        *error = "--frames, --scene and --json apply only with --bench";
        return false;
    }
    if (options.bench && (!options.capture_path.empty() || options.from_ms != 0 || options.has_to)) {
        *error = "--bench times every scene over its whole window; --capture, --from and --to do not apply";
        return false;
    }
    if (options.has_fps && options.capture_path.empty()) {
        *error = "--fps applies only with --capture";
        return false;
    }
    if (options.fullscreen && options.window) {
        *error = "--fullscreen and --window exclude each other";
        return false;
    }
    if ((!options.capture_path.empty() || options.bench) && (options.fullscreen || options.mute)) {
        // A capture or a bench draws off screen and opens no sound device anyway.
        *error = std::string(options.fullscreen ? "--fullscreen" : "--mute") + " does not apply to " +
                 (options.bench ? "--bench" : "--capture");
        return false;
    }
    if (options.has_to && options.to_ms < options.from_ms) {
        *error = "--to must not come before --from";
        return false;
    }
    return true;
}

}  // namespace

bool parse_options(int argc, const char* const* argv, ShellOptions* options, std::string* error) {
    *options = ShellOptions{};
    for (int i = 1; i < argc; ++i) {
        Argument argument = split_argument(argv[i]);
        const std::string& name = argument.name;
        const char* value = argument.inline_value;
        if (takes_value(name)) {
            if (value == nullptr) {
                if (i + 1 >= argc) {
                    *error = name + " needs a value";
                    return false;
                }
                value = argv[++i];
            }
        } else if (value != nullptr) {
            *error = name + " takes no value";
            return false;
        }

        if (name == "--window") {
            options->window = true;
        } else if (name == "--fullscreen") {
            options->fullscreen = true;
        } else if (name == "--mute") {
            options->mute = true;
        } else if (name == "--help" || name == "-h") {
            options->help = true;
        } else if (name == "--version") {
            options->version = true;
        } else if (name == "--reference") {
            options->reference = true;
        } else if (name == "--bench") {
            options->bench = true;
        } else if (name == "--frames") {
            if (!parse_frame_count(value, &options->bench_frames)) {
                *error = std::string("--frames needs a count from 1 to ") + std::to_string(longest_bench) +
                         ", not '" + value + "'";
                return false;
            }
            options->has_bench_frames = true;
        } else if (name == "--scene") {
            if (bench_scene_index(value) < 0) {
                *error = std::string("--scene needs one of ") + bench_scene_list() + ", not '" + value + "'";
                return false;
            }
            options->bench_scene = value;
        } else if (name == "--json") {
            if (*value == '\0') {
                *error = "--json needs a file";
                return false;
            }
            options->bench_json = value;
        } else if (name == "--dir") {
            if (*value == '\0') {
                *error = "--dir needs a folder";
                return false;
            }
            options->dir = value;
        } else if (name == "--capture") {
            if (*value == '\0') {
                *error = "--capture needs a folder";
                return false;
            }
            options->capture_path = value;
        } else if (name == "--from") {
            if (!parse_milliseconds(value, &options->from_ms)) {
                *error = std::string("--from needs milliseconds of music from 0 to ") +
                         std::to_string(longest_time_ms) + ", not '" + value + "'";
                return false;
            }
        } else if (name == "--to") {
            if (!parse_milliseconds(value, &options->to_ms)) {
                *error = std::string("--to needs milliseconds of music from 0 to ") +
                         std::to_string(longest_time_ms) + ", not '" + value + "'";
                return false;
            }
            options->has_to = true;
        } else if (name == "--fps") {
            if (!parse_rate(value, &options->fps)) {
                *error = std::string("--fps needs a rate from 1 to 1000, not '") + value + "'";
                return false;
            }
            options->has_fps = true;
        } else {
            *error = "unknown option '" + name + "'";
            return false;
        }
    }
    return check_combination(*options, error);
}

std::string usage_text() {
    return "Usage: zelvo [--window | --fullscreen] [--mute] [--dir DIR] [--from MS] [--to MS] [--reference]\n"
           "       zelvo --capture FOLDER [--fps N] [--dir DIR] [--from MS] [--to MS] [--reference]\n"
           "       zelvo --bench [--frames N] [--scene NAME] [--json FILE] [--dir DIR] [--reference]\n"
           "\n"
           "Plays the zelvo demo: 800 x 600 full screen, or a window when the display\n"
           "refuses the mode. Escape or closing the window ends it.\n"
           "\n"
           "  --window          open a resizable window instead of switching the display;\n"
           "                    the picture is scaled to fit it, with black bars\n"
           "  --fullscreen      cover the display at its own resolution, the picture\n"
           "                    scaled to fit with black bars; the display mode is left alone\n"
           "                    (Alt+Enter switches between these two)\n"
           "  --mute            play without sound and without opening a sound device\n"
           "  --dir DIR         run in DIR, which holds the data/ folder\n"
           "  --from MS         start the soundtrack MS milliseconds in\n"
           "  --to MS           end the show once the music passes MS milliseconds\n"
           "  --capture FOLDER  render headless on a virtual clock and write every frame\n"
           "                    from --from to --to as FOLDER/NNNNNN.png (music time in ms);\n"
           "                    a FOLDER ending in .mp4 or .mkv becomes a video with sound\n"
           "  --fps N           frames per second of the capture (default 30)\n"
           "  --bench           time every scene headless and print the table (nothing else\n"
           "                    is written): median and 95th percentile ms per frame, fps,\n"
           "                    the limit (the same frames replayed from display lists) and\n"
           "                    the ratio of the two, then the whole show\n"
           "  --frames N        frames timed per scene (default 60)\n"
           "  --scene NAME      time one scene alone: titles, city1, credits, city2, office,\n"
           "                    lattice, tunnel, objects, closing, or show\n"
           "  --json FILE       also write the figures to FILE as JSON\n"
           "  --reference       draw every face through the immediate-mode emitters, the\n"
           "                    straightforward path the faster one is checked against\n"
           "  --help            show this text\n"
           "  --version         show the version\n"
           "\n"
           "Exit status: 0 when the show ended (its end, --to, Escape, window closed),\n"
           "1 when start-up or the capture failed (no sound device: try --mute),\n"
           "2 for a command line not understood.\n";
}

// The command line: which way to run the show and over which stretch of it.
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <utility>

#include "codecs/codecs.h"
#include "shell/shell.h"
#include "timeline/timeline.h"

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

// The largest side --size takes; the GL's own limits may refuse less.
constexpr long largest_frame_side = 32768;
// The smallest: a picture of a few pixels still shows its 4:3 shape.
constexpr long smallest_frame_side = 16;

// "WxH", two whole numbers of pixels from 16 to 32768 joined by an x.
bool parse_size(const char* text, int* width, int* height) {
    long sides[2] = {0, 0};
    const char* at = text;
    for (int k = 0; k < 2; ++k) {
        if (!std::isdigit(static_cast<unsigned char>(*at))) return false;
        char* end = nullptr;
        errno = 0;
        sides[k] = std::strtol(at, &end, 10);
        if (errno != 0 || sides[k] < smallest_frame_side || sides[k] > largest_frame_side) return false;
        at = end;
        if (k == 0 && *at++ != 'x') return false;
    }
    if (*at != '\0') return false;
    *width = static_cast<int>(sides[0]);
    *height = static_cast<int>(sides[1]);
    return true;
}

// The usage text names the window's default.
static_assert(window_default_samples == 4);

bool parse_samples(const char* text, int* value) {
    for (const char* allowed : {"1", "2", "4", "8"}) {
        if (std::strcmp(text, allowed) != 0) continue;
        *value = std::atoi(text);
        return true;
    }
    return false;
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

// The most --audio-offset shifts the picture against the sound, either way.
constexpr long largest_audio_offset_ms = 500;

bool parse_audio_offset(const char* text, int32_t* value) {
    if (*text == '\0') return false;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed < -largest_audio_offset_ms || parsed > largest_audio_offset_ms)
        return false;
    *value = static_cast<int32_t>(parsed);
    return true;
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

int32_t show_last_ms() { return scene_windows[scene_window_count - 1].last; }

// A capture path is a folder of PNG frames or a video ffmpeg writes for us;
// a name that says another format would otherwise quietly become a folder.
bool check_capture_path(const std::string& path, std::string* error) {
    std::string extension = file_name_text(file_path(path).extension());
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    static const char* const other_formats[] = {".avi", ".gif", ".webm", ".mov", ".m4v", ".flv", ".ogv", ".ogg",
                                                ".wmv", ".mpg", ".mpeg", ".ts", ".3gp", ".apng", ".png", ".jpg",
                                                ".jpeg", ".tga", ".bmp", ".webp", ".mp3", ".wav", ".flac", ".y4m"};
    for (const char* other : other_formats) {
        if (extension != other) continue;
        *error = "--capture " + path + ": zelvo writes no " + extension.substr(1) +
                 " files; it writes a video ending in .mp4 or .mkv, or a folder of PNG frames";
        return false;
    }
    return true;
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
    if ((!options.capture_path.empty() || options.bench) &&
        (options.fullscreen || options.mute || options.has_audio_offset || options.loop)) {
        // A capture or a bench draws off screen and opens no sound device anyway,
        // and has to end by itself.
        const char* option = options.fullscreen ? "--fullscreen"
                             : options.mute     ? "--mute"
                             : options.loop     ? "--loop"
                                                : "--audio-offset";
        *error = std::string(option) + " does not apply to " + (options.bench ? "--bench" : "--capture");
        return false;
    }
    if (options.has_to && options.to_ms < options.from_ms) {
        *error = "--to must not come before --from";
        return false;
    }
    if (options.from_ms > show_last_ms()) {
        *error = "--from " + std::to_string(options.from_ms) + " lies past the show's end at " +
                 std::to_string(show_last_ms()) + " ms";
        return false;
    }
    return check_capture_path(options.capture_path, error);
}

// ---- The options: one row each, read by the parser and written out by the usage text ----

bool refuse(std::string* error, std::string text) {
    *error = std::move(text);
    return false;
}

// Takes a text value that must not be empty; `needs` is the message when it is.
bool take_text(const char* value, std::string* field, const char* needs, std::string* error) {
    if (*value == '\0') return refuse(error, needs);
    *field = value;
    return true;
}

std::string music_time_error(const char* name, const char* value) {
    return std::string(name) + " needs milliseconds of music from 0 to " + std::to_string(longest_time_ms) +
           ", not '" + value + "'";
}

using ApplyOption = bool (*)(const char* value, ShellOptions* options, std::string* error);

struct OptionRow {
    const char* name;
    const char* value;  // what the usage calls its value; null for an option that takes none
    const char* help;   // the usage's lines, '\n' between them; null keeps an alias out of the usage
    ApplyOption apply;
};

const OptionRow option_rows[] = {
    {"--window", nullptr,
     "open a resizable window instead of switching the display;\n"
     "the picture is scaled to fit it, with black bars",
     [](const char*, ShellOptions* o, std::string*) { return o->window = true; }},
    {"--fullscreen", nullptr,
     "cover the display at its own resolution, the picture\n"
     "scaled to fit with black bars; the display mode is left alone\n"
     "(Alt+Enter switches between these two)",
     [](const char*, ShellOptions* o, std::string*) { return o->fullscreen = true; }},
    {"--mute", nullptr, "play without sound and without opening a sound device",
     [](const char*, ShellOptions* o, std::string*) { return o->mute = true; }},
    {"--audio-offset", "MS",
     "show the picture MS milliseconds later than the sound\n"
     "(-500 to 500; negative: earlier), to suit a sound device",
     [](const char* v, ShellOptions* o, std::string* e) {
         return (o->has_audio_offset = parse_audio_offset(v, &o->audio_offset_ms)) ||
                refuse(e, std::string("--audio-offset needs milliseconds from -500 to 500, not '") + v + "'");
     }},
    {"--size", "WxH",
     "draw the frame at W x H pixels, the 4:3 picture centred\n"
     "between black bars (default: a capture or the bench 800x600,\n"
     "a window or the full screen its own size)",
     [](const char* v, ShellOptions* o, std::string* e) {
         return (o->has_size = parse_size(v, &o->width, &o->height)) ||
                refuse(e, std::string("--size needs WxH, each from ") + std::to_string(smallest_frame_side) + " to " +
                              std::to_string(largest_frame_side) + " pixels (as 1920x1080), not '" + v + "'");
     }},
    {"--aa", "N",
     "anti-alias with N samples a pixel: 1 (off), 2, 4 or 8\n"
     "(default: 1 for a capture or the bench, 4 in a window or\n"
     "the full screen)",
     [](const char* v, ShellOptions* o, std::string* e) {
         return (o->has_samples = parse_samples(v, &o->samples)) ||
                refuse(e, std::string("--aa needs 1, 2, 4 or 8 samples a pixel, not '") + v + "'");
     }},
    {"--loop", nullptr, "at the end start again from music time 0, until Escape",
     [](const char*, ShellOptions* o, std::string*) { return o->loop = true; }},
    {"--dir", "DIR", "run in DIR, which holds the data/ folder",
     [](const char* v, ShellOptions* o, std::string* e) { return take_text(v, &o->dir, "--dir needs a folder", e); }},
    {"--from", "MS", "start the soundtrack MS milliseconds in",
     [](const char* v, ShellOptions* o, std::string* e) {
         return parse_milliseconds(v, &o->from_ms) || refuse(e, music_time_error("--from", v));
     }},
    {"--to", "MS", "end the show once the music passes MS milliseconds",
     [](const char* v, ShellOptions* o, std::string* e) {
         return (o->has_to = parse_milliseconds(v, &o->to_ms)) || refuse(e, music_time_error("--to", v));
     }},
    {"--capture", "FOLDER",
     "render headless on a virtual clock and write every frame\n"
     "from --from to --to as FOLDER/NNNNNN.png (music time in ms);\n"
     "a FOLDER ending in .mp4 or .mkv becomes a video with sound;\n"
     "other video and picture names (.avi, .gif, ...) are refused",
     [](const char* v, ShellOptions* o, std::string* e) {
         return take_text(v, &o->capture_path, "--capture needs a folder", e);
     }},
    {"--fps", "N", "frames per second of the capture (default 30)",
     [](const char* v, ShellOptions* o, std::string* e) {
         return (o->has_fps = parse_rate(v, &o->fps)) ||
                refuse(e, std::string("--fps needs a rate from 1 to 1000, not '") + v + "'");
     }},
    {"--bench", nullptr,
     "time every scene headless and print the table (nothing else\n"
     "is written): median and 95th percentile ms per frame, fps,\n"
     "the limit (the same frames replayed from display lists) and\n"
     "the ratio of the two, then the whole show",
     [](const char*, ShellOptions* o, std::string*) { return o->bench = true; }},
    {"--frames", "N", "frames timed per scene (default 60)",
     [](const char* v, ShellOptions* o, std::string* e) {
         return (o->has_bench_frames = parse_frame_count(v, &o->bench_frames)) ||
                refuse(e, "--frames needs a count from 1 to " + std::to_string(longest_bench) + ", not '" + v + "'");
     }},
    {"--scene", "NAME",
     "time one scene alone, by its name as --scenes lists it,\n"
     "or the whole show alone (show)",
     [](const char* v, ShellOptions* o, std::string* e) {
         if (bench_scene_index(v) < 0)
             return refuse(e, "--scene needs one of " + bench_scene_list() + ", not '" + v + "'");
         o->bench_scene = v;
         return true;
     }},
    {"--json", "FILE", "also write the figures to FILE as JSON",
     [](const char* v, ShellOptions* o, std::string* e) {
         return take_text(v, &o->bench_json, "--json needs a file", e);
     }},
    {"--reference", nullptr,
     "draw every face through the immediate-mode emitters, the\n"
     "straightforward path the faster one is checked against",
     [](const char*, ShellOptions* o, std::string*) { return o->reference = true; }},
    {"--scenes", nullptr,
     "list the scenes in the show's order, one a line: name, first\n"
     "and last millisecond of music, where its still frame is\n"
     "captured from and at, and its title",
     [](const char*, ShellOptions* o, std::string*) { return o->list_scenes = true; }},
    {"--help", nullptr, "show this text", [](const char*, ShellOptions* o, std::string*) { return o->help = true; }},
    {"-h", nullptr, nullptr, [](const char*, ShellOptions* o, std::string*) { return o->help = true; }},
    {"--version", nullptr, "show the version",
     [](const char*, ShellOptions* o, std::string*) { return o->version = true; }},
};

const OptionRow* find_option(const std::string& name) {
    for (const OptionRow& row : option_rows)
        if (name == row.name) return &row;
    return nullptr;
}

}  // namespace

bool parse_options(int argc, const char* const* argv, ShellOptions* options, std::string* error) {
    *options = ShellOptions{};
    for (int i = 1; i < argc; ++i) {
        Argument argument = split_argument(argv[i]);
        const std::string& name = argument.name;
        const char* value = argument.inline_value;
        const OptionRow* row = find_option(name);
        if (!row) return refuse(error, "unknown option '" + name + "'");
        if (row->value) {
            if (value == nullptr) {
                if (i + 1 >= argc) return refuse(error, name + " needs a value");
                value = argv[++i];
            }
        } else if (value != nullptr) {
            return refuse(error, name + " takes no value");
        }
        if (!row->apply(value, options, error)) return false;
    }
    if (!check_combination(*options, error)) return false;
    // The show ends there whatever --to says; the run says so when it starts.
    if (options->has_to && options->to_ms > show_last_ms()) {
        options->to_past_end = true;
        options->to_ms = show_last_ms();
    }
    return true;
}

// Each option's lines: its name and value in a column of 16, the help beside.
std::string usage_text() {
    std::string text =
        "Usage: zelvo [--window | --fullscreen] [--size WxH] [--aa N] [--mute] [--audio-offset MS] [--dir DIR]\n"
        "             [--from MS] [--to MS] [--loop] [--reference]\n"
        "       zelvo --capture FOLDER [--size WxH] [--aa N] [--fps N] [--dir DIR] [--from MS] [--to MS]\n"
        "             [--reference]\n"
        "       zelvo --bench [--size WxH] [--aa N] [--frames N] [--scene NAME] [--json FILE] [--dir DIR]\n"
        "             [--reference]\n"
        "       zelvo --scenes | --help | --version\n"
        "\n"
        "Plays the zelvo demo: 800 x 600 full screen, or a window when the display\n"
        "refuses the mode. Escape or closing the window ends it.\n"
        "\n"
        "Keys while it plays: Space pauses and resumes; Right and Left seek a bar\n"
        "(" + std::to_string(seek_bar_ms) + " ms) on or back, with Shift ten; Page Down goes to the next scene,\n"
        "Page Up to the start of this one (pressed again, the one before); Home\n"
        "goes back to the start of the music; Tab held shows the timeline.\n"
        "\n"
        "The show reads its data/ folder from DIR with --dir, else from the working\n"
        "directory, else the one installed with it (../share/zelvo/data beside the\n"
        "program's own folder; on Windows, data beside zelvo.exe).\n"
        "\n";
    for (const OptionRow& row : option_rows) {
        if (!row.help) continue;
        const std::string named = std::string(row.name) + (row.value ? std::string(" ") + row.value : "");
        text += "  " + named + std::string(named.size() < 16 ? 16 - named.size() : 0, ' ') + "  ";
        std::string help = row.help;
        for (size_t at = help.find('\n'); at != std::string::npos; at = help.find('\n', at + 1))
            help.insert(at + 1, 20, ' ');
        text += help + '\n';
    }
    return text +
           "\n"
           "Exit status: 0 when the show ended (its end, --to, Escape, window closed),\n"
           "1 when start-up or the capture failed (no sound device: try --mute),\n"
           "2 for a command line not understood, 130 or 143 when a capture\n"
           "was interrupted by SIGINT or SIGTERM.\n";
}

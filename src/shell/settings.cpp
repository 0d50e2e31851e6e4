// settings.ini: the credits scene's easing divisor and particle modulus.
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "shell/shell.h"

namespace {

// Two numbers; anything longer is not a settings file.
constexpr size_t largest_settings_file = size_t{1} << 20;

void add_warning(std::string* warnings, const std::string& line) {
    if (!warnings->empty()) *warnings += '\n';
    *warnings += line;
}

std::string float_text(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

}  // namespace

// The file is read as "%f\n%d" reads it: a float, any white space, an integer,
// nothing after. Parsing by hand keeps the layout while an integer too large
// for 32 bits (undefined behaviour for scanf) is reported instead of read.
Settings parse_settings(const std::string& text, std::string* warnings) {
    Settings settings;
    const char* cursor = text.c_str();
    char* end = nullptr;

    float divisor = std::strtof(cursor, &end);
    if (end == cursor || !std::isfinite(divisor)) {
        // Like scanf, a first value that cannot be read stops the reading.
        add_warning(warnings, "cannot read credits_ease_divisor; using " +
                                  float_text(default_ease_divisor));
        add_warning(warnings, "cannot read credits_particle_modulus; using " +
                                  std::to_string(default_particle_modulus));
        return settings;
    }
    cursor = end;
    settings.ease_divisor = divisor;
    if (!(divisor >= 1.0f)) {
        // Every easing step divides the distance to its target by this value;
        // below 1 the credits would overshoot and swing ever further.
        add_warning(warnings, "credits_ease_divisor " + float_text(divisor) + " is below 1; using 1");
        settings.ease_divisor = 1.0f;
    }

    errno = 0;
    long modulus = std::strtol(cursor, &end, 10);
    if (end == cursor) {
        add_warning(warnings, "cannot read credits_particle_modulus; using " +
                                  std::to_string(default_particle_modulus));
    } else if (errno == ERANGE || modulus < INT32_MIN || modulus > INT32_MAX) {
        add_warning(warnings, "credits_particle_modulus is out of range; using " +
                                  std::to_string(default_particle_modulus));
    } else {
        // 0 and negative values are kept: the particle field then moves on every frame.
        settings.particle_modulus = static_cast<int32_t>(modulus);
    }
    return settings;
}

void read_settings_file(const char* path) {
    std::vector<uint8_t> bytes;
    std::string problem;
    bool opened = false;
    // A file that opens but cannot be read (a folder) holds no readable values.
    read_whole_file(path, largest_settings_file, &bytes, &problem, &opened);
    if (!opened) {
        fatal_error("Error!\nNo settings.ini, can't make the stupid settings\nwhich are totally "
                    "useless, but i'm not in the mood\nto rewrite the movements synced.\nI'll do "
                    "it in the final version. Promise.\nRennic",
                    "ERROR");
    }
    std::string warnings;
    Settings settings = parse_settings(std::string(bytes.begin(), bytes.end()), &warnings);
    if (!warnings.empty()) {
        std::istringstream lines(warnings);
        for (std::string line; std::getline(lines, line);) {
            std::fprintf(stderr, "zelvo: warning: %s: %s\n", path, line.c_str());
        }
    }
    credits_ease_divisor = settings.ease_divisor;
    credits_particle_modulus = settings.particle_modulus;
}

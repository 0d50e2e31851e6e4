// settings.ini: the credits scene's easing divisor and particle modulus.
#include <cerrno>
#include <climits>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

// The token at cursor (after white space), for messages and for stepping past it.
std::string token_at(const char* cursor, const char** after) {
    while (std::isspace(static_cast<unsigned char>(*cursor))) ++cursor;
    const char* end = cursor;
    while (*end != '\0' && !std::isspace(static_cast<unsigned char>(*end))) ++end;
    if (after) *after = end;
    return std::string(cursor, end);
}

// Whether a number read up to end stands alone as a token.
bool ends_token(const char* end) { return *end == '\0' || std::isspace(static_cast<unsigned char>(*end)); }

}  // namespace

// The file is laid out as "%f\n%d" reads it: a float, any white space, an
// integer. Parsing by hand reads each value on its own, so a value that cannot
// be read or lies out of range is reported as such and the other one is kept;
// an integer too large for 32 bits (undefined behaviour for scanf) is reported
// instead of read.
Settings parse_settings(const std::string& text, std::string* warnings) {
    Settings settings;
    const char* cursor = text.c_str();
    // Some editors begin a text file with a byte-order mark.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) cursor += 3;
    char* end = nullptr;

    errno = 0;
    const float divisor = std::strtof(cursor, &end);
    const std::string divisor_text = token_at(cursor, nullptr);
    const std::string fallback = "; using " + float_text(default_ease_divisor);
    if (end == cursor) {
        add_warning(warnings, "cannot read credits_ease_divisor" + fallback);
        token_at(cursor, &cursor);  // the modulus may still be good
    } else if (!ends_token(end)) {
        add_warning(warnings, "credits_ease_divisor \"" + divisor_text + "\" is not a number" + fallback);
        token_at(cursor, &cursor);
    } else {
        cursor = end;
        if (std::isnan(divisor)) {
            add_warning(warnings, "credits_ease_divisor " + divisor_text + " is not a number" + fallback);
        } else if (std::isinf(divisor)) {
            add_warning(warnings, "credits_ease_divisor " + divisor_text + " is out of range" + fallback);
        } else if (!(divisor >= 1.0f)) {
            // Every easing step divides the distance to its target by this value;
            // below 1 the credits would overshoot and swing ever further.
            add_warning(warnings, "credits_ease_divisor " + float_text(divisor) + " is below 1; using 1");
            settings.ease_divisor = 1.0f;
        } else {
            settings.ease_divisor = divisor;
        }
    }

    errno = 0;
    const long modulus = std::strtol(cursor, &end, 10);
    const std::string modulus_text = token_at(cursor, nullptr);
    if (end == cursor) {
        add_warning(warnings, "cannot read credits_particle_modulus; using " +
                                  std::to_string(default_particle_modulus));
        return settings;
    }
    const bool whole = ends_token(end);
    token_at(cursor, &cursor);
    if (!whole) {
        // "0x10" or "5.5" would otherwise read as a number followed by junk.
        add_warning(warnings, "credits_particle_modulus \"" + modulus_text + "\" is not a whole number; using " +
                                  std::to_string(default_particle_modulus));
    } else if (errno == ERANGE || modulus < INT32_MIN || modulus > INT32_MAX) {
        add_warning(warnings, "credits_particle_modulus " + modulus_text + " is out of range; using " +
                                  std::to_string(default_particle_modulus));
    } else {
        // 0 is kept (the particle field then moves on every frame), and so is a
        // negative value, which freezes it on multiples of its magnitude.
        settings.particle_modulus = static_cast<int32_t>(modulus);
    }
    const std::string rest = token_at(cursor, nullptr);
    if (!rest.empty()) add_warning(warnings, "ignoring \"" + rest + "\" after the two values");
    return settings;
}

void read_settings_file(const char* path) {
    std::vector<uint8_t> bytes;
    std::string problem;
    bool opened = false;
    if (!read_whole_file(path, largest_settings_file, &bytes, &problem, &opened)) {
        // A folder in its place is as good as none; a file too large or that
        // cannot be read is said to be so.
        if (opened && !std::filesystem::is_directory(path))
            fatal_error("Error!\nCan't read the settings file " + shown_path(path) + ":\n" + problem, "ERROR");
        fatal_error("Error!\nNo settings.ini, can't make the stupid settings\nwhich are totally "
                    "useless, but i'm not in the mood\nto rewrite the movements synced.\nI'll do "
                    "it in the final version. Promise.\nRennic",
                    "ERROR", exit_failure, shown_path(path) + ": " + problem);
    }
    std::string warnings;
    Settings settings = parse_settings(std::string(bytes.begin(), bytes.end()), &warnings);
    if (!warnings.empty()) {
        std::istringstream lines(warnings);
        for (std::string line; std::getline(lines, line);) {
            std::fprintf(stderr, "zelvo: warning: %s: %s\n", shown_path(path).c_str(), line.c_str());
        }
    }
    credits_ease_divisor = settings.ease_divisor;
    credits_particle_modulus = settings.particle_modulus;
}

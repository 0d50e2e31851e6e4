// The shell's pure pieces: the status line text, settings.ini and the command line.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "shell/shell.h"

TEST(StatusLine, FormatsTimeCreditsTimeAndRate) {
    struct Case {
        int32_t time, credits_time;
        float rate;
        const char* expected;
    };
    const Case cases[] = {
        {0, 0, 0.0f, "zelvo | 0 ms [0] |   0 fps | by Kardel"},
        // Before the credits their local time is negative; the rate pads to three places.
        {1500, -30546, 59.6f, "zelvo | 1500 ms [-30546] |  60 fps | by Kardel"},
        {70000, 16622, 7.4f, "zelvo | 70000 ms [16622] |   7 fps | by Kardel"},
        {160705, 11, 1234.4f, "zelvo | 160705 ms [11] | 1234 fps | by Kardel"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(format_status_line(c.time, c.credits_time, c.rate), c.expected) << c.time;
    }
}

TEST(StatusLine, ZeroRateStaysPaddedToThreePlaces) {
    EXPECT_EQ(format_status_line(0, -32046, 0.0f), "zelvo | 0 ms [-32046] |   0 fps | by Kardel");
}

TEST(AverageRate, IsZeroUntilPlaybackHasRun) {
    EXPECT_EQ(average_rate(0, 0), 0.0f);
    EXPECT_EQ(average_rate(5, 0), 0.0f);
    EXPECT_EQ(average_rate(5, -40), 0.0f);
    EXPECT_FLOAT_EQ(average_rate(60, 1000), 60.0f);
    EXPECT_FLOAT_EQ(average_rate(1, 3), 333.33334f);
    EXPECT_TRUE(std::isfinite(average_rate(INT32_MAX, 1)));
}

TEST(Settings, ReadsTheTwoValuesAsTheFileLayoutGivesThem) {
    struct Case {
        const char* text;
        float divisor;
        int32_t modulus;
        bool warns;
    };
    const Case cases[] = {
        {"10.0\n1000\n", 10.0f, 1000, false},
        {"10.0\r\n1000\r\n", 10.0f, 1000, false},
        {"  2.5   7", 2.5f, 7, false},
        {"4\n\n\n  33 trailing words are read past with a warning", 4.0f, 33, true},
        {"1e1\n-5", 10.0f, -5, false},                // a negative modulus is kept
        {"3.0\n0", 3.0f, 0, false},                   // so is 0: the field then always moves
        {"1\n2147483647", 1.0f, INT32_MAX, false},
        // Unreadable values fall back to the defaults.
        {"", 10.0f, 1000, true},
        {"garbage\n7", 10.0f, 7, true},               // a good value survives a bad one
        {"5.5\nfast", 5.5f, 1000, true},
        {"5.5", 5.5f, 1000, true},
        {"5.5\n99999999999", 5.5f, 1000, true},        // beyond 32 bits
        {"5.5\n-2147483649", 5.5f, 1000, true},
        {"inf\n20", 10.0f, 20, true},
        {"nan\n20", 10.0f, 20, true},
        {"1e99\n20", 10.0f, 20, true},
        // A divisor below 1 would make every easing step overshoot its target.
        {"0\n1000", 1.0f, 1000, true},
        {"0.5\n1000", 1.0f, 1000, true},
        {"-10\n1000", 1.0f, 1000, true},
        {"\xEF\xBB\xBF" "12.5\n250\n", 12.5f, 250, false},  // a byte-order mark is skipped
        {"5\n0x10", 5.0f, 1000, true},                      // hexadecimal is no decimal integer
        {"5\n2.5", 5.0f, 1000, true},
        {"5q\n20", 10.0f, 20, true},
    };
    for (const Case& c : cases) {
        std::string warnings;
        Settings settings = parse_settings(c.text, &warnings);
        EXPECT_EQ(settings.ease_divisor, c.divisor) << '"' << c.text << '"';
        EXPECT_EQ(settings.particle_modulus, c.modulus) << '"' << c.text << '"';
        EXPECT_EQ(!warnings.empty(), c.warns) << '"' << c.text << "\": " << warnings;
    }
}

TEST(Settings, WarningsSayWhetherAValueIsUnreadableOrOutOfRange) {
    const struct {
        const char* text;
        const char* says;
    } cases[] = {
        {"1e99\n20", "credits_ease_divisor 1e99 is out of range; using 10"},
        {"nan\n20", "credits_ease_divisor nan is not a number; using 10"},
        {"5\n99999999999", "credits_particle_modulus 99999999999 is out of range; using 1000"},
        {"5\nfast", "cannot read credits_particle_modulus"},
        {"5 6 7", "ignoring \"7\" after the two values"},
        {"5\n0x10\n", "credits_particle_modulus \"0x10\" is not a whole number; using 1000"},
    };
    for (const auto& c : cases) {
        std::string warnings;
        parse_settings(c.text, &warnings);
        EXPECT_NE(warnings.find(c.says), std::string::npos) << c.text << ": " << warnings;
    }
}

TEST(Settings, WarningNamesTheValueAndTheFallback) {
    std::string warnings;
    parse_settings("garbage", &warnings);
    EXPECT_NE(warnings.find("credits_ease_divisor"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("using 10"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("credits_particle_modulus"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find("using 1000"), std::string::npos) << warnings;
}

namespace {

struct Parsed {
    bool ok;
    ShellOptions options;
    std::string error;
};

Parsed parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "zelvo");
    Parsed parsed;
    parsed.ok = parse_options(static_cast<int>(arguments.size()), arguments.data(), &parsed.options,
                              &parsed.error);
    return parsed;
}

}  // namespace

TEST(Options, NoArgumentsPlayTheWholeShowFullScreen) {
    Parsed p = parse({});
    ASSERT_TRUE(p.ok);
    EXPECT_FALSE(p.options.window);
    EXPECT_TRUE(p.options.dir.empty());
    EXPECT_EQ(p.options.from_ms, 0);
    EXPECT_FALSE(p.options.has_to);
    EXPECT_TRUE(p.options.capture_path.empty());
    EXPECT_FALSE(p.options.help);
    EXPECT_FALSE(p.options.version);
}

TEST(Options, ReadsEveryOptionInBothSpellings) {
    Parsed p = parse({"--window", "--dir", "/tmp/show", "--from", "159000", "--to=160000",
                      "--capture=frames", "--fps", "25"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_TRUE(p.options.window);
    EXPECT_EQ(p.options.dir, "/tmp/show");
    EXPECT_EQ(p.options.from_ms, 159000);
    EXPECT_TRUE(p.options.has_to);
    EXPECT_EQ(p.options.to_ms, 160000);
    EXPECT_EQ(p.options.capture_path, "frames");
    EXPECT_TRUE(p.options.has_fps);
    EXPECT_DOUBLE_EQ(p.options.fps, 25.0);

    EXPECT_TRUE(parse({"--help"}).options.help);
    EXPECT_TRUE(parse({"-h"}).options.help);
    EXPECT_TRUE(parse({"--version"}).options.version);
    EXPECT_DOUBLE_EQ(parse({"--capture", "x", "--fps", "29.97"}).options.fps, 29.97);
    EXPECT_DOUBLE_EQ(parse({"--capture", "x"}).options.fps, 30.0);
    EXPECT_EQ(parse({"--from", "0", "--to", "0"}).options.to_ms, 0);

    Parsed scaled = parse({"--fullscreen", "--mute"});
    ASSERT_TRUE(scaled.ok) << scaled.error;
    EXPECT_TRUE(scaled.options.fullscreen);
    EXPECT_TRUE(scaled.options.mute);
    EXPECT_FALSE(scaled.options.window);
    EXPECT_TRUE(parse({"--window", "--mute"}).ok);
    Parsed bench = parse({"--bench", "--frames", "3", "--scene=show", "--json", "b.json", "--reference"});
    ASSERT_TRUE(bench.ok) << bench.error;
    EXPECT_TRUE(bench.options.bench);
    EXPECT_EQ(bench.options.bench_frames, 3);
    EXPECT_EQ(bench.options.bench_scene, "show");
    EXPECT_EQ(bench.options.bench_json, "b.json");
    EXPECT_TRUE(bench.options.reference);
    EXPECT_EQ(parse({"--bench"}).options.bench_frames, 60);
    EXPECT_TRUE(parse({"--capture", "x", "--reference"}).options.reference);
    EXPECT_TRUE(parse({"--scenes"}).options.list_scenes);
    // A --to past the show's end is moved to it, and the run says so.
    EXPECT_EQ(parse({"--to", "160704"}).options.to_past_end, false);
    EXPECT_EQ(parse({"--to", "200000"}).options.to_ms, 160704);
    EXPECT_EQ(parse({"--to", "200000"}).options.to_past_end, true);
    EXPECT_TRUE(parse({"--capture", "show.MKV"}).ok);
    EXPECT_EQ(parse({"--window", "--audio-offset", "-500"}).options.audio_offset_ms, -500);
    EXPECT_EQ(parse({"--audio-offset=120"}).options.audio_offset_ms, 120);
    const ShellOptions sized = parse({"--capture", "x", "--size", "3840x2160", "--aa", "4"}).options;
    EXPECT_EQ(sized.width, 3840);
    EXPECT_EQ(sized.height, 2160);
    EXPECT_EQ(sized.samples, 4);
    EXPECT_EQ(parse({"--bench"}).options.width, 800);
    EXPECT_FALSE(parse({"--window"}).options.has_samples);
    EXPECT_TRUE(parse({"--window", "--loop", "--from", "1000", "--to", "9000"}).options.loop);
}

TEST(Options, RefusesWhatItCannotUse) {
    const std::vector<std::vector<const char*>> refused = {
        {"--bogus"},
        {"window"},
        {"--window=yes"},
        {"--dir"},
        {"--dir", ""},
        {"--from"},
        {"--from", "-1"},
        {"--from", "12ms"},
        {"--from", ""},
        {"--from", "99999999999"},
        {"--to", "1.5"},
        {"--from", "2000", "--to", "1000"},
        {"--capture"},
        {"--capture", ""},
        {"--capture", "x", "--fps", "0"},
        {"--capture", "x", "--fps", "0.5"},
        {"--capture", "x", "--fps", "1001"},
        {"--capture", "x", "--fps", "-25"},
        {"--capture", "x", "--fps", "nan"},
        {"--capture", "x", "--fps", "inf"},
        {"--capture", "x", "--fps", "25fps"},
        {"--fps", "25"},  // nothing to capture
        {"--fullscreen", "--window"},
        {"--window", "--fullscreen"},
        {"--fullscreen", "--capture", "x"},
        {"--mute", "--capture", "x"},
        {"--mute=1"},
        {"--bench", "--frames", "0"},
        {"--bench", "--frames", "2.5"},
        {"--bench", "--scene", "city"},  // the two visits are city1 and city2
        {"--bench", "--json", ""},
        {"--frames", "3"},  // nothing to bench
        {"--scene", "office"},
        {"--bench", "--capture", "x"},
        {"--bench", "--from", "1000"},
        {"--reference=yes"},
        {"--from", "160705"},  // past the show's end
        {"--capture", "out.avi"},
        {"--capture", "clip.GIF"},
        {"--audio-offset", "501"},
        {"--audio-offset", "-12.5"},
        {"--audio-offset", "40", "--capture", "x"},
        {"--size", "0x0"},
        {"--size", "abc"},
        {"--size", "801x"},
        {"--size", "x600"},
        {"--size", "800x600x2"},
        {"--size", "800 x 600"},
        {"--size", "+800x600"},
        {"--size", "15x600"},
        {"--size", "32769x600"},
        {"--aa", "0"},
        {"--aa", "3"},
        {"--aa", "16"},
        {"--loop", "--capture", "x"},  // a capture must end
        {"--loop", "--bench"},
    };
    for (const auto& arguments : refused) {
        Parsed p = parse(arguments);
        std::string shown;
        for (const char* a : arguments) shown += std::string(a) + ' ';
        EXPECT_FALSE(p.ok) << shown;
        EXPECT_FALSE(p.error.empty()) << shown;
    }
    // An option that does not exist is named as unknown, with or without a value.
    EXPECT_EQ(parse({"--bogus=1"}).error, "unknown option '--bogus'");
}

TEST(Options, UsageNamesEveryOption) {
    std::string usage = usage_text();
    for (const char* option : {"--window", "--fullscreen", "--mute", "--dir", "--from", "--to", "--capture",
                               "--fps", "--help", "--version", "--bench", "--frames", "--scene", "--json",
                               "--reference", "--scenes", "--audio-offset", "--loop"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
}

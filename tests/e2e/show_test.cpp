// The whole show as a viewer meets it, through the real program: captured
// headless at 4 fps, every scene window checked for light where it draws, the
// scheduled blacks, whites and flashes checked frame by frame, and the video
// target checked with ffprobe. Each scene's frame count and mean brightness
// are printed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>

#include "support/e2e_process.h"
#include "codecs/codecs.h"
#include "timeline/timeline.h"

namespace fs = std::filesystem;

namespace {

const char* const scene_names[] = {"opening titles", "town flight", "credits", "town flight, continued",
                                   "office", "cube lattice", "tunnel", "object room", "closing letters"};

double mean_brightness(const std::vector<uint8_t>& rgb) {
    double sum = 0;
    for (uint8_t v : rgb) sum += v;
    return rgb.empty() ? -1 : sum / double(rgb.size());
}

// Whether a viewer sees something: at least 1% of the pixels clearly lit.
bool shows_light(const std::vector<uint8_t>& rgb) {
    size_t lit = 0;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) lit += rgb[i] + rgb[i + 1] + rgb[i + 2] > 3 * 64;
    return lit * 100 >= rgb.size() / 3;
}

class WholeShow : public ::testing::Test {
protected:
    void SetUp() override {
        root = e2e::make_temp_dir("show");
        ASSERT_FALSE(root.empty());
    }
    void TearDown() override { fs::remove_all(root); }

    e2e::Outcome capture(const std::string& folder, const std::vector<std::string>& extra, double limit_s) {
        std::vector<std::string> argv = {e2e::zelvo_binary(), "--dir", ZELVO_BUILD_DIR, "--capture",
                                         (root / folder).string()};
        argv.insert(argv.end(), extra.begin(), extra.end());
        return e2e::run(argv, {}, root, limit_s);
    }

    // The mean brightness of the one frame at music time t.
    double frame_at(int32_t t) {
        const std::string folder = "at" + std::to_string(t);
        e2e::Outcome o = capture(folder, {"--fps", "1", "--from", std::to_string(t), "--to", std::to_string(t)}, 60);
        EXPECT_EQ(o.exit_code, 0) << o.err;
        char name[16];
        std::snprintf(name, sizeof name, "%06d.png", t);
        return mean_brightness(read_png_rgb((root / folder / name).string()));
    }

    fs::path root;
};

}  // namespace

TEST_F(WholeShow, EverySceneWindowShowsWhatItDraws) {
    e2e::Outcome o = capture("frames", {"--fps", "4"}, 1500);
    ASSERT_TRUE(o.exited) << o.err;
    ASSERT_EQ(o.exit_code, 0) << o.err;

    struct Tally {
        int frames = 0, lit = 0;
        double brightness = 0;
    };
    std::map<int, Tally> scenes;
    int32_t last = -1;
    for (const auto& entry : fs::directory_iterator(root / "frames")) {
        const int32_t t = std::stoi(entry.path().stem().string());
        last = std::max(last, t);
        const std::vector<uint8_t> rgb = read_png_rgb(entry.path().string());
        ASSERT_FALSE(rgb.empty()) << entry.path();
        Tally& tally = scenes[static_cast<int>(timeline_frame(t).scene)];
        tally.frames += 1;
        tally.lit += shows_light(rgb);
        const double mean = mean_brightness(rgb);
        tally.brightness += mean;
    }
    EXPECT_LE(last, 160704) << "no frame after the show's end";
    EXPECT_GE(last, 160500);

    // The share of frames that must show light: the title cards flash on the
    // beat, the letters fade out by six seconds, some scenes fade to black.
    const double least_lit[scene_window_count] = {0.25, 0.8, 0.9, 0.9, 0.95, 0.95, 0.95, 0.8, 0.25};
    std::printf("%-24s %7s %9s %9s\n", "scene", "frames", "lit", "mean");
    for (int s = 0; s < scene_window_count; ++s) {
        const Tally& tally = scenes[s];
        const SceneWindow& w = scene_windows[s];
        const int expected = (w.last / 250) - ((w.first + 249) / 250) + 1;  // music times 0, 250, 500, ...
        std::printf("%-24s %7d %8.0f%% %9.1f\n", scene_names[s], tally.frames,
                    tally.frames ? 100.0 * tally.lit / tally.frames : 0.0,
                    tally.frames ? tally.brightness / tally.frames : 0.0);
        EXPECT_EQ(tally.frames, expected) << scene_names[s];
        EXPECT_GE(tally.lit, least_lit[s] * tally.frames) << scene_names[s];
    }
}

TEST_F(WholeShow, ScheduledBlacksWhitesAndFlashesFallOnTheirMilliseconds) {
    const struct {
        int32_t t;
        double low, high;
        const char* what;
    } cases[] = {
        {32046, 0, 1, "the first visit's last millisecond is black"},
        {53358, 230, 255, "the credits are white at their end"},
        {53359, 0, 1, "the second visit starts from black"},
        {53700, 254, 255, "and has risen to white at 53700"},
        {160704, 0, 1, "the letters are gone at the end"},
    };
    for (const auto& c : cases) {
        const double mean = frame_at(c.t);
        EXPECT_GE(mean, c.low) << c.what << " (" << c.t << ")";
        EXPECT_LE(mean, c.high) << c.what << " (" << c.t << ")";
    }
    // Each flash turns the tunnel into its negative for 166 ms.
    for (int32_t flash : {111978, 125308}) {
        const double before = frame_at(flash - 1), during = frame_at(flash), after = frame_at(flash + 166);
        EXPECT_NEAR(during, 255 - before, 25) << flash;
        EXPECT_NEAR(after, before, 25) << flash;
        EXPECT_GT(std::abs(during - before), 40) << flash;
    }
}

TEST_F(WholeShow, MakeVideoWritesSixtyFramesASecondWithTheSoundtrackAsVideoSitesAskIt) {
    if (!e2e::have_program("ffprobe") || !e2e::have_program("make")) GTEST_SKIP() << "ffmpeg or make is missing";
    const fs::path video = root / "clip.mp4";
    const std::string status = e2e::capture_command(
        "make -s -C '" ZELVO_SOURCE_DIR "' video BUILD='" ZELVO_BUILD_DIR "' VIDEO='" + video.string() +
        "' VIDEO_FROM=25000 VIDEO_TO=27000 VIDEO_SIZE=1024x576 >'" + (root / "make.log").string() + "' 2>&1; echo $?");
    ASSERT_EQ(status, "0\n") << e2e::read_text(root / "make.log");
    std::istringstream streams(e2e::capture_command(
        "ffprobe -v error -show_entries stream=codec_type,width,height,r_frame_rate,sample_rate,duration,profile,"
        "pix_fmt,has_b_frames,bit_rate -of compact=nokey=0 '" + video.string() + "'"));
    // One line a stream: "stream|codec_type=video|width=1024|...".
    std::map<std::string, std::string> video_fields, audio_fields;
    for (std::string line; std::getline(streams, line);) {
        std::map<std::string, std::string> fields;
        std::istringstream parts(line);
        for (std::string part; std::getline(parts, part, '|');) {
            const size_t equals = part.find('=');
            if (equals != std::string::npos) fields[part.substr(0, equals)] = part.substr(equals + 1);
        }
        (fields["codec_type"] == "video" ? video_fields : audio_fields) = fields;
    }
    EXPECT_EQ(video_fields["width"], "1024");
    EXPECT_EQ(video_fields["height"], "576");
    EXPECT_EQ(video_fields["profile"], "High");
    EXPECT_EQ(video_fields["pix_fmt"], "yuv420p");
    EXPECT_EQ(video_fields["has_b_frames"], "2");
    EXPECT_EQ(audio_fields["profile"], "LC");
    EXPECT_GE(std::atoi(audio_fields["bit_rate"].c_str()), 250000);  // 320 kbit/s asked; a short clip reports less
    EXPECT_EQ(video_fields["r_frame_rate"], "60/1");
    EXPECT_EQ(audio_fields["sample_rate"], "44100");
    EXPECT_NEAR(std::atof(video_fields["duration"].c_str()), 121 / 60.0, 0.02);
    EXPECT_NEAR(std::atof(audio_fields["duration"].c_str()), std::atof(video_fields["duration"].c_str()), 0.05);
}

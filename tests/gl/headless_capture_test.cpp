// The headless backend's virtual clock and its PNG frame sink: each presented
// frame is exactly 1000 / fps ms, and a capture of a range writes exactly the
// frames whose music time lies in it, the same bytes on every run.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "platform/headless/headless.h"
#include "codecs/codecs.h"
#include "platform/headless/frame_sink.h"
#include "platform/platform.h"
#include "soundtrack.h"

namespace fs = std::filesystem;

namespace {

fs::path scratch_root() { return fs::temp_directory_path() / ("zelvo_capture_" + std::to_string(getpid())); }

fs::path fresh_folder(const std::string& name) {
    const fs::path folder = scratch_root() / name;
    fs::remove_all(folder);
    return folder;
}

struct RemoveScratch : ::testing::Environment {
    void TearDown() override { fs::remove_all(scratch_root()); }
};

::testing::Environment* const remove_scratch = ::testing::AddGlobalTestEnvironment(new RemoveScratch);

bool open_headless(const HeadlessOptions& options, std::string* error) {
    platform_select_backend(Backend::headless, options);
    bool got_fullscreen = true;
    const bool opened = platform_open_window("zelvo test", 800, 600, 32, true, &got_fullscreen, error);
    EXPECT_FALSE(got_fullscreen);
    if (opened && !platform_start_capture(error)) {
        platform_close_window();
        return false;
    }
    return opened;
}

// One pass of a main loop: read the position, draw a frame that depends on it, present.
void draw_pass() {
    const int32_t position = sound_position_ms();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 800, 0, 600, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float x = static_cast<float>(position % 700);
    glBegin(GL_QUADS);
    glColor3f(1, 0, 0);  // a red bar along the top edge
    glVertex2f(0, 590);
    glVertex2f(800, 590);
    glVertex2f(800, 600);
    glVertex2f(0, 600);
    glColor3f(0.2f, 0.6f, 1.0f);  // a square that moves with the music
    glVertex2f(x, 100);
    glVertex2f(x + 100, 100);
    glVertex2f(x + 100, 200);
    glVertex2f(x, 200);
    glEnd();
    platform_swap_buffers();
}

std::set<std::string> files_in(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

std::string bytes_of(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs a loading screen of a few frames, then plays from options.from_ms until
// the position passes options.to_ms by a few frames, as the shell would.
void capture(const HeadlessOptions& options, const std::vector<uint8_t>& mp3 = {}) {
    std::string error;
    ASSERT_TRUE(open_headless(options, &error)) << error;
    if (!mp3.empty()) {
        ASSERT_TRUE(sound_open_stream(mp3.data(), mp3.size(), &error)) << error;
    }
    for (int i = 0; i < 5; ++i) draw_pass();  // before playback: never written
    sound_play(options.from_ms);
    while (sound_position_ms() <= options.to_ms + 100) draw_pass();
    EXPECT_TRUE(platform_finish_capture(&error)) << error;
    platform_close_window();
}

// Reads an 800 x 600 PNG as RGB rows, top row first.
std::vector<uint8_t> read_png(const fs::path& path) {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb = read_png_rgb(path.string(), &width, &height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    return rgb;
}

const uint8_t* pixel_at(const std::vector<uint8_t>& rgb, int x, int row_from_top) {
    return &rgb[(static_cast<size_t>(row_from_top) * 800 + x) * 3];
}

std::string output_of(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
        pclose(pipe);
    }
    return text;
}

std::vector<uint8_t> tone_mp3(double seconds) {
    const int frames = static_cast<int>(44100 * seconds);
    std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i)
        pcm[2 * i] = pcm[2 * i + 1] = static_cast<int16_t>(6000 * std::sin(2 * M_PI * 330.0 * i / 44100));
    std::vector<uint8_t> mp3;
    std::string error;
    EXPECT_TRUE(encode_mp3(pcm, 44100, 2, 128, &mp3, &error)) << error;
    return mp3;
}

}  // namespace

TEST(VirtualClock, EachSwapAdvancesWallClockAndStreamByOneFrameStep) {
    struct Case {
        double fps;
        int32_t start_ms;
        int swaps;
        int32_t elapsed_ms;  // floor(swaps * 1000 / fps)
    } cases[] = {
        {30, 0, 1, 33},   {30, 0, 3, 100},     {30, 0, 29, 966},     {30, 0, 30, 1000},
        {30, 53530, 3, 100}, {24, 0, 5, 208}, {60, 159000, 61, 1016}, {7, 0, 7, 1000},
        {1000, 10, 4, 4},
    };
    for (const Case& c : cases) {
        HeadlessOptions options;
        options.fps = c.fps;
        std::string error;
        ASSERT_TRUE(open_headless(options, &error)) << error;
        EXPECT_EQ(platform_wall_ms(), 0u);
        // The loading screen: the wall clock runs, the stream stays at 0.
        for (int i = 0; i < c.swaps; ++i) platform_swap_buffers();
        EXPECT_EQ(platform_wall_ms(), static_cast<uint32_t>(c.elapsed_ms)) << c.fps << " fps, " << c.swaps;
        EXPECT_EQ(sound_position_ms(), 0) << "nothing plays before sound_play";
        sound_play(c.start_ms);
        EXPECT_EQ(sound_position_ms(), c.start_ms);
        for (int i = 0; i < c.swaps; ++i) platform_swap_buffers();
        EXPECT_EQ(sound_position_ms(), c.start_ms + c.elapsed_ms) << c.fps << " fps, " << c.swaps << " swaps";
        platform_close_window();
    }
}

TEST(VirtualClock, OnlyFramesOfTheCaptureRangeAreKept) {
    HeadlessOptions options;
    options.fps = 10;
    options.from_ms = 1000;
    options.to_ms = 1200;
    options.capture_path = fresh_folder("kept").string();
    std::string error;
    ASSERT_TRUE(open_headless(options, &error)) << error;
    EXPECT_FALSE(platform_frame_kept()) << "the loading screen goes nowhere";
    platform_swap_buffers();
    EXPECT_FALSE(platform_frame_kept());
    sound_play(options.from_ms);
    std::vector<bool> kept;  // at 1000, 1100, 1200, 1300 ms
    for (int i = 0; i < 4; ++i) {
        sound_position_ms();
        kept.push_back(platform_frame_kept());
        draw_pass();
    }
    EXPECT_EQ(kept, (std::vector<bool>{true, true, true, false}));
    EXPECT_TRUE(platform_finish_capture(&error)) << error;
    platform_close_window();

    // Without a capture every frame is seen by whoever reads it back.
    options.capture_path.clear();
    ASSERT_TRUE(open_headless(options, &error)) << error;
    EXPECT_TRUE(platform_frame_kept());
    platform_close_window();
}

TEST(VirtualClock, RatesOutsideOneToAThousandAreRefused) {
    for (double fps : {0.0, -5.0, 0.5, 1001.0}) {
        HeadlessOptions options;
        options.fps = fps;
        std::string error;
        EXPECT_FALSE(open_headless(options, &error)) << fps;
        EXPECT_NE(error.find("frames per second"), std::string::npos) << error;
    }
}

TEST(HeadlessMessages, OnlyThePostedQuitArrives) {
    HeadlessOptions options;
    std::string error;
    ASSERT_TRUE(open_headless(options, &error)) << error;
    Message message;
    EXPECT_FALSE(platform_peek_message(&message));
    platform_post_quit(3);
    ASSERT_TRUE(platform_peek_message(&message));
    EXPECT_EQ(message.kind, MessageKind::quit);
    EXPECT_EQ(message.wparam, 3u);
    EXPECT_FALSE(platform_peek_message(&message)) << "the quit message is retrieved once";
    EXPECT_TRUE(sound_init(44100, 32));
    platform_close_window();
}

TEST(HeadlessSound, BytesThatAreNotMp3AreRefused) {
    HeadlessOptions options;
    std::string error;
    ASSERT_TRUE(open_headless(options, &error)) << error;
    const std::string text = "this is not an mp3 file, just some words in a row";
    std::vector<uint8_t> garbage(text.begin(), text.end());
    garbage.resize(4096, 0x55);
    error.clear();
    EXPECT_FALSE(sound_open_stream(garbage.data(), garbage.size(), &error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(sound_open_stream(garbage.data(), 0, &error));
    EXPECT_FALSE(error.empty());
    platform_close_window();
}

TEST(PngFolder, FrameNamesAreSixDigitMusicTimes) {
    HeadlessOptions options;
    options.fps = 30;
    options.from_ms = 1000;
    options.to_ms = 1200;
    options.capture_path = fresh_folder("names").string();
    capture(options);
    const std::set<std::string> expected = {"001000.png", "001033.png", "001066.png", "001100.png",
                                            "001133.png", "001166.png", "001200.png"};
    EXPECT_EQ(files_in(options.capture_path), expected);
    EXPECT_EQ(platform_frames_written(), 7);
    EXPECT_EQ(platform_frames_expected(), 7);
}

TEST(PngFolder, RangeEndsAreInclusiveAtOtherRates) {
    struct Case {
        double fps;
        int32_t from_ms, to_ms;
        std::set<std::string> names;
    } cases[] = {
        {24, 53530, 53600, {"053530.png", "053571.png"}},  // 53571.7 + 41.7 = 53613 is past the end
        {25, 0, 80, {"000000.png", "000040.png", "000080.png"}},
        {10, 500, 500, {"000500.png"}},
    };
    for (const Case& c : cases) {
        HeadlessOptions options;
        options.fps = c.fps;
        options.from_ms = c.from_ms;
        options.to_ms = c.to_ms;
        options.capture_path = fresh_folder("range").string();
        capture(options);
        EXPECT_EQ(files_in(options.capture_path), c.names) << c.fps << " fps";
        EXPECT_EQ(platform_frames_expected(), static_cast<int>(c.names.size()));
    }
}

TEST(PngFolder, TwoRunsWriteTheSameBytesTopRowFirst) {
    HeadlessOptions options;
    options.fps = 25;
    options.from_ms = 2000;
    options.to_ms = 2200;
    options.capture_path = fresh_folder("first").string();
    capture(options);
    const fs::path first = options.capture_path;
    options.capture_path = fresh_folder("second").string();
    capture(options);
    const fs::path second = options.capture_path;
    const std::set<std::string> names = files_in(first);
    ASSERT_EQ(names.size(), 6u);
    EXPECT_EQ(files_in(second), names);
    std::set<std::string> distinct;
    for (const std::string& name : names) {
        const std::string bytes = bytes_of(first / name);
        EXPECT_EQ(bytes, bytes_of(second / name)) << name;
        distinct.insert(bytes);
    }
    EXPECT_EQ(distinct.size(), names.size()) << "each frame shows its own music time";

    const std::vector<uint8_t> rgb = read_png(first / "002000.png");
    ASSERT_FALSE(rgb.empty());
    EXPECT_EQ(pixel_at(rgb, 10, 0)[0], 255) << "the red bar at the top of the screen is the first row";
    EXPECT_EQ(pixel_at(rgb, 10, 599)[0], 0);
    // 2000 % 700 = 600: the square spans x 600 ... 699 and y 100 ... 199 from the bottom.
    EXPECT_EQ(pixel_at(rgb, 650, 599 - 150)[2], 255);
    EXPECT_EQ(pixel_at(rgb, 550, 599 - 150)[2], 0);
}

TEST(PngFolder, AFileInTheWayOfTheFolderIsReported) {
    const fs::path folder = fresh_folder("blocked");
    fs::create_directories(folder.parent_path());
    std::ofstream(folder) << "not a folder";
    HeadlessOptions options;
    options.capture_path = folder.string();
    std::string error;
    EXPECT_FALSE(open_headless(options, &error));
    EXPECT_NE(error.find(folder.string()), std::string::npos) << error;
    fs::remove(folder);
}

TEST(FrameSinks, VideoFilesAreChosenByTheirExtension) {
    struct Case {
        const char* path;
        bool video;
    } cases[] = {
        {"show.mp4", true}, {"out/show.MKV", true}, {"frames", false}, {"frames.mp4.d/", false},
        {"show.avi", false}, {"053530.png", false},
    };
    for (const Case& c : cases) EXPECT_EQ(is_video_path(c.path), c.video) << c.path;
}

TEST(VideoFile, HoldsTheFramesOfTheRangeUprightWithTheSoundtrack) {
    if (std::system("ffmpeg -version >/dev/null 2>&1 && ffprobe -version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ffmpeg is not installed";
    const fs::path folder = fresh_folder("video");
    fs::create_directories(folder);
    HeadlessOptions options;
    options.fps = 25;
    options.from_ms = 1000;
    options.to_ms = 1480;  // 13 frames: 1000, 1040, ... 1480
    options.capture_path = (folder / "show.mkv").string();
    capture(options, tone_mp3(2.0));
    EXPECT_EQ(platform_frames_written(), 13);
    const std::string file = options.capture_path;
    EXPECT_EQ(output_of("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                        "stream=width,height,nb_read_frames -of csv=p=0 '" + file + "'"),
              "800,600,13\n");
    EXPECT_EQ(output_of("ffprobe -v error -select_streams a:0 -show_entries stream=codec_name -of csv=p=0 '" +
                        file + "'"),
              "aac\n");
    const fs::path first_frame = folder / "first.png";
    ASSERT_EQ(std::system(("ffmpeg -v error -y -i '" + file + "' -frames:v 1 '" + first_frame.string() + "'").c_str()),
              0);
    const std::vector<uint8_t> rgb = read_png(first_frame);
    ASSERT_FALSE(rgb.empty());
    EXPECT_GT(pixel_at(rgb, 10, 2)[0], 200) << "the red bar stays at the top";
    EXPECT_LT(pixel_at(rgb, 10, 590)[0], 50);
    // 1000 % 700 = 300: the blue square spans x 300 ... 399, 100 ... 199 from the bottom.
    EXPECT_GT(pixel_at(rgb, 350, 599 - 150)[2], 200);
    EXPECT_LT(pixel_at(rgb, 250, 599 - 150)[2], 50);
}

TEST(VideoFile, AMissingFolderIsReportedAtOpen) {
    if (std::system("ffmpeg -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg is not installed";
    HeadlessOptions options;
    options.capture_path = (fresh_folder("absent") / "show.mp4").string();
    std::string error;
    EXPECT_FALSE(open_headless(options, &error));
    EXPECT_NE(error.find(options.capture_path), std::string::npos) << error;
}

TEST(CaptureProgress, SaysHowFarHowFastAndHowLongStill) {
    EXPECT_EQ(capture_progress_line(0, 9643, 0), "capture:   0% | 0 of 9643 frames");
    EXPECT_EQ(capture_progress_line(4321, 9643, 58.2), "capture:  45% | 4321 of 9643 frames | 58.2 fps | 1:31 left");
    EXPECT_EQ(capture_progress_line(9643, 9643, 30), "capture: 100% | 9643 of 9643 frames | 30.0 fps | 0:00 left");
    EXPECT_EQ(capture_progress_line(10, 0, 5), "capture:   0% | 10 of 0 frames | 5.0 fps | 0:00 left");
}

TEST(PngFolder, AWriteThatFailsOnTheWorkerFailsTheCapture) {
    // The folder turns into a file while frames are still being written: the
    // worker's failed write must come back as the capture's failure.
    HeadlessOptions options;
    options.fps = 25;
    options.from_ms = 0;
    options.to_ms = 4000;
    const fs::path folder = fresh_folder("vanishing");
    options.capture_path = folder.string();
    std::string error;
    ASSERT_TRUE(open_headless(options, &error)) << error;
    sound_play(0);
    for (int i = 0; i < 4; ++i) draw_pass();
    draw_pass();  // hands the previous frames on, so they are written before the folder goes
    fs::remove_all(folder);
    std::ofstream(folder) << "in the way";
    // The capture stops at its first failed write: the backend closes the window.
    Message message;
    bool closed = false;
    while (!closed && sound_position_ms() <= options.to_ms) {
        draw_pass();
        closed = platform_peek_message(&message) && message.kind == MessageKind::close;
    }
    EXPECT_TRUE(closed) << "rendered on to " << sound_position_ms() << " ms after the write failed";
    EXPECT_FALSE(platform_finish_capture(&error));
    EXPECT_NE(error.find(folder.string()), std::string::npos) << error;
    EXPECT_LT(platform_frames_written(), platform_frames_expected());
    platform_close_window();
    fs::remove(folder);
}

// The main loop, window_proc and the fatal start-up paths against a scripted
// platform. This executable defines every platform function itself, so the
// linker takes none of the real backends' objects.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <vector>

#include "shell/shell.h"
#include "timeline/timeline.h"

namespace {

struct FakePlatform {
    std::deque<Message> messages;
    int32_t position = 0;
    int swaps = 0;
    std::vector<std::string> titles;
    int sound_closes = 0;
    bool sound_starts = true;
    bool stream_opens = true;
    std::vector<int32_t> drawn_at;  // music time of every frame the loop drew
    int draw_result = 1;
    std::vector<uint32_t> waits;  // the timeout of every wait for a message
    std::vector<int32_t> plays;   // where every sound_play started
    int pauses = 0;
    int holds = 0, helds = 0, bars = 0;  // the player's drawing: held pictures kept and shown, bars laid
};

FakePlatform fake;

int fake_draw_frame() {
    fake.drawn_at.push_back(music_time);
    return fake.draw_result;
}

Message message(MessageKind kind, uint32_t wparam = 0, bool minimized = false) {
    Message m;
    m.kind = kind;
    m.wparam = wparam;
    m.minimized = minimized;
    return m;
}

}  // namespace

// ---- The scripted platform ----

void platform_select_backend(Backend, const HeadlessOptions&, const WindowOptions&) {}
bool platform_open_window(const char*, int, int, int, bool, bool* got_fullscreen, std::string*) {
    *got_fullscreen = false;
    return true;
}
void platform_close_window() { std::fputs("[window closed]\n", stderr); }
void platform_swap_buffers() { fake.swaps += 1; }
void platform_set_title(const char* title) { fake.titles.push_back(title); }
bool platform_frame_kept() { return true; }
void platform_show_cursor(bool) {}
bool platform_peek_message(Message* m) {
    if (fake.messages.empty()) return false;
    *m = fake.messages.front();
    fake.messages.pop_front();
    return true;
}
void platform_wait_message(uint32_t timeout_ms) { fake.waits.push_back(timeout_ms); }
void platform_post_quit(int exit_code) {
    fake.messages.push_back(message(MessageKind::quit, static_cast<uint32_t>(exit_code)));
}
void platform_message_box(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
}
uint32_t platform_wall_ms() { return 0; }
bool sound_init(int, int, std::string* error) {
    if (!fake.sound_starts && error) *error = "no audio device";
    return fake.sound_starts;
}
bool platform_start_capture(std::string*) { return true; }
bool sound_open_stream(const uint8_t*, size_t, std::string* error, std::string*) {
    if (!fake.stream_opens) *error = "not an MP3 stream";
    return fake.stream_opens;
}
void sound_play(int32_t start_ms) {
    fake.plays.push_back(start_ms);
    fake.position = start_ms;
}
void sound_pause() { fake.pauses += 1; }
int32_t sound_position_ms() { return fake.position; }
void sound_close() { fake.sound_closes += 1; }
bool platform_finish_capture(std::string*) { return true; }
int platform_caught_signal() { return 0; }

// ---- Tests ----

class MainLoopPass : public ::testing::Test {
protected:
    void SetUp() override {
        fake = FakePlatform{};
        music_time = 0;
        shell.window_active = true;
        for (bool& down : shell.key_down) down = false;
        shell.frame_count = 0;
        shell.frames_per_second = 0;
        loop = MainLoop{};
        loop.draw_frame = fake_draw_frame;
        loop.drawing = {[] { fake.holds += 1; }, [] { fake.helds += 1; }, [](const TimelineBar&) { fake.bars += 1; }};
    }
    void pass() { main_loop_pass(loop); }
    MainLoop loop;
};

TEST_F(MainLoopPass, DrawsOneFrameAtTheSoundtrackPosition) {
    fake.position = 1234;
    pass();
    EXPECT_FALSE(loop.finished);
    EXPECT_EQ(music_time, 1234);
    EXPECT_EQ(fake.drawn_at, std::vector<int32_t>{1234});
    EXPECT_EQ(fake.swaps, 1);
    EXPECT_EQ(shell.frame_count, 1);
    ASSERT_EQ(fake.titles.size(), 1u);
    EXPECT_EQ(fake.titles.back(), format_status_line(1234, credits_local_time, 1 / 1234.0f * 1000));
}

TEST_F(MainLoopPass, ShowsZeroRateWhileMusicTimeIsZero) {
    pass();
    EXPECT_EQ(shell.frames_per_second, 0.0f);
    EXPECT_NE(fake.titles.back().find("|   0 fps |"), std::string::npos) << fake.titles.back();
}

TEST_F(MainLoopPass, RateIsTheAverageSincePlaybackBegan) {
    for (int i = 1; i <= 50; ++i) {
        fake.position = i * 20;
        pass();
    }
    EXPECT_FLOAT_EQ(shell.frames_per_second, 50.0f);  // 50 passes over 1000 ms
    // Started part-way in, the average still counts from where playback began.
    SetUp();
    loop.from_ms = 159000;
    for (int i = 1; i <= 10; ++i) {
        fake.position = 159000 + i * 40;
        pass();
    }
    EXPECT_FLOAT_EQ(shell.frames_per_second, 25.0f);
}

TEST_F(MainLoopPass, MinimisedWindowDrawsNothingWaitsForMessagesAndFollowsTheMusic) {
    fake.position = 5000;
    pass();
    fake.messages.push_back(message(MessageKind::activate, 0, true));
    fake.position = 6000;
    pass();
    fake.position = 7000;
    pass();
    EXPECT_FALSE(shell.window_active);
    EXPECT_EQ(fake.drawn_at, std::vector<int32_t>{5000});
    EXPECT_EQ(fake.swaps, 1);
    EXPECT_EQ(music_time, 7000);
    // No busy loop: every inactive pass waits for a message, and only drawn frames count.
    EXPECT_EQ(fake.waits, std::vector<uint32_t>(2, inactive_wait_ms));
    EXPECT_EQ(shell.frame_count, 1);
    ASSERT_EQ(fake.titles.size(), 3u);
    EXPECT_NE(fake.titles.back().find("| 7000 ms ["), std::string::npos) << fake.titles.back();
    EXPECT_FLOAT_EQ(shell.frames_per_second, 1 / 7000.0f * 1000);

    // Restored, the show goes on where the soundtrack has got to.
    fake.messages.push_back(message(MessageKind::activate, 0, false));
    fake.position = 9000;
    pass();
    EXPECT_TRUE(shell.window_active);
    EXPECT_EQ(fake.drawn_at.back(), 9000);
    EXPECT_FALSE(loop.finished);
}

TEST_F(MainLoopPass, MinimisedTheShowStillEndsOnTimeWithoutDrawing) {
    const struct {
        int32_t to_ms, position;
        bool finished;
    } rows[] = {
        {INT32_MAX, 160704, false}, {INT32_MAX, 160705, true}, {20000, 20000, false}, {20000, 20001, true},
    };
    for (const auto& row : rows) {
        SetUp();
        loop.to_ms = row.to_ms;
        fake.messages.push_back(message(MessageKind::activate, 0, true));
        fake.position = row.position;
        pass();
        EXPECT_EQ(loop.finished, row.finished) << row.position;
        EXPECT_TRUE(fake.drawn_at.empty());
        EXPECT_EQ(fake.waits.size(), row.finished ? 0u : 1u);
    }
}

TEST_F(MainLoopPass, EscapeIsIgnoredWhileInactiveAndEndsTheFirstActivePass) {
    fake.messages.push_back(message(MessageKind::activate, 0, true));
    fake.messages.push_back(message(MessageKind::key_down, key_escape));
    fake.messages.push_back(message(MessageKind::activate, 0, false));
    fake.position = 100;
    pass();
    pass();
    EXPECT_TRUE(shell.key_down[key_escape]);
    EXPECT_FALSE(loop.finished);
    pass();
    EXPECT_TRUE(loop.finished);
    EXPECT_TRUE(fake.drawn_at.empty());
    EXPECT_EQ(fake.swaps, 0);
    EXPECT_EQ(shell.frame_count, 0);
    EXPECT_EQ(fake.titles.size(), 3u);
}

TEST_F(MainLoopPass, EscapeWhileActiveEndsWithoutDrawing) {
    fake.position = 40;
    fake.messages.push_back(message(MessageKind::key_down, key_escape));
    pass();
    EXPECT_TRUE(loop.finished);
    EXPECT_TRUE(fake.drawn_at.empty());
    EXPECT_EQ(fake.swaps, 0);
    EXPECT_EQ(music_time, 0);
}

TEST_F(MainLoopPass, ReleasedEscapeNoLongerEnds) {
    fake.messages.push_back(message(MessageKind::key_down, key_escape));
    fake.messages.push_back(message(MessageKind::key_up, key_escape));
    shell.window_active = false;
    pass();
    pass();
    shell.window_active = true;
    pass();
    EXPECT_FALSE(loop.finished);
    EXPECT_EQ(fake.drawn_at.size(), 1u);
}

TEST_F(MainLoopPass, ThePassThatRetrievesQuitStillDraws) {
    fake.messages.push_back(message(MessageKind::quit));
    fake.position = 777;
    pass();
    EXPECT_TRUE(loop.finished);
    EXPECT_EQ(fake.drawn_at, std::vector<int32_t>{777});
    EXPECT_EQ(fake.swaps, 1);
    EXPECT_EQ(shell.frame_count, 1);
}

TEST_F(MainLoopPass, ClosingTheWindowStopsTheSoundAndQuitsOnTheNextMessage) {
    fake.messages.push_back(message(MessageKind::close));
    fake.messages.push_back(message(MessageKind::key_down, 'A'));
    fake.position = 10;
    pass();
    EXPECT_EQ(fake.sound_closes, 1);
    EXPECT_FALSE(loop.finished);
    pass();  // the key, queued before the quit message
    EXPECT_FALSE(loop.finished);
    pass();
    EXPECT_TRUE(loop.finished);
    EXPECT_EQ(fake.drawn_at.size(), 3u);
}

TEST_F(MainLoopPass, OnlyOneMessageIsHandledPerPass) {
    fake.messages.push_back(message(MessageKind::activate, 0, true));
    fake.messages.push_back(message(MessageKind::activate, 0, false));
    pass();
    EXPECT_FALSE(shell.window_active);
    EXPECT_EQ(fake.messages.size(), 1u);
}

TEST_F(MainLoopPass, TheTimelinesEndIsPresentedAndEndsTheLoop) {
    fake.position = 160705;
    fake.draw_result = 0;
    pass();
    EXPECT_TRUE(loop.finished);
    EXPECT_EQ(fake.drawn_at.size(), 1u);
    EXPECT_EQ(fake.swaps, 1);  // the cleared last frame is shown
}

TEST_F(MainLoopPass, EndsOnceMusicTimePassesTheEndOfTheRange) {
    loop.to_ms = 1200;
    fake.position = 1200;
    pass();
    EXPECT_FALSE(loop.finished);
    fake.position = 1240;
    pass();
    EXPECT_TRUE(loop.finished);
    EXPECT_EQ(fake.drawn_at, std::vector<int32_t>{1200});
    EXPECT_EQ(fake.swaps, 1);
}

TEST_F(MainLoopPass, RunsUntilFinished) {
    fake.position = 50;
    for (int i = 0; i < 4; ++i) fake.messages.push_back(message(MessageKind::key_up, 'A'));
    fake.messages.push_back(message(MessageKind::quit));
    run_main_loop(loop);
    EXPECT_EQ(shell.frame_count, 5);
    EXPECT_EQ(fake.drawn_at.size(), 5u);
}

TEST_F(MainLoopPass, WindowProcHandlesItsTable) {
    struct Case {
        Message m;
        int result;
    };
    const Case cases[] = {
        {message(MessageKind::syscommand, syscommand_screensave), 0},
        {message(MessageKind::syscommand, syscommand_monitorpower), 0},
        {message(MessageKind::syscommand, 0xF020), 1},  // minimise: the system's business
        {message(MessageKind::key_down, 'Q'), 0},
        {message(MessageKind::activate, 0, true), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(window_proc(c.m), c.result);
    EXPECT_TRUE(shell.key_down['Q']);
    EXPECT_FALSE(shell.window_active);
    EXPECT_EQ(window_proc(message(MessageKind::key_down, 256 + key_escape)), 0);
    EXPECT_TRUE(shell.key_down[key_escape]);  // only the low byte indexes the table
    window_proc(message(MessageKind::key_up, 'Q'));
    EXPECT_FALSE(shell.key_down['Q']);
    EXPECT_TRUE(fake.messages.empty());
    EXPECT_EQ(fake.sound_closes, 0);
}

// ---- Fatal start-up paths ----

namespace {

std::filesystem::path temp_file(const std::string& name, const std::string& contents) {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("zelvo_shell_" + std::to_string(::getpid()) + "_" + name);
    std::ofstream(path, std::ios::binary) << contents;
    return path;
}

}  // namespace

using FatalStartUp = MainLoopPass;

TEST_F(FatalStartUp, MissingSettingsFileShowsItsMessageAndFails) {
    EXPECT_EXIT(read_settings_file("/nonexistent/data//settings.ini"), ::testing::ExitedWithCode(1),
                "window closed.*\nERROR: Error!\nNo settings.ini, can't make the stupid settings\n"
                "which are totally useless, but i'm not in the mood\nto rewrite the movements "
                "synced.\nI'll do it in the final version. Promise.\nRennic");
}

TEST_F(FatalStartUp, SettingsFileFillsTheCreditsValuesAndWarnsAboutItsFaults) {
    std::filesystem::path good = temp_file("good.ini", "12.5\n250\n");
    read_settings_file(good.c_str());
    EXPECT_EQ(credits_ease_divisor, 12.5f);
    EXPECT_EQ(credits_particle_modulus, 250);

    std::filesystem::path bad = temp_file("bad.ini", "0\nsoon\n");
    ::testing::internal::CaptureStderr();
    read_settings_file(bad.c_str());
    std::string warnings = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(credits_ease_divisor, 1.0f);
    EXPECT_EQ(credits_particle_modulus, 1000);
    EXPECT_NE(warnings.find(bad.string() + ": credits_ease_divisor"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find(bad.string() + ": cannot read credits_particle_modulus"),
              std::string::npos)
        << warnings;
    std::filesystem::remove(good);
    std::filesystem::remove(bad);
}

TEST_F(FatalStartUp, SoundThatWillNotStartShowsItsMessageAndFails) {
    fake.sound_starts = false;
    EXPECT_EXIT(start_sound(), ::testing::ExitedWithCode(1), "ERROR: Error!\nCan't init FMOD");
}

TEST_F(FatalStartUp, MissingSoundtrackShowsItsMessageAndFails) {
    EXPECT_EXIT(load_soundtrack("/nonexistent/data//kardel.mp3"), ::testing::ExitedWithCode(1),
                "ERROR: Error!\nCan't find music file...");
}

TEST_F(FatalStartUp, SoundtrackTheDecoderRefusesNamesTheFileAndTheProblem) {
    std::filesystem::path song = temp_file("song.mp3", "not really an mp3");
    fake.stream_opens = false;
    EXPECT_EXIT(load_soundtrack(song.c_str()), ::testing::ExitedWithCode(1),
                "ERROR: Error!\nCan't play music file .*song.mp3:\nnot an MP3 stream");
    std::filesystem::remove(song);
}

TEST_F(FatalStartUp, SoundtrackThatCannotBeReadNamesTheFile) {
    std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                   ("zelvo_shell_dir_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    EXPECT_EXIT(load_soundtrack(folder.c_str()), ::testing::ExitedWithCode(1),
                "ERROR: Error!\nCan't read music file .*zelvo_shell_dir_");
    std::filesystem::remove(folder);
}

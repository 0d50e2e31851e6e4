// The main loop, window_proc and the fatal start-up paths against a scripted
// platform. This executable defines every platform function itself, so the
// linker takes none of the real backends' objects.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <vector>

#include "resources/resources.h"
#include "scenes/city/city.h"
#include "scenes/credits/credits.h"
#include "scenes/objects/objects.h"
#include "scenes/office/office.h"
#include "scenes/tunnel/tunnel.h"
#include "shell/shell.h"
#include "timeline/cues.h"
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

// Like run_timeline, the show ends past its last millisecond.
int fake_draw_frame() {
    fake.drawn_at.push_back(music_time);
    return music_time > show_last_ms ? 0 : fake.draw_result;
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
bool platform_open_refused_size() { return false; }
void platform_end_if_device_stuck(int) {}
void platform_frame_size(int* width, int* height) {
    *width = 800;
    *height = 600;
}
void platform_resolve_samples() {}
void platform_close_window() { std::fputs("[window closed]\n", stderr); }
void platform_swap_buffers() { fake.swaps += 1; }
void platform_keep_vertices(const void*, size_t) {}
void platform_forget_vertices(const void*) {}
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


// ---- The player ----

TEST(PlayerSeek, KeysLandWhereTheyShouldClampedAtBothEnds) {
    constexpr int32_t end = show_last_ms + 1;
    const struct {
        int key;
        bool shift;
        int32_t t, target;
    } rows[] = {
        {key_right, false, 1000, 1000 + beat_ms},
        {key_left, false, 5000, 5000 - beat_ms},
        {key_left, false, 1000, 0},
        {key_right, true, 1000, 1000 + 10 * beat_ms},
        {key_left, true, 20000, 20000 - 10 * beat_ms},
        {key_right, false, 160000, end},
        {key_page_down, false, 0, 21387},
        {key_page_down, false, 21386, 21387},
        {key_page_down, false, 21387, 32047},
        {key_page_down, false, 155000, end},
        {key_page_down, false, end, end},
        {key_page_up, false, 40000, 32047},                        // well into the credits: their start
        {key_page_up, false, 32047, 21387},                        // at the start: the scene before
        {key_page_up, false, 32047 + beat_ms - 1, 21387},
        {key_page_up, false, 32047 + beat_ms, 32047},
        {key_page_up, false, 300, 0},                              // nothing before the first
        {key_page_up, false, end, 151941},                         // past the end: the last scene
        {key_home, false, 90000, 0},
    };
    for (const auto& row : rows) {
        int32_t target = -1;
        EXPECT_TRUE(seek_target(row.key, row.shift, row.t, &target));
        EXPECT_EQ(target, row.target) << "key " << row.key << (row.shift ? " with Shift" : "") << " at " << row.t;
    }
    int32_t untouched = 7;
    for (int key : {key_space, key_tab, key_escape, int{'A'}, 0x26 /* up */, 0x23 /* end */})
        EXPECT_FALSE(seek_target(key, false, 1000, &untouched) || untouched != 7) << key;
}

TEST(PlayerBar, SegmentsSpanTheScreenInProportionAndMarkTheCurrentScene) {
    const TimelineBar bar = timeline_bar_at(70000, "70000 ms");
    ASSERT_EQ(bar.segment_count, scene_window_count);
    EXPECT_FLOAT_EQ(bar.segments[0].x0, 0);
    EXPECT_FLOAT_EQ(bar.segments[scene_window_count - 1].x1, 800);
    const float per_ms = 800.0f / (show_last_ms + 1);
    for (int i = 0; i < scene_window_count; ++i) {
        const BarSegment& s = bar.segments[i];
        if (i > 0) {
            EXPECT_FLOAT_EQ(s.x0, bar.segments[i - 1].x1) << "segments follow each other without gaps";
        }
        EXPECT_NEAR(s.x1 - s.x0, (scene_windows[i].last - scene_windows[i].first + 1) * per_ms, 1e-3);
        EXPECT_STREQ(s.name, scene_windows[i].name);
        EXPECT_EQ(s.current, scene_windows[i].scene == SceneId::office) << i;
    }
    EXPECT_NEAR(bar.position_x, 70000 * per_ms, 1e-3);
    EXPECT_FLOAT_EQ(timeline_bar_at(500000, "").position_x, 800);
}

namespace {

Message key_message(int key, bool down) { return message(down ? MessageKind::key_down : MessageKind::key_up, key); }

// What the scenes keep from frame to frame, and where the shared rand stands.
struct SceneState {
    CreditState images;
    ParticleField field;
    Vec3 cameras[8];
    TunnelProfile rings[tunnel_ring_count];
    int next_rand;
};

SceneState scene_state() {
    SceneState s{};
    s.images = credits_scene.images;
    s.field = credits_scene.field;
    const CameraPath* paths[] = {&city_scene.camera, &office_scene.camera, &tunnel_scene.camera, &objects_scene.camera};
    for (int i = 0; i < 4; ++i) {
        s.cameras[2 * i] = paths[i]->held_eye;
        s.cameras[2 * i + 1] = paths[i]->held_centre;
    }
    for (int i = 0; i < tunnel_ring_count; ++i) s.rings[i] = tunnel_scene.rings[i];
    s.next_rand = demo_rand();
    return s;
}

bool same_state(const SceneState& a, const SceneState& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Frames drawn: every scene's state moved on from where it started.
void scribble_on_scenes() {
    credits_scene.images.pos[credit_vek] = 12;
    credits_scene.images.alpha[credit_mirl] = 0.65f;
    credits_scene.field.particles[7].x = 33;
    city_scene.camera.held_eye = {1, 2, 3};
    office_scene.camera.held_centre = {4, 5, 6};
    tunnel_scene.camera.held_eye = {7, 8, 9};
    objects_scene.camera.held_centre = {1, 1, 1};
    tunnel_scene.rings[3].points[2] = {0.5f, 0.25f};
    for (int i = 0; i < 99; ++i) demo_rand();
}

}  // namespace

TEST_F(MainLoopPass, PauseHoldsThePositionAndResumesFromIt) {
    fake.position = 5000;
    pass();
    fake.messages.push_back(key_message(key_space, true));
    fake.position = 5040;  // the sound ran on a little while the key came
    pass();
    EXPECT_EQ(fake.pauses, 1);
    EXPECT_EQ(fake.drawn_at, (std::vector<int32_t>{5000, 5000})) << "the paused frame is drawn once more, then held";
    EXPECT_EQ(fake.holds, 1);
    // Held: the picture comes from the copy, the time stands, a repeat of the key changes nothing.
    fake.messages.push_back(key_message(key_space, true));
    fake.position = 9000;
    pass();
    pass();
    EXPECT_EQ(fake.drawn_at.size(), 2u);
    EXPECT_EQ(fake.helds, 2);
    EXPECT_EQ(fake.swaps, 4);
    EXPECT_EQ(music_time, 5000);
    EXPECT_EQ(fake.titles.back(), "zelvo | 5000 ms [" + std::to_string(credits_local_time) + "] | paused | by Kardel");
    EXPECT_EQ(fake.waits, (std::vector<uint32_t>(3, paused_wait_ms))) << "paused passes wait rather than spin";
    // Tab lays the bar over the held picture while it is held.
    fake.messages.push_back(key_message(key_tab, true));
    pass();
    fake.messages.push_back(key_message(key_tab, false));
    pass();
    EXPECT_EQ(fake.bars, 1);
    // Released and pressed again: the sound starts from the held time, the frames follow it.
    fake.messages.push_back(key_message(key_space, false));
    fake.messages.push_back(key_message(key_space, true));
    pass();
    pass();
    EXPECT_EQ(fake.plays, std::vector<int32_t>{5000});
    EXPECT_EQ(fake.drawn_at.back(), 5000);
    fake.position = 5100;
    pass();
    EXPECT_EQ(fake.drawn_at.back(), 5100);
    EXPECT_NE(fake.titles.back().find(" fps |"), std::string::npos) << fake.titles.back();
}

TEST_F(MainLoopPass, ASeekStartsTheScenesAndTheSoundAfreshFromItsTime) {
    reset_demo_rand();
    init_scenes();
    const SceneState fresh = scene_state();
    struct Row {
        std::vector<Message> keys;
        bool paused;
        int32_t from, target;
        size_t seeks;
        int frames_since;  // frames drawn since the last seek
    };
    const Row rows[] = {
        {{key_message(key_right, true)}, false, 40000, 40000 + beat_ms, 1, 1},
        {{key_message(key_shift, true), key_message(key_left, true)}, false, 40000, 40000 - 10 * beat_ms, 1, 1},
        {{key_message(key_right, true), key_message(key_right, true)}, false, 40000, 40000 + 2 * beat_ms, 2, 1},
        {{key_message(key_page_up, true), key_message(key_page_up, true)}, false, 40000, 32047, 1, 2},  // held: once
        {{key_message(key_page_down, true)}, true, 100000, 109312, 1, 0},
        {{key_message(key_home, true)}, true, 100000, 0, 1, 0},
    };
    for (const Row& row : rows) {
        SetUp();
        fake.position = row.from;
        pass();
        if (row.paused) {
            fake.messages.push_back(key_message(key_space, true));
            pass();
        }
        scribble_on_scenes();
        for (const Message& m : row.keys) fake.messages.push_back(m);
        for (size_t i = 0; i < row.keys.size(); ++i) pass();
        SCOPED_TRACE(row.target);
        EXPECT_EQ(fake.drawn_at.back(), row.target) << "the frame after the seek is at its time";
        EXPECT_EQ(music_time, row.target);
        if (row.paused) {
            // Paused, the sound waits for Space; the new frame is held.
            EXPECT_TRUE(fake.plays.empty());
            EXPECT_EQ(fake.holds, 2);
            EXPECT_NE(fake.titles.back().find("| paused |"), std::string::npos) << fake.titles.back();
        } else {
            EXPECT_EQ(fake.plays.size(), row.seeks);
            EXPECT_EQ(fake.plays.back(), row.target);
            EXPECT_EQ(shell.frame_count, row.frames_since) << "the rate counts from the seek";
        }
        // Nothing drawn for real since: the scenes stand as a fresh --from start leaves them.
        EXPECT_TRUE(same_state(scene_state(), fresh)) << "after a seek the scenes' state differs from a fresh start";
    }
}

TEST_F(MainLoopPass, TheEndAndSeeksPastItEndTheShowOrWithLoopStartItAgainFromZero) {
    const struct {
        bool loop;
        int32_t to_ms, position;
        int key;  // pressed at the position, or 0
    } rows[] = {
        {false, INT32_MAX, 160705, 0},       {true, INT32_MAX, 160705, 0},
        {false, 20000, 20001, 0},            {true, 20000, 20001, 0},
        {false, INT32_MAX, 155000, key_page_down}, {true, INT32_MAX, 160000, key_right},
    };
    for (const auto& row : rows) {
        SetUp();
        loop.loop = row.loop;
        loop.to_ms = row.to_ms;
        fake.position = row.key ? row.position : row.position - 1000;
        pass();
        fake.position = row.position;
        if (row.key) fake.messages.push_back(key_message(row.key, true));
        pass();
        if (row.key) pass();
        SCOPED_TRACE(row.position);
        EXPECT_EQ(loop.finished, !row.loop);
        if (!row.loop) continue;
        EXPECT_EQ(fake.plays.back(), 0) << "the sound starts again from 0";
        pass();
        EXPECT_EQ(fake.drawn_at.back(), 0);
        EXPECT_FALSE(loop.finished);
    }
    // Looping, Escape still ends it.
    fake.messages.push_back(key_message(key_escape, true));
    pass();
    EXPECT_TRUE(loop.finished);
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

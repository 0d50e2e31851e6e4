// The SDL backend without a display: key codes as the window procedure
// expects them, the playback clock's interpolation, and the stream played
// through SDL's dummy audio driver in real time, running on past the music's end.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "codecs/codecs.h"
#include "platform/offscreen/offscreen.h"
#include "platform/platform.h"
#include "platform/sdl/sdl.h"
#include "soundtrack.h"

namespace {

using Clock = std::chrono::steady_clock;

// SDL key codes: printable keys are their character, the others 0x40000000 | scan code.
constexpr int32_t sdl_scancode_key(int scancode) { return 0x40000000 | scancode; }

std::vector<uint8_t> tone_mp3(int rate, int channels, double seconds) {
    const int frames = static_cast<int>(rate * seconds);
    std::vector<int16_t> pcm(static_cast<size_t>(frames) * channels);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            pcm[static_cast<size_t>(i) * channels + c] =
                static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440.0 * i / rate));
    std::vector<uint8_t> mp3;
    std::string error;
    EXPECT_TRUE(encode_mp3(pcm, rate, channels, 128, &mp3, &error)) << error;
    return mp3;
}

double ms_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

TEST(SdlKeys, SdlKeysBecomeWin32VirtualKeyCodes) {
    struct Case {
        int32_t sdl;
        uint32_t vk;
    } cases[] = {
        {27, 27},                      // Escape, the one key the demo reads
        {'a', 'A'}, {'z', 'Z'},        // letters are their capital
        {'0', '0'}, {'9', '9'},
        {' ', 0x20}, {'\r', 0x0D}, {'\t', 0x09}, {'\b', 0x08},
        {sdl_scancode_key(58), 0x70},  // F1
        {sdl_scancode_key(69), 0x7B},  // F12
        {sdl_scancode_key(80), 0x25},  // left
        {sdl_scancode_key(82), 0x26},  // up
        {sdl_scancode_key(79), 0x27},  // right
        {sdl_scancode_key(81), 0x28},  // down
        {sdl_scancode_key(225), 0x10},  // left shift
        {sdl_scancode_key(98), 0x60},  // keypad 0
        {sdl_scancode_key(89), 0x61},  // keypad 1
        {'\x7f', 0x2E},                // delete
        {'-', 0}, {sdl_scancode_key(70), 0},  // minus and print screen: no code here
    };
    for (const Case& c : cases) EXPECT_EQ(virtual_key_of(c.sdl), c.vk) << std::hex << c.sdl;
}

TEST(PlaybackClock, PositionIsWhatIsHeardInterpolatedNeverBackwards) {
    // 1024-frame callbacks at 44100 Hz last 23.2 ms.
    const PlaybackClock before_first{44100, 44100, 0, 0};
    const PlaybackClock third{44100, 44100, 2048, 1024};
    // The same with SDL's own 1024-frame buffer still to be heard.
    const PlaybackClock queued{44100, 44100, 2048, 1024, 1024};
    const PlaybackClock queued_first{44100, 44100, 0, 1024, 1024};
    struct Case {
        PlaybackClock clock;
        double ms_since_callback;
        int32_t last_reported;
        int32_t expected;
    } cases[] = {
        {before_first, 50.0, 0, 1000},        // nothing has played yet: the start
        {third, 0.0, 0, 1046},                // 1000 + 2048 frames
        {third, 10.0, 0, 1056},               // smooth between callbacks
        {third, 23.0, 0, 1069},
        {third, 500.0, 0, 1069},              // a stalled device holds at the buffer's end
        {third, -5.0, 0, 1046},
        {third, 0.0, 1060, 1060},             // an early callback never moves it back
        {PlaybackClock{48000, 0, 48000, 480}, 5.0, 0, 1005},
        {queued, 0.0, 0, 1023},               // 1000 + (2048 - 1024) frames
        {queued, 10.0, 0, 1033},
        {queued_first, 10.0, 0, 1000},        // the first buffer not yet heard: the start
    };
    for (const Case& c : cases)
        EXPECT_EQ(playback_position_ms(c.clock, c.ms_since_callback, c.last_reported), c.expected)
            << c.ms_since_callback;
}

TEST(Letterbox, LargestCentredRectangleOfThePicturesShape) {
    struct Case {
        int width, height;
        Letterbox expected;
    } cases[] = {
        {800, 600, {0, 0, 800, 600}},
        {1280, 1024, {0, 32, 1280, 960}},    // bars above and below
        {1920, 1080, {240, 0, 1440, 1080}},  // bars left and right
        {1280, 720, {160, 0, 960, 720}},
        {640, 480, {0, 0, 640, 480}},        // smaller than the picture: scaled down
        {1001, 600, {100, 0, 800, 600}},     // the odd pixel goes to the right bar
        {800, 601, {0, 0, 800, 600}},        // and to the top one
        {799, 600, {0, 0, 799, 599}},        // never taller than what fits the width
        {0, 600, {0, 0, 0, 0}},              // a minimised window draws nothing
        {-5, 600, {0, 0, 0, 0}},
        {3000000, 3000000, {0, 375000, 3000000, 2250000}},  // no overflow in the products
    };
    for (const Case& c : cases) {
        const Letterbox box = letterbox(c.width, c.height, 800, 600);
        EXPECT_EQ(box.x, c.expected.x) << c.width << " x " << c.height;
        EXPECT_EQ(box.y, c.expected.y) << c.width << " x " << c.height;
        EXPECT_EQ(box.width, c.expected.width) << c.width << " x " << c.height;
        EXPECT_EQ(box.height, c.expected.height) << c.width << " x " << c.height;
    }
    EXPECT_EQ(letterbox(800, 600, 0, 600).width, 0);
}

TEST(PlaybackClock, SampleAndMillisecondConversions) {
    EXPECT_EQ(ms_to_sample(1000, 44100), 44100);
    EXPECT_EQ(ms_to_sample(53530, 44100), 2360673);
    EXPECT_EQ(ms_to_sample(-20, 44100), 0);
    EXPECT_EQ(sample_to_ms(44099, 44100), 999);
    EXPECT_EQ(sample_to_ms(2360673, 44100), 53530);
}

// SDL's dummy driver consumes audio in real time without a sound device.
class DummyAudio : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        platform_select_backend(Backend::window, HeadlessOptions{});
        ASSERT_TRUE(sound_init(44100, 32));
    }
    void TearDown() override { sound_close(); }

    // Plays from start_ms for about run_ms, checking the position as a main loop would.
    void play_and_follow(int32_t start_ms, double run_ms) {
        sound_play(start_ms);
        const Clock::time_point began = Clock::now();
        int32_t previous = sound_position_ms();
        EXPECT_GE(previous, start_ms);
        while (ms_since(began) < run_ms) {
            std::this_thread::sleep_for(std::chrono::milliseconds(7));
            const int32_t position = sound_position_ms();
            EXPECT_GE(position, previous) << "the position never moves backwards";
            previous = position;
        }
        const double elapsed = ms_since(began);
        // Ahead by at most one device buffer and the dummy driver's rounding;
        // behind by what a busy machine may delay the audio thread.
        EXPECT_LE(previous, start_ms + elapsed + 60) << elapsed;
        EXPECT_GE(previous, start_ms + elapsed - 400) << elapsed;
    }
};

TEST_F(DummyAudio, StreamPlaysInRealTimeAndRunsOnPastItsEnd) {
    const std::vector<uint8_t> mp3 = tone_mp3(44100, 2, 1.0);
    std::string error;
    ASSERT_TRUE(sound_open_stream(mp3.data(), mp3.size(), &error)) << error;
    EXPECT_EQ(sound_position_ms(), 0) << "0 before sound_play";
    play_and_follow(800, 700);  // the music ends at 1000; the clock must not stop there
    EXPECT_GT(sound_position_ms(), 1300);
    sound_close();
    const int32_t after_close = sound_position_ms();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(sound_position_ms(), after_close) << "a closed stream holds its last position";
}

TEST_F(DummyAudio, PauseHoldsThePositionAndPlayAgainSeeks) {
    const std::vector<uint8_t> mp3 = tone_mp3(44100, 2, 1.0);
    std::string error;
    ASSERT_TRUE(sound_open_stream(mp3.data(), mp3.size(), &error)) << error;
    play_and_follow(200, 200);
    sound_pause();
    const int32_t held = sound_position_ms();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(sound_position_ms(), held) << "paused, the position holds";
    play_and_follow(held, 150);  // resumed where it stood
    play_and_follow(100, 150);   // and back, a seek
}

TEST_F(DummyAudio, MonoStreamAtAnotherRateIsConvertedForTheDevice) {
    const std::vector<uint8_t> mp3 = tone_mp3(22050, 1, 1.0);
    std::string error;
    ASSERT_TRUE(sound_open_stream(mp3.data(), mp3.size(), &error)) << error;
    play_and_follow(0, 300);
}

TEST_F(DummyAudio, BytesThatAreNotMp3AreRefused) {
    std::vector<uint8_t> garbage(5000, 0x42);
    std::string error;
    EXPECT_FALSE(sound_open_stream(garbage.data(), garbage.size(), &error));
    EXPECT_FALSE(error.empty());
}

TEST(SdlClock, WallClockRunsInRealTime) {
    platform_select_backend(Backend::window, HeadlessOptions{});
    const uint32_t start = platform_wall_ms();
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    const uint32_t elapsed = platform_wall_ms() - start;
    EXPECT_GE(elapsed, 119u);
    EXPECT_LT(elapsed, 1000u);
}

TEST(MutedSound, NeedsNoAudioDeviceAndRunsOnTheWallClock) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    platform_select_backend(Backend::window, HeadlessOptions{}, WindowOptions{Presentation::mode_switch, false});
    std::string error;
    EXPECT_FALSE(sound_init(44100, 32, &error));
    EXPECT_FALSE(error.empty());

    platform_select_backend(Backend::window, HeadlessOptions{}, WindowOptions{Presentation::mode_switch, true});
    ASSERT_TRUE(sound_init(44100, 32, &error)) << error;
    const std::vector<uint8_t> mp3 = tone_mp3(44100, 2, 0.2);
    ASSERT_TRUE(sound_open_stream(mp3.data(), mp3.size(), &error)) << error;
    std::vector<uint8_t> garbage(5000, 0x42);
    EXPECT_FALSE(sound_open_stream(garbage.data(), garbage.size(), &error)) << "still validated when muted";
    ASSERT_TRUE(sound_open_stream(mp3.data(), mp3.size(), &error)) << error;
    sound_play(150000);
    const Clock::time_point began = Clock::now();
    EXPECT_GE(sound_position_ms(), 150000);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));  // past the 200 ms of music
    const int32_t position = sound_position_ms();
    EXPECT_GE(position, 150000 + 395);
    EXPECT_LE(position, 150000 + ms_since(began) + 1);
    sound_close();
    unsetenv("SDL_AUDIODRIVER");
}

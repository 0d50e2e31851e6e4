// What the live sound backends share: the ramp to silence before a device
// closes, and the audio offset on the position a window backend reports.
#include <gtest/gtest.h>

#include <vector>

#include "platform/audio/audio.h"
#include "platform/clock.h"

TEST(FadeOut, RampsToSilenceAcrossBuffersAndStaysSilent) {
    const int rate = 1000;  // 30 frames of fade
    std::vector<int16_t> untouched(8, 1000);
    FadeOut none;
    apply_fade_out(untouched.data(), 4, 2, &none);
    EXPECT_EQ(untouched, std::vector<int16_t>(8, 1000));

    FadeOut fade = begin_fade_out(rate);
    ASSERT_EQ(fade.total, 30);
    std::vector<int16_t> heard;
    for (int buffer = 0; buffer < 4; ++buffer) {  // 4 buffers of 16 stereo frames
        std::vector<int16_t> samples(32, 10000);
        apply_fade_out(samples.data(), 16, 2, &fade);
        heard.insert(heard.end(), samples.begin(), samples.end());
    }
    EXPECT_EQ(fade.remaining, 0);
    EXPECT_GE(heard[0], 9600);  // the fade starts from full level
    for (size_t frame = 1; frame < heard.size() / 2; ++frame) {
        EXPECT_LE(heard[2 * frame], heard[2 * frame - 2]) << frame;  // never rising
        EXPECT_EQ(heard[2 * frame], heard[2 * frame + 1]);           // both channels alike
        // No step larger than one frame of the ramp: nothing clicks.
        EXPECT_LE(heard[2 * frame - 2] - heard[2 * frame], 10000 / 30 + 1) << frame;
    }
    for (size_t i = 2 * 29; i < heard.size(); ++i) EXPECT_EQ(heard[i], 0) << i;  // the last frame of the fade on
}

TEST(AudioOffset, ShiftsThePictureNeverBeforeTheStartNorBackwards) {
    struct Case {
        int32_t heard, offset, start, last, expected;
    } cases[] = {
        {5000, 0, 1000, 0, 5000},
        {5000, 120, 1000, 0, 4880},    // the picture 120 ms later
        {5000, -80, 1000, 0, 5080},    // and 80 ms earlier
        {1050, 120, 1000, 0, 1000},    // held at the start until the sound is 120 ms in
        {5000, 120, 1000, 4950, 4950}, // a larger offset mid-show never moves it back
        {0, 500, 0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(offset_position_ms(c.heard, c.offset, c.start, c.last), c.expected) << c.heard << " " << c.offset;
}

TEST(StallWatch, TheClockGoesOnByTheWallClockWhenTheDeviceStandsStill) {
    // Readings of (device position, wall clock) after a start at 1000 ms, wall 0.
    struct Reading {
        int32_t heard;
        uint32_t wall;
        int32_t clock;
        StallEvent event;
    };
    const Reading readings[] = {
        {1100, 100, 1100, StallEvent::none},             // moving
        {1100, 599, 1100, StallEvent::none},             // still, not yet long enough
        {1100, 600, 1600, StallEvent::stalled},          // 500 ms still: on by the wall clock
        {1100, 900, 1900, StallEvent::none},
        {1100, 4000, 5000, StallEvent::none},            // the show goes on to its end
        {1200, 4100, 5100, StallEvent::answering_again},  // the caller plays on from 5100
    };
    StallWatch watch;
    watch_start(watch, 1000, 0);
    for (const Reading& r : readings) {
        StallEvent event = StallEvent::none;
        EXPECT_EQ(watch_position(watch, r.heard, r.wall, &event), r.clock) << r.wall;
        EXPECT_EQ(event, r.event) << r.wall;
    }
    // Paused (or before play) the position is the device's, however long it stands.
    watch.running = false;
    StallEvent event = StallEvent::none;
    EXPECT_EQ(watch_position(watch, 1200, 90000, &event), 1200);
    EXPECT_EQ(event, StallEvent::none);
    // Across the wall clock's wrap after 49 days the stall is timed as anywhere else.
    watch_start(watch, 0, 0xFFFFFF00u);
    EXPECT_EQ(watch_position(watch, 0, 0x00000100u, &event), 512);
    EXPECT_EQ(event, StallEvent::stalled);
}

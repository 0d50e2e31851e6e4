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

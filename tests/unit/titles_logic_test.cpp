// The computations behind the zoom blur and the two title scenes, without GL.
#include <gtest/gtest.h>

#include <cmath>

#include "resources/resources.h"
#include "render/render.h"
#include "scenes/titles/titles.h"

TEST(CaptureModes, PassCountsStepsAndAlphasPerMode) {
    struct Row {
        char code;
        int passes;
        float step;
        float alpha;
        float alpha_sum;
        float outermost_inset;
    };
    const Row rows[] = {
        {'h', 14, 0.01f, 0.071428575f, 1.0f, 0.13f},
        {'g', 9, 0.03f, 0.11111111f, 1.0f, 0.24f},
        {'f', 50, 0.01f, 0.04f, 2.0f, 0.49f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        const CaptureMode* mode = find_capture_mode(row.code);
        ASSERT_NE(mode, nullptr);
        EXPECT_EQ(mode->code, row.code);
        EXPECT_EQ(mode->passes, row.passes);
        EXPECT_FLOAT_EQ(mode->inset_step, row.step);
        EXPECT_FLOAT_EQ(mode->pass_alpha, row.alpha);
        EXPECT_NEAR(mode->passes * mode->pass_alpha, row.alpha_sum, 1e-6);
        EXPECT_NEAR((mode->passes - 1) * mode->inset_step, row.outermost_inset, 1e-6);
    }
}

TEST(CaptureModes, OtherCharactersHaveNoMode) {
    for (char code : {'H', 'G', 'F', 'e', 'i', ' ', '\0', 'v'}) EXPECT_EQ(find_capture_mode(code), nullptr) << code;
}

TEST(CaptureModes, PassCornersPairTheInsetWindowUpright) {
    // Screen corners (0,0), (0,600), (800,600), (800,0): bottom-left of the screen
    // shows bottom-left of the capture, whose first row is at the bottom.
    struct Row {
        float d;
        float expected[4][2];
    };
    const Row rows[] = {
        {0.0f, {{0, 0}, {0, 1}, {1, 1}, {1, 0}}},
        {0.13f, {{0.13f, 0.13f}, {0.13f, 0.87f}, {0.87f, 0.87f}, {0.87f, 0.13f}}},
        {0.49f, {{0.49f, 0.49f}, {0.49f, 0.51f}, {0.51f, 0.51f}, {0.51f, 0.49f}}},
    };
    for (const Row& row : rows) {
        float texcoords[4][2];
        capture_pass_texcoords(row.d, texcoords);
        for (int k = 0; k < 4; ++k) {
            EXPECT_FLOAT_EQ(texcoords[k][0], row.expected[k][0]) << row.d << " corner " << k;
            EXPECT_FLOAT_EQ(texcoords[k][1], row.expected[k][1]) << row.d << " corner " << k;
        }
    }
}

TEST(OpeningTitles, CardChosenByMusicTime) {
    struct Row {
        int t;
        int slot;
    };
    const Row rows[] = {
        {0, tex_title_kardel},      {5332, tex_title_kardel}, {5333, tex_title_demo},
        {7998, tex_title_demo},     {7999, tex_title_for},    {10665, tex_title_for},
        {10666, tex_title_ostrel},  {15998, tex_title_ostrel}, {15999, tex_title_zelvo},
        {21331, tex_title_zelvo},   {21332, -1},              {21386, -1},
    };
    for (const Row& row : rows) EXPECT_EQ(title_card_slot(row.t), row.slot) << "t = " << row.t;
}

TEST(OpeningTitles, BeatWindowAndShakeWindow) {
    struct Row {
        int phase;
        bool visible;
        bool jitters;
    };
    const Row rows[] = {
        {0, false, false},   {164, false, false}, {165, true, true},   {300, true, true},
        {499, true, true},   {500, true, false},  {665, true, false},  {666, false, false},
        {1332, false, false}, {-1, false, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(title_phase_visible(row.phase), row.visible) << "phase " << row.phase;
        EXPECT_EQ(title_phase_jitters(row.phase), row.jitters) << "phase " << row.phase;
    }
}

TEST(OpeningTitles, JitterScalesTheRandomValueAndTruncates) {
    struct Row {
        int value;
        int phase;
        int offset;
    };
    const Row rows[] = {
        {69, 165, 46},      // 46.23: the largest offset there is
        {69 + 70, 165, 46}, // only the value mod 70 counts
        {0, 165, 0},
        {32767, 165, 4},    // 32767 mod 70 = 7; 7 * 335 / 500 = 4.69
        {33, 300, 13},      // 13.2
        {10, 250, 5},       // exactly 5
        {69, 499, 0},       // 0.138: truncated, not rounded
        {41, 165, 27},      // 27.47
        {18467, 165, 38},   // 18467 mod 70 = 57; 38.19
    };
    for (const Row& row : rows) {
        EXPECT_EQ(title_jitter(row.value, row.phase), row.offset) << row.value << " at " << row.phase;
    }
}

TEST(OpeningTitles, JitterStaysWithinZeroToFortySixAndDiesAway) {
    for (int value = 0; value < 70; ++value) {
        int previous = 47;
        for (int phase = 165; phase < 500; ++phase) {
            const int offset = title_jitter(value, phase);
            ASSERT_GE(offset, 0);
            ASSERT_LE(offset, 46);
            ASSERT_LE(offset, previous) << "value " << value << " phase " << phase;
            previous = offset;
        }
    }
}

TEST(ClosingTitles, MotionOverTheSceneTime) {
    struct Row {
        int a;
        float sway_x, depth_z, drift, alpha;
    };
    const Row rows[] = {
        {0, 0.0f, -300.0f, 0.0f, 1.0f},
        {3000, 200.0f * std::sin(7.5f), -600.0f, 100.0f, 0.5f},
        {628, 200.0f * std::sin(1.57f), -362.8f, 20.933334f, 0.8953333f},
        {6000, 200.0f * std::sin(15.0f), -900.0f, 200.0f, 0.0f},
        {8763, 200.0f * std::sin(21.9075f), -1176.3f, 292.1f, -0.4605f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.a);
        const ClosingMotion m = closing_motion(row.a);
        EXPECT_NEAR(m.sway_x, row.sway_x, 1e-3);
        EXPECT_NEAR(m.depth_z, row.depth_z, 1e-3);
        EXPECT_NEAR(m.drift, row.drift, 1e-3);
        EXPECT_NEAR(m.alpha, row.alpha, 1e-5);
    }
}

TEST(ClosingTitles, FadedOutFromSixSecondsOn) {
    EXPECT_GT(closing_motion(5999).alpha, 0.0f);
    for (int a = 6000; a <= 8763; ++a) ASSERT_LT(closing_motion(a).alpha, 0.5f / 255.0f) << a;
}

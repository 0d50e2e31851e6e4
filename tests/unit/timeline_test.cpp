#include <gtest/gtest.h>

#include <cmath>

#include "timeline/cues.h"
#include "timeline/timeline.h"

namespace {

constexpr float none = NAN;  // no overlay of that colour in the frame

struct WindowCase {
    int32_t t;
    SceneId scene;
    int32_t local_time;
    float black_alpha;  // NAN: no black fade
    float white_alpha;  // NAN: no white fade
};

// The alphas are the fade's position as a fraction of its length in ms; the
// timeline's 32-bit reciprocals land within a few ulps of them.
const WindowCase window_cases[] = {
    {0, SceneId::opening_titles, 0, none, none},
    {21386, SceneId::opening_titles, 21386, none, none},
    {21387, SceneId::city_first, 0, none, none},
    {29999, SceneId::city_first, 8612, none, none},
    {30000, SceneId::city_first, 8613, -1000.0f / 1046, none},
    {31000, SceneId::city_first, 9613, 0.0f, none},
    {32046, SceneId::city_first, 0, 1.0f, none},  // wraps to 0 under a black screen
    {32047, SceneId::credits, 1, 1.0f - 1.0f / 300, none},
    {32346, SceneId::credits, 300, 0.0f, none},
    {32347, SceneId::credits, 301, none, none},
    {52999, SceneId::credits, 20953, none, none},
    {53000, SceneId::credits, 20954, none, 0.0f},
    {53358, SceneId::credits, 21312, none, 358.0f / 359},
    {53359, SceneId::city_second, 10659, none, 0.0f},
    {53530, SceneId::city_second, 10830, none, 171.0f / 341},
    {53700, SceneId::city_second, 11000, none, 1.0f},
    {53701, SceneId::city_second, 11001, none, none},
    {62000, SceneId::city_second, 19300, none, none},
    {64002, SceneId::city_second, 10659, none, none},  // the remainder wraps
    {64003, SceneId::office, 1, none, none},
    {70000, SceneId::office, 5998, none, none},
    {87996, SceneId::office, 0, none, none},
    {87997, SceneId::lattice, 87997, none, none},
    {109311, SceneId::lattice, 109311, none, none},
    {109312, SceneId::tunnel, 0, none, none},
    {125310, SceneId::tunnel, 15998, none, none},
    {125311, SceneId::tunnel, 15999, none, 0.0f},
    {130623, SceneId::tunnel, 21311, none, 5312.0f / 5333},
    {130624, SceneId::tunnel, 0, none, none},  // local 0: no white overlay
    {130625, SceneId::objects, 1, none, none},
    {148999, SceneId::objects, 18375, none, none},
    {149000, SceneId::objects, 18376, 0.0f, none},
    {151940, SceneId::objects, 21316, 2940.0f / 2941, none},
    {151941, SceneId::closing_titles, 0, none, none},
    {160704, SceneId::closing_titles, 8763, none, none},
    {160705, SceneId::end, 0, none, none},
    {200000, SceneId::end, 0, none, none},
};

void expect_fade(bool present, float alpha, float expected, const char* which) {
    if (std::isnan(expected)) {
        EXPECT_FALSE(present) << which;
    } else {
        EXPECT_TRUE(present) << which;
        EXPECT_NEAR(alpha, expected, 2e-6) << which;
    }
}

}  // namespace

TEST(Timeline, PicksTheWindowLocalTimeAndFadesOnEveryBoundary) {
    for (const WindowCase& c : window_cases) {
        SCOPED_TRACE(testing::Message() << "t = " << c.t);
        const TimelineFrame f = timeline_frame(c.t);
        EXPECT_EQ(f.scene, c.scene);
        EXPECT_EQ(f.local_time, c.local_time);
        expect_fade(f.black_fade, f.black_alpha, c.black_alpha, "black");
        expect_fade(f.white_fade, f.white_alpha, c.white_alpha, "white");
    }
}

TEST(Timeline, CreditsFadeInStartsOneStepBelowFullBlack) {
    // 32046 belongs to the city, so the fade-in never shows alpha 1.
    const TimelineFrame f = timeline_frame(32047);
    ASSERT_TRUE(f.black_fade);
    EXPECT_FLOAT_EQ(f.black_alpha, 1.0f - 0.0033333334f);
    EXPECT_LT(f.black_alpha, 1.0f);
}

TEST(Timeline, OpeningTitlePhaseFollowsTheBeat) {
    const struct {
        int32_t t, phase;
    } cases[] = {{0, 0}, {165, 165}, {1332, 1332}, {1333, 0}, {2666, 0}, {21386, 58}};
    for (const auto& c : cases) {
        EXPECT_EQ(timeline_frame(c.t).title_phase, c.phase) << "t = " << c.t;
        EXPECT_EQ(timeline_frame(c.t).local_time, c.t) << "t = " << c.t;
    }
}

TEST(Timeline, SecondCityVisitNarrowsTheFieldOfViewFrom90To30) {
    const struct {
        int32_t t;
        bool narrow;
        float fov;
    } cases[] = {{61999, false, 90}, {62000, true, 90}, {63001, true, 60}, {64002, true, 30}};
    for (const auto& c : cases) {
        const TimelineFrame f = timeline_frame(c.t);
        EXPECT_EQ(f.narrow_fov, c.narrow) << "t = " << c.t;
        EXPECT_NEAR(f.fov, c.fov, 1e-4) << "t = " << c.t;
    }
}

TEST(Timeline, TunnelFlashesFor166MsEvery2666Ms) {
    const struct {
        int32_t t;
        bool flash;
    } cases[] = {{109311, false}, {109312, true}, {109477, true}, {109478, false},
                 {111977, false}, {111978, true}, {112143, true}, {112144, false},
                 {130624, false}};
    for (const auto& c : cases) EXPECT_EQ(timeline_frame(c.t).invert_flash, c.flash) << "t = " << c.t;
}

TEST(Timeline, TunnelWhiteFadeRisesOver5333Ms) {
    EXPECT_FALSE(timeline_frame(125310).white_fade);
    const TimelineFrame mid = timeline_frame(125311 + 2666);
    ASSERT_TRUE(mid.white_fade);
    EXPECT_NEAR(mid.white_alpha, 2666.0f / 5333, 2e-6);
}

TEST(Timeline, WindowsFollowInOrderAndEffectsStayInTheirScene) {
    SceneId previous = SceneId::opening_titles;
    for (int32_t t = 0; t <= 160705; ++t) {
        const TimelineFrame f = timeline_frame(t);
        ASSERT_GE(static_cast<int>(f.scene), static_cast<int>(previous)) << "t = " << t;
        previous = f.scene;
        ASSERT_TRUE(!f.narrow_fov || f.scene == SceneId::city_second) << "t = " << t;
        ASSERT_TRUE(f.narrow_fov || f.fov == 90.0f) << "t = " << t;
        ASSERT_TRUE(!f.invert_flash || f.scene == SceneId::tunnel) << "t = " << t;
        ASSERT_FALSE(f.black_fade && f.white_fade) << "t = " << t;
    }
    EXPECT_EQ(previous, SceneId::end);
}

TEST(Timeline, CreditsLocalTimeIsNegativeBeforeTheCredits) {
    const struct {
        int32_t t, local;
    } cases[] = {{0, -10714}, {10000, -714}, {10714, 0} /* -21332 exactly */, {32045, -1}, {32046, 0},
                 {32047, 1}, {53378, 0}, {160704, 666}};
    for (const auto& c : cases) EXPECT_EQ(credits_local_time_for(c.t), c.local) << "t = " << c.t;
}

// The cues the soundtrack accents are where the picture changes: a card or a
// blur starts, a tunnel flash starts, a scene cuts, the town comes out of white.
TEST(Timeline, EveryAccentCueIsAChangeOfThePicture) {
    for (const Cue& cue : show_accents()) {
        SCOPED_TRACE(testing::Message() << "cue " << cue.ms);
        const TimelineFrame before = timeline_frame(cue.ms - 1), at = timeline_frame(cue.ms);
        switch (cue.kind) {
        case CueKind::card_flash:
            EXPECT_EQ(at.scene, SceneId::opening_titles);
            EXPECT_EQ(at.title_phase, 165);
            break;
        case CueKind::blur_start:
            EXPECT_EQ(at.scene, SceneId::lattice);
            EXPECT_EQ(cue.ms % 1333, 165);
            break;
        case CueKind::tunnel_flash: EXPECT_TRUE(at.invert_flash && !before.invert_flash); break;
        case CueKind::scene_cut: EXPECT_NE(at.scene, before.scene); break;
        case CueKind::town_appears:
            EXPECT_TRUE(before.white_fade && !at.white_fade);
            EXPECT_EQ(at.scene, SceneId::city_second);
            break;
        }
    }
    EXPECT_EQ(show_accents().size(), 16u + 16u + 8u + 8u + 1u);
}

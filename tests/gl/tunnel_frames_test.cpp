// The tunnel as a viewer sees it: frames rendered headless through the timeline.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "render/render.h"
#include "resources/resources.h"
#include "scenes/tunnel/tunnel.h"
#include "support/gl_harness.h"

namespace {

constexpr int32_t scene_start = 109312;

using Frame = std::vector<uint8_t>;

// The scene alone at local time a, as the timeline prepares it but with no flash or fade over it.
Frame scene_frame(uint32_t a, bool lights = true) {
    gl_reset_frame();
    if (lights) apply_light_preset('b');
    draw_tunnel(static_cast<int>(a));
    return gl_read_frame();
}

Frame untextured_scene_frame(uint32_t a) {
    const TextureId kept = scene_textures[tex_tunnel_wall];
    scene_textures[tex_tunnel_wall] = 0;  // texture object 0 has no image: surfaces show only their light
    Frame f = scene_frame(a);
    scene_textures[tex_tunnel_wall] = kept;
    return f;
}

// Share of the pixels whose colour is off by more than 6 in a channel from `expected` of the reference's.
// The far tube's walls lie closer together than the depth buffer resolves, and
// where they fight the rasteriser does not always pick the same one, so a few
// pixels of the same frame drawn twice may differ.
template <typename Expected>
double share_off(const Frame& actual, const Frame& reference, Expected expected) {
    size_t off = 0;
    for (size_t i = 0; i < actual.size(); ++i) off += std::abs(int(actual[i]) - expected(int(reference[i]))) > 6;
    return double(off) / double(actual.size());
}

// The middle of the view, where the far tube shows, and the top and bottom edges, where the near wall does.
double centre_mean(const Frame& f) { return frame_mean(f, 360, 270, 440, 330); }
double border_mean(const Frame& f) { return (frame_mean(f, 0, 0, 800, 100) + frame_mean(f, 0, 500, 800, 600)) / 2; }

bool uniform(const Frame& f, Rgb* colour) {
    for (size_t i = 3; i < f.size(); ++i) {
        if (f[i] != f[i % 3]) return false;
    }
    *colour = {f[0], f[1], f[2]};
    return true;
}

class TunnelFrames : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(gl_open(true)); }
};

}  // namespace

// Needs the outlines as start-up leaves them, so it runs first (ctest gives every test its own process).
TEST_F(TunnelFrames, FirstFrameAtTheSceneStartIsUniformWhiteThenTheTubeShows) {
    for (const TunnelProfile& ring : tunnel_scene.rings)
        for (const Point2& p : ring.points) ASSERT_TRUE(p.x == 0 && p.y == 0) << "outlines drawn before this test";
    // Every outline is still the point on the axis, and the flash turns the clear black white.
    Rgb colour{};
    ASSERT_TRUE(uniform(gl_timeline_frame(scene_start), &colour));
    EXPECT_EQ(colour.r + colour.g + colour.b, 3 * 255);
    const Frame next = gl_timeline_frame(scene_start + 100);
    EXPECT_FALSE(uniform(next, &colour));
    EXPECT_GT(frame_share_above(next, 40, 0, 0, 800, 600), 0.3) << "the negative of the tube";
}

TEST_F(TunnelFrames, TexturedLitWallSurroundsADarkerCentre) {
    const Frame frame = gl_timeline_frame(scene_start + 2000);
    const Frame plain = untextured_scene_frame(2000);
    const Frame unlit = scene_frame(2000, false);
    EXPECT_GT(frame_share_above(frame, 40), 0.7) << "the wall fills the view";
    EXPECT_LT(centre_mean(frame), 0.8 * border_mean(frame));
    // The light at the eye meets the near wall square on and grazes the far wall.
    EXPECT_LT(centre_mean(plain), 0.8 * border_mean(plain));
    EXPECT_GT(share_off(frame, plain, [](int v) { return v; }), 0.3) << "the picture shows";
    EXPECT_GT(frame_mean(frame), 3 * frame_mean(unlit) + 20) << "the wall is lit";
}

TEST_F(TunnelFrames, NegativeFor166MsEvery2666MsAndWhiteOver5333MsFromLocal15999) {
    struct Case {
        uint32_t local;
        bool negative;
    };
    const Case cases[] = {
        {2666, true}, {2666 + 165, true}, {2666 + 166, false}, {5332, true}, {13330 + 165, true},
        {13330 + 166, false}, {15900, false}, {17000, false}, {20000, false}, {21311, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.local);
        const Frame reference = scene_frame(c.local);
        const Frame frame = gl_timeline_frame(scene_start + int32_t(c.local));
        const float a = c.local < 15999 ? 0 : float(c.local - 15999) / 5333;
        const bool negative = c.negative;
        EXPECT_LT(share_off(frame, reference,
                            [a, negative](int v) { return int((negative ? 255 - v : v) * (1 - a) + 255 * a + 0.5f); }),
                  0.03);
    }
}

TEST_F(TunnelFrames, LastMillisecondShowsTheMouthAgainWithoutTheWhite) {
    EXPECT_GT(frame_mean(gl_timeline_frame(130623)), 240);
    // Local time 0 again: the eye back at the mouth, the outlines as the frame before left them.
    const Frame last = gl_timeline_frame(130624);
    EXPECT_GT(frame_share_above(last, 40), 0.7) << "the tube fills the view";
    EXPECT_LT(frame_mean(last), 160);
    EXPECT_LT(share_off(last, scene_frame(0), [](int v) { return v; }), 0.03) << "nothing laid over it";
}

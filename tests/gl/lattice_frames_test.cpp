// The cube lattice as a viewer sees it: a few frames rendered headless through
// the timeline. Every lattice frame draws 34992 quads, so the tests share a
// handful of them.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "render/render.h"
#include "resources/resources.h"
#include "scenes/lattice/lattice.h"
#include "support/gl_harness.h"

namespace {

using Frame = std::vector<uint8_t>;

constexpr int32_t negative_time = 90011;  // beat phase 700
constexpr int32_t blurred_time = 88597;   // beat phase 619

// The frame at t with the cube colours drawn from the start of the shared sequence.
Frame timeline_frame_from_seed(int32_t t) {
    reset_demo_rand();
    return gl_timeline_frame(t);
}

// The cloud at t as the scene moves and colours it, with no post effect on top.
Frame bare_cloud_from_seed(int32_t t) {
    reset_demo_rand();
    gl_reset_frame();
    Move moves[2];
    lattice_motion_moves(t, moves);
    for (const Move& m : moves) apply_move(m);
    draw_cube_lattice();
    return gl_read_frame();
}

double share_differing(const Frame& a, const Frame& b) {
    size_t differ = 0;
    for (size_t i = 0; i < a.size(); i += 3)
        differ += std::abs(a[i] - b[i]) + std::abs(a[i + 1] - b[i + 1]) + std::abs(a[i + 2] - b[i + 2]) > 12;
    return double(differ) / double(a.size() / 3);
}

int brightness(const Frame& f, double x, double y) {
    const Rgb p = frame_pixel(f, int(std::lround(x)), int(std::lround(y)));
    return p.r + p.g + p.b;
}

// Summed brightness changes over 8 pixels along the rays from the screen
// centre, divided by those across them, on a ring round the centre. A zoom
// blur smears along the rays, so the changes across them dominate.
double across_over_along(const Frame& f) {
    double along = 0, across = 0;
    for (int step = 0; step < 720; ++step) {
        const double angle = step * M_PI / 360, ux = std::cos(angle), uy = std::sin(angle);
        for (double radius = 80; radius <= 280; radius += 20) {
            const double x = 400 + radius * ux, y = 300 + radius * uy;
            along += std::abs(brightness(f, x + 4 * ux, y + 4 * uy) - brightness(f, x - 4 * ux, y - 4 * uy));
            across += std::abs(brightness(f, x - 4 * uy, y + 4 * ux) - brightness(f, x + 4 * uy, y - 4 * ux));
        }
    }
    return across / (along + 1);
}

void expect_frame_state_restored() {
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(gl_modelview_depth(), 1) << "every push is popped";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

class LatticeFrames : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(gl_open(true)); }
    void TearDown() override { reset_demo_rand(); }
};

}  // namespace

TEST_F(LatticeFrames, NegativePhaseIsTheCloudsComplement) {
    const Frame negative = timeline_frame_from_seed(negative_time);
    expect_frame_state_restored();
    // Three draws for each of the 5832 cubes, none skipped, none extra.
    reset_demo_rand();
    for (int i = 0; i < 3 * 5832; ++i) demo_rand();
    const int next_after_one_frame = demo_rand();
    timeline_frame_from_seed(negative_time);
    EXPECT_EQ(demo_rand(), next_after_one_frame);

    const Frame cloud = bare_cloud_from_seed(negative_time);
    size_t off = 0;
    for (size_t i = 0; i < cloud.size(); ++i) off += std::abs(255 - cloud[i] - negative[i]) > 1;
    EXPECT_EQ(off, 0u);
    EXPECT_GT(frame_mean(cloud), 40) << "overlapping cubes add up";
}

TEST_F(LatticeFrames, BlurredPhaseStreaksTheCloudOutwardAtDoubleBrightness) {
    const Frame blurred = timeline_frame_from_seed(blurred_time);
    expect_frame_state_restored();
    const Frame cloud = bare_cloud_from_seed(blurred_time);
    // Every pass samples the middle of the capture, so the middle of the screen
    // shows the cloud's middle at the passes' summed alpha, 2.
    const int x0 = 395, y0 = 295, x1 = 405, y1 = 305;
    ASSERT_LT(frame_mean(cloud, x0, y0, x1, y1), 100) << "room left to double";
    EXPECT_NEAR(frame_mean(blurred, x0, y0, x1, y1), 2 * frame_mean(cloud, x0, y0, x1, y1), 12);
    EXPECT_GT(frame_mean(blurred), frame_mean(cloud) + 30);
    EXPECT_GT(across_over_along(blurred), 1.4);
    EXPECT_LT(across_over_along(timeline_frame_from_seed(negative_time)), 1.25) << "the negative stays sharp";
}

TEST_F(LatticeFrames, ColoursContinueTheSequenceWhileTheMotionFollowsTheMusic) {
    const Frame first = timeline_frame_from_seed(negative_time);
    const Frame again = gl_timeline_frame(negative_time);
    EXPECT_GT(share_differing(first, again), 0.5) << "new colours every frame";
    EXPECT_NEAR(frame_mean(first), frame_mean(again), 4);

    EXPECT_EQ(share_differing(first, timeline_frame_from_seed(negative_time)), 0.0);
    // A quarter turn and a new drift later, in the negative phase again (phase 1167).
    EXPECT_GT(share_differing(first, timeline_frame_from_seed(negative_time + 1800)), 0.5);
}

// The render kit's geometry as data: ball quads over a sphere grid, the
// frame's layout at several sizes, and placement chains replayed on the CPU.
#include <gtest/gtest.h>

#include <cmath>

#include "render/render.h"
#include "resources/resources.h"

namespace {

class GridSphere : public ::testing::Test {
protected:
    static void SetUpTestSuite() { build_angle_tables(); }
};

bool same(Vec3 a, Vec3 b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

}  // namespace

TEST_F(GridSphere, QuadsRunBandsThenCapsFromTheGrid) {
    const Shape grid = build_sphere_grid(0.025f, 12);
    auto v = [&](int r, int k) { return grid[r * 12 + k]; };
    const Vec3 south = {0, -0.025f, 0};
    std::vector<TexturedQuad> quads;
    ASSERT_TRUE(grid_sphere_quads(grid, 0.025f, 12, &quads));
    ASSERT_EQ(quads.size(), 72u);  // 4 bands of 12, two caps of 12
    const TexturedQuad& first = quads.front();
    EXPECT_TRUE(same(first.corners[0], v(1, 0)) && same(first.corners[1], v(2, 0)) &&
                same(first.corners[2], v(2, 1)) && same(first.corners[3], v(1, 1)));
    const TexturedQuad& last = quads.back();
    EXPECT_TRUE(same(last.corners[0], v(5, 0)) && same(last.corners[1], v(5, 11)) &&
                same(last.corners[2], south) && same(last.corners[3], south));

    // An odd count behaves as the next even one.
    std::vector<TexturedQuad> odd;
    ASSERT_TRUE(grid_sphere_quads(grid, 0.025f, 11, &odd));
    ASSERT_EQ(odd.size(), quads.size());
    for (size_t i = 0; i < odd.size(); ++i)
        for (int c = 0; c < 4; ++c) EXPECT_TRUE(same(odd[i].corners[c], quads[i].corners[c])) << i;
}

TEST_F(GridSphere, TextureWrapsOnceRoundWithTheSeamAtOneAndThePolesAtTheEdges) {
    const Shape grid = build_sphere_grid(0.5f, 24);
    std::vector<TexturedQuad> quads;
    ASSERT_TRUE(grid_sphere_quads(grid, 1.0f, 24, &quads));
    ASSERT_EQ(quads.size(), 288u);
    const TexturedQuad& band_seam = quads[23];  // the first band's closing quad
    EXPECT_FLOAT_EQ(band_seam.texcoords[0][0], 23.0f / 24);
    EXPECT_FLOAT_EQ(band_seam.texcoords[2][0], 1.0f);
    EXPECT_TRUE(same(band_seam.corners[2], grid[2 * 24]));  // s = 1 reuses column 0
    const TexturedQuad& top = quads[240];     // the first cap quad, at the north pole
    const TexturedQuad& bottom = quads[241];
    EXPECT_EQ(top.texcoords[2][1], 0.0f);
    EXPECT_EQ(top.corners[2].y, 1.0f);  // the spike: pole distance, not the grid's radius
    EXPECT_EQ(bottom.texcoords[2][1], 1.0f);
    EXPECT_EQ(bottom.corners[3].y, -1.0f);
}

TEST_F(GridSphere, RefusesCountsThatWouldReadOutsideTheGrid) {
    const Shape grid = build_sphere_grid(0.5f, 12);
    std::vector<TexturedQuad> quads;
    const struct {
        const Shape* grid;
        uint16_t segments;
    } refused[] = {{&grid, 2}, {&grid, 3}, {&grid, 14}, {&grid, 24}, {&grid, 0}};
    for (const auto& c : refused) {
        EXPECT_FALSE(grid_sphere_quads(*c.grid, 0.5f, c.segments, &quads)) << c.segments;
        EXPECT_TRUE(quads.empty());
    }
    const Shape small = build_sphere_grid(1, 4);
    EXPECT_TRUE(grid_sphere_quads(small, 1, 4, &quads));
    EXPECT_EQ(quads.size(), 8u);  // no bands, two caps of four
}

TEST(FrameLayout, FitsTheScreenBetweenBarsAndScalesTheCaptureSquare) {
    const struct {
        int width, height;
        FrameLayout expected;
    } cases[] = {
        {800, 600, {800, 600, 0, 0, 800, 600, 512, 512}},
        {1600, 1200, {1600, 1200, 0, 0, 1600, 1200, 1024, 1024}},
        {1920, 1080, {1920, 1080, 240, 0, 1440, 1080, 922, 1024}},  // s = 1.8
        {1440, 1080, {1440, 1080, 0, 0, 1440, 1080, 922, 1024}},
        {3840, 2160, {3840, 2160, 480, 0, 2880, 2160, 1843, 2048}},
        {3840, 2880, {3840, 2880, 0, 0, 3840, 2880, 2458, 4096}},
        {1000, 1000, {1000, 1000, 0, 125, 1000, 750, 640, 1024}},  // bars above and below
        {801, 600, {801, 600, 0, 0, 800, 600, 512, 512}},          // the odd column goes right
    };
    for (const auto& c : cases) {
        const FrameLayout got = frame_layout(c.width, c.height);
        const int want[] = {c.expected.x, c.expected.y, c.expected.picture_width, c.expected.picture_height,
                            c.expected.capture_size, c.expected.capture_texture_size};
        const int have[] = {got.x, got.y, got.picture_width, got.picture_height, got.capture_size,
                            got.capture_texture_size};
        for (int k = 0; k < 6; ++k) EXPECT_EQ(have[k], want[k]) << c.width << " x " << c.height << " field " << k;
    }
}

TEST(Placement, ReplaysMovesAsTheMatrixStackDoes) {
    const Move moves[] = {
        translate_move(5.5f, 1, -8.46f), part_move(0),
        push_move(), translate_move(0, 0, 2.9f), rotate_move(180, 0, 1, 0), part_move(1),
        translate_move(-0.4f, -0.1f, 0.06f), part_move(2), pop_move(),
        translate_move(-4, 0, 0), part_move(3),
    };
    std::vector<Placement> parts;
    const Placement end = replay_moves(moves, static_cast<int>(std::size(moves)), &parts);
    ASSERT_EQ(parts.size(), 4u);
    const Vec3 expected[4] = {{5.5f, 1, -8.46f}, {5.5f, 1, -5.56f}, {5.9f, 0.9f, -5.62f}, {1.5f, 1, -8.46f}};
    for (int i = 0; i < 4; ++i) {
        const Vec3 at = placement_point(parts[i], {0, 0, 0});
        EXPECT_NEAR(at.x, expected[i].x, 1e-5f) << i;
        EXPECT_NEAR(at.y, expected[i].y, 1e-5f) << i;
        EXPECT_NEAR(at.z, expected[i].z, 1e-5f) << i;
    }
    // The turned part faces -z; the pop brought the unturned frame back.
    EXPECT_NEAR(placement_direction(parts[1], {0, 0, 1}).z, -1, 1e-6f);
    EXPECT_NEAR(placement_point(end, {0, 0, 0}).x, 1.5f, 1e-5f);
}

#include <gtest/gtest.h>

#include <cmath>

#include "render/render.h"
#include "resources/resources.h"
#include "scenes/tunnel/tunnel.h"

namespace {

void expect_profile_near(const TunnelProfile& actual, const TunnelProfile& expected, float tolerance) {
    for (int p = 0; p < 5; ++p) {
        EXPECT_NEAR(actual.points[p].x, expected.points[p].x, tolerance) << "P" << p;
        EXPECT_NEAR(actual.points[p].y, expected.points[p].y, tolerance) << "P" << p;
    }
}

TunnelProfile midway(const TunnelProfile& a, const TunnelProfile& b) {
    TunnelProfile m;
    for (int p = 0; p < 5; ++p)
        m.points[p] = {(a.points[p].x + b.points[p].x) / 2, (a.points[p].y + b.points[p].y) / 2};
    return m;
}

void expect_vec_near(Vec3 actual, Vec3 expected, float tolerance, const char* what) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

}  // namespace

TEST(TunnelMorph, RingsStepThroughTheKeyframesOneWindowApart) {
    struct Case {
        uint32_t m;
        int shift;        // ring k shows keyframe (k + shift) mod 10 ...
        int toward;       // ... or midway between it and (k + toward), when toward != shift
        float tolerance;
    };
    const Case cases[] = {
        {533, 1, 1, 1e-5f},     // end of window 0 (end included): the next keyframe, f = 1
        {534, 1, 1, 0.02f},     // window 1 starts 1/533 of the way on from the same shapes
        {1066, 2, 2, 1e-5f},
        {799, 1, 2, 0.02f},     // 266/533 of window 1: halfway
        {4797, 9, 9, 1e-5f},
        {5332, 0, 0, 0.02f},    // 535/536 of the long last window: back to where the cycle began
        {1, 0, 0, 0.02f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.m);
        tunnel_morph_profiles(tunnel_scene.rings, c.m);
        for (int k = 0; k < tunnel_ring_count; ++k) {
            SCOPED_TRACE(k);
            const TunnelProfile& a = tunnel_keyframes[(k + c.shift) % 10];
            const TunnelProfile& b = tunnel_keyframes[(k + c.toward) % 10];
            expect_profile_near(tunnel_scene.rings[k], c.shift == c.toward ? a : midway(a, b), c.tolerance);
        }
    }
}

TEST(TunnelMorph, ZeroKeepsTheShapesAndEachRingFollowsItsFartherNeighbour) {
    tunnel_morph_profiles(tunnel_scene.rings, 2000);
    TunnelProfile before[tunnel_ring_count];
    for (int k = 0; k < tunnel_ring_count; ++k) before[k] = tunnel_scene.rings[k];
    tunnel_morph_profiles(tunnel_scene.rings, 0);
    for (int k = 0; k < tunnel_ring_count; ++k) expect_profile_near(tunnel_scene.rings[k], before[k], 0);

    // Ring k now shows what ring k + 1 showed one window earlier.
    tunnel_morph_profiles(tunnel_scene.rings, 2000 - 533);
    for (int k = 0; k + 1 < tunnel_ring_count; ++k) expect_profile_near(before[k], tunnel_scene.rings[k + 1], 1e-5f);
}

TEST(TunnelMorph, WindowsHoldEveryMorphTimeButZeroExactlyOnce) {
    for (uint32_t m = 0; m < tunnel_morph_cycle; ++m) {
        int holders = 0;
        for (const auto& w : tunnel_morph_windows) holders += w[0] < m && m <= w[1];
        ASSERT_EQ(holders, m == 0 ? 0 : 1) << m;
    }
}

TEST(TunnelOutline, ClosedCurveAboutSevenToThirteenUnitsAcrossAroundTheAxis) {
    static TunnelGrid grid;
    tunnel_sample_outlines(tunnel_keyframes, grid);
    for (int k = 0; k < tunnel_ring_count; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(grid[0][k].x, tunnel_keyframes[k].points[0].x);
        EXPECT_EQ(grid[0][k].y, tunnel_keyframes[k].points[0].y);
        float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f;
        for (int n = 0; n < tunnel_sample_count; ++n) {
            const Point2 p = grid[n][k];
            x0 = std::fmin(x0, p.x), x1 = std::fmax(x1, p.x), y0 = std::fmin(y0, p.y), y1 = std::fmax(y1, p.y);
        }
        EXPECT_GT(x1 - x0, 7);
        EXPECT_LT(x1 - x0, 13.1f);
        EXPECT_LT(y1 - y0, x1 - x0);
        EXPECT_TRUE(x0 < 0 && x1 > 0 && y0 < 0 && y1 > 0) << "the outline goes round the axis";
    }
}

TEST(TunnelWall, QuadsRunSampleBandSegmentFromTheMouthToZMinus600) {
    static TunnelGrid grid;
    tunnel_sample_outlines(tunnel_keyframes, grid);
    struct Corner {
        int n, k;  // grid sample of the corner
        float z, s, t;
    };
    struct Case {
        int q;
        Corner corners[4];
    };
    const Case cases[] = {
        {0, {{1, 0, 0, 1, 0.02f}, {0, 0, 0, 1, 0}, {0, 1, -2, 0, 0}, {1, 1, -2, 0, 0.02f}}},
        {49, {{0, 0, 0, 1, 1}, {49, 0, 0, 1, 0.98f}, {49, 1, -2, 0, 0.98f}, {0, 1, -2, 0, 1}}},  // closes the outline
        {50, {{1, 1, -2, 1, 0.02f}, {0, 1, -2, 1, 0}, {0, 2, -4, 0, 0}, {1, 2, -4, 0, 0.02f}}},  // next band
        {457, {{8, 9, -18, 1, 0.16f}, {7, 9, -18, 1, 0.14f}, {7, 0, -20, 0, 0.14f}, {8, 0, -20, 0, 0.16f}}},
        {500, {{1, 0, -20, 1, 0.02f}, {0, 0, -20, 1, 0}, {0, 1, -22, 0, 0}, {1, 1, -22, 0, 0.02f}}},
        {tunnel_quad_count - 1,
         {{0, 9, -598, 1, 1}, {49, 9, -598, 1, 0.98f}, {49, 0, -600, 0, 0.98f}, {0, 0, -600, 0, 1}}},
    };
    EXPECT_EQ(tunnel_quad_count, 15000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.q);
        const TexturedQuad quad = tunnel_quad(grid, c.q);
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(i);
            const Corner& e = c.corners[i];
            EXPECT_EQ(quad.corners[i].x, grid[e.n][e.k].x);
            EXPECT_EQ(quad.corners[i].y, grid[e.n][e.k].y);
            EXPECT_EQ(quad.corners[i].z, e.z);
            EXPECT_FLOAT_EQ(quad.texcoords[i][0], e.s);
            EXPECT_FLOAT_EQ(quad.texcoords[i][1], e.t);
        }
    }
}

TEST(TunnelWall, EveryFaceLooksInTowardTheAxis) {
    // Lit by the light at the eye, the wall is seen from inside the tube.
    for (uint32_t m : {1u, 300u, 2000u, 5000u}) {
        tunnel_morph_profiles(tunnel_scene.rings, m);
        static TunnelGrid grid;
        tunnel_sample_outlines(tunnel_scene.rings, grid);
        int outward = 0;
        for (int q = 0; q < tunnel_ring_count * tunnel_sample_count; ++q) {
            const TexturedQuad quad = tunnel_quad(grid, q);
            const Vec3 n = face_normal(quad.corners[0], quad.corners[1], quad.corners[2]);
            const Vec3& c = quad.corners[1];
            outward += n.x * c.x + n.y * c.y >= 0;
        }
        EXPECT_EQ(outward, 0) << m;
    }
}

TEST(TunnelCamera, FliesInThenBacksOutOfTheFarEndLookingBack) {
    struct Case {
        uint32_t a;
        Vec3 eye, centre;
        float tolerance;
    };
    const Case cases[] = {
        {0, {0, 0, 0}, {0, 0, -5}, 1e-5f},           // at the mouth, looking in
        {10666, {0, 0, -100}, {0, 0, -150}, 1e-5f},  // segment starts, f = 0
        {15799, {0, 0, -350}, {-3, -2, -300}, 1e-5f},
        {21311, {0, 0, -618.6f}, {0, 0, -540}, 0.6f},  // the scene's last local time
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a);
        camera_path_update(tunnel_scene.camera, c.a);
        expect_vec_near(tunnel_scene.camera.held_eye, c.eye, c.tolerance, "eye");
        expect_vec_near(tunnel_scene.camera.held_centre, c.centre, c.tolerance, "centre");
    }
    // It leaves the tube's far end around 21000, already facing back into it.
    camera_path_update(tunnel_scene.camera, 20800);
    EXPECT_GT(tunnel_scene.camera.held_eye.z, -600);
    EXPECT_GT(tunnel_scene.camera.held_centre.z, tunnel_scene.camera.held_eye.z);
    camera_path_update(tunnel_scene.camera, 21200);
    EXPECT_LT(tunnel_scene.camera.held_eye.z, -600);
}

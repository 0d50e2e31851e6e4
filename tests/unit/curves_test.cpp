#include <gtest/gtest.h>

#include <cmath>

#include "render/render.h"

namespace {

void expect_point(Vec3 p, Vec3 expected) {
    EXPECT_EQ(p.x, expected.x);
    EXPECT_EQ(p.y, expected.y);
    EXPECT_EQ(p.z, expected.z);
}

const Vec3 p0{1.1f, -2.3f, 7.7f};
const Vec3 p1{3.0f, 4.0f, -5.5f};
const Vec3 p2{-8.25f, 0.1f, 2.0f};
const Vec3 p3{0.3f, 9.9f, -1.7f};

}  // namespace

TEST(BezierPoint, EndsAreTheOuterControlPointsExactly) {
    expect_point(bezier_point(p0, p1, p2, p3, 0.0f), p0);
    expect_point(bezier_point(p0, p1, p2, p3, 1.0f), p3);
}

TEST(BezierPoint, MidpointWeighsTheInnerPointsThreeTimes) {
    Vec3 m = bezier_point({0, 0, 0}, {8, 0, 0}, {0, 8, 0}, {0, 0, 8}, 0.5f);
    EXPECT_FLOAT_EQ(m.x, 3.0f);
    EXPECT_FLOAT_EQ(m.y, 3.0f);
    EXPECT_FLOAT_EQ(m.z, 1.0f);
    Vec3 q = bezier_point({0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, 0.25f);
    EXPECT_FLOAT_EQ(q.x, 0.75f);  // evenly spaced points give a uniform line
}

TEST(ProfilePoint, WeightsOneThreeNineNineThreeOne) {
    const Point2 one{1, 0};
    struct Case {
        float t;
        float expected_x;
    } cases[] = {
        {0.0f, 1.0f},
        {1.0f, 1.0f},
        {0.5f, 0.8125f},
        // (u^5 + 3tu^4 + 9t^2u^3 + 9t^3u^2 + 3t^4u + t^5) at t = 0.25
        {0.25f, (243.0f + 3 * 81 + 9 * 27 + 9 * 9 + 3 * 3 + 1) / 1024.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.t);
        Point2 p = profile_point(one, one, one, one, one, one, c.t);
        EXPECT_FLOAT_EQ(p.x, c.expected_x);
        EXPECT_EQ(p.y, 0.0f);
    }
    // Each control point has its own weight.
    Point2 q = profile_point({0, 0}, {0, 0}, {1, 2}, {0, 0}, {0, 0}, {0, 0}, 0.5f);
    EXPECT_FLOAT_EQ(q.x, 9.0f / 32.0f);
    EXPECT_FLOAT_EQ(q.y, 18.0f / 32.0f);
    Point2 ends = profile_point({5, 6}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {-3, 4}, 1.0f);
    EXPECT_EQ(ends.x, -3.0f);
    EXPECT_EQ(ends.y, 4.0f);
}

namespace {

// Two segments on x alone so f can be read off the eye: the eye runs 0 -> 1
// along a straight line over segment 0 and 10 -> 20 over segment 1.
const uint32_t test_windows[2][2] = {{1000, 3000}, {3000, 3100}};
const Vec3 test_eyes[2][4] = {
    {{0, 0, 0}, {1.0f / 3, 0, 0}, {2.0f / 3, 0, 0}, {1, 0, 0}},
    {{10, 0, 0}, {10 + 10.0f / 3, 0, 0}, {10 + 20.0f / 3, 0, 0}, {20, 0, 0}},
};
const Vec3 test_centres[2][4] = {
    {{0, 5, 0}, {0, 5, 0}, {0, 5, 0}, {0, 5, 0}},
    {{0, 0, 7}, {0, 0, 7}, {0, 0, 7}, {0, 0, 7}},
};

CameraPath test_path() { return {2, test_windows, test_eyes, test_centres, {0, 0, 0}, {0, 0, 0}}; }

}  // namespace

TEST(CameraPath, StartsHeldAtTheOriginUntilAWindowMatches) {
    CameraPath path = test_path();
    camera_path_update(path, 999);
    expect_point(path.held_eye, {0, 0, 0});
    expect_point(path.held_centre, {0, 0, 0});
}

TEST(CameraPath, WindowsAreHalfOpenAndTheEndBelongsToTheNextSegment) {
    struct Case {
        uint32_t a;
        Vec3 eye;
        Vec3 centre;
    } cases[] = {
        {1000, {0, 0, 0}, {0, 5, 0}},     // start of segment 0, f = 0
        {2000, {0.5f, 0, 0}, {0, 5, 0}},  // f = 0.5
        {3000, {10, 0, 0}, {0, 0, 7}},    // end of segment 0 is f = 0 of segment 1
        {3050, {15, 0, 0}, {0, 0, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a);
        CameraPath path = test_path();
        camera_path_update(path, c.a);
        EXPECT_NEAR(path.held_eye.x, c.eye.x, 1e-5f);
        EXPECT_EQ(path.held_eye.y, c.eye.y);
        expect_point(path.held_centre, c.centre);
    }
}

TEST(CameraPath, OneBeforeTheEndGivesFJustBelowOne) {
    CameraPath path = test_path();
    camera_path_update(path, 2999);
    EXPECT_LT(path.held_eye.x, 1.0f);
    EXPECT_NEAR(path.held_eye.x, 1999.0f / 2000.0f, 1e-5f);
}

TEST(CameraPath, HoldsStillPastTheLastWindow) {
    CameraPath path = test_path();
    camera_path_update(path, 3099);
    Vec3 eye = path.held_eye;
    Vec3 centre = path.held_centre;
    for (uint32_t a : {3100u, 5000u, 4294967295u}) {
        camera_path_update(path, a);
        expect_point(path.held_eye, eye);
        expect_point(path.held_centre, centre);
    }
    // Going back into a window moves the camera again.
    camera_path_update(path, 1000);
    expect_point(path.held_eye, {0, 0, 0});
}

TEST(CameraPath, ComparesTimesUnsigned) {
    // A window reaching beyond 2^31 ms still holds times above 2^31; a signed
    // comparison would see them as negative and miss it.
    const uint32_t windows[1][2] = {{0, 4000000000u}};
    const Vec3 eyes[1][4] = {{{0, 0, 0}, {1.0f / 3, 0, 0}, {2.0f / 3, 0, 0}, {1, 0, 0}}};
    const Vec3 centres[1][4] = {{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}}};
    CameraPath path{1, windows, eyes, centres, {9, 9, 9}, {9, 9, 9}};
    camera_path_update(path, 3000000000u);
    EXPECT_NEAR(path.held_eye.x, 0.75f, 1e-5f);
    EXPECT_EQ(path.held_centre.x, 0.0f);
}

TEST(CameraPath, AnEmptyWindowNeverMatches) {
    const uint32_t windows[1][2] = {{500, 500}};
    const Vec3 points[1][4] = {{{1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}}};
    CameraPath path{1, windows, points, points, {2, 2, 2}, {3, 3, 3}};
    camera_path_update(path, 500);
    expect_point(path.held_eye, {2, 2, 2});
    expect_point(path.held_centre, {3, 3, 3});
}

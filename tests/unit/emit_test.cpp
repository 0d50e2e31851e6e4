#include <gtest/gtest.h>

#include <cmath>

#include "render/render.h"

namespace {

struct NormalCase {
    const char* name;
    Vec3 a, b, c;
    Vec3 expected;
};

}  // namespace

// The normal comes from the first three corners, counter-clockwise facing the viewer.
TEST(FaceNormal, PointsTowardTheSideThatSeesTheCornersCounterClockwise) {
    const NormalCase cases[] = {
        {"quad 0,0 1,0 1,1 seen from +z", {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 0, 1}},
        {"same corners reversed: 0,0 0,1 1,1", {0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0, 0, -1}},
        {"large triangle is still unit length", {0, 0, 0}, {0, 0, 50}, {0, 50, 0}, {-1, 0, 0}},
        {"floor facing up", {0, 0, 0}, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}},
        {"tilted", {0, 0, 0}, {1, 0, 0}, {0, 1, 1}, {0, -0.70710677f, 0.70710677f}},
    };
    for (const NormalCase& c : cases) {
        SCOPED_TRACE(c.name);
        Vec3 n = face_normal(c.a, c.b, c.c);
        EXPECT_FLOAT_EQ(n.x, c.expected.x);
        EXPECT_FLOAT_EQ(n.y, c.expected.y);
        EXPECT_FLOAT_EQ(n.z, c.expected.z);
    }
}

TEST(FaceNormal, CollinearOrCoincidentCornersGiveANonFiniteNormal) {
    Vec3 collinear = face_normal({0, 0, 0}, {1, 1, 1}, {2, 2, 2});
    Vec3 coincident = face_normal({1, 2, 3}, {1, 2, 3}, {1, 2, 3});
    EXPECT_FALSE(std::isfinite(collinear.x));
    EXPECT_FALSE(std::isfinite(coincident.z));
}

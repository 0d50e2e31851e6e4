#include <gtest/gtest.h>

#include "resources/resources.h"

namespace {

class Shapes : public ::testing::Test {
protected:
    static void SetUpTestSuite() { build_angle_tables(); }
};

void expect_point(Vec3 p, float x, float y, float z) {
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
    EXPECT_EQ(p.z, z);
}

}  // namespace

TEST_F(Shapes, TubeRingsStartOnPlusZAndTurnTowardPlusX) {
    Shape tube = build_tube_rings(2.0f, 1.0f, 4.0f, 12);
    ASSERT_EQ(tube.size(), 24u);
    expect_point(tube[0], 0.0f, -2.0f, 2.0f);   // bottom ring, theta 0
    expect_point(tube[3], 2.0f, -2.0f, 2.0f * cos_deg(90));  // theta 90
    expect_point(tube[6], 2.0f * sin_deg(180), -2.0f, -2.0f);
    expect_point(tube[12], 0.0f, 2.0f, 1.0f);   // top ring starts again at theta 0
    expect_point(tube[15], 1.0f, 2.0f, cos_deg(90));
    for (int k = 0; k < 12; ++k) {
        SCOPED_TRACE(k);
        expect_point(tube[k], 2.0f * sin_deg(30 * k), -2.0f, 2.0f * cos_deg(30 * k));
        expect_point(tube[12 + k], 1.0f * sin_deg(30 * k), 2.0f, 1.0f * cos_deg(30 * k));
    }
}

TEST_F(Shapes, RingAnglesAreRoundedToWholeDegrees) {
    // 7 points: 360/7 = 51.43 -> 51, 102.86 -> 103, 154.29 -> 154, ...
    Shape tube = build_tube_rings(1.0f, 1.0f, 0.0f, 7);
    const int degrees[7] = {0, 51, 103, 154, 206, 257, 309};
    for (int k = 0; k < 7; ++k) {
        SCOPED_TRACE(k);
        expect_point(tube[k], sin_deg(degrees[k]), -0.0f, cos_deg(degrees[k]));
    }
}

TEST_F(Shapes, ShellHasOuterBottomOuterTopInnerBottomInnerTop) {
    Shape shell = build_shell_rings(4.0f, 3.0f, 2.0f, 1.0f, 8.0f, 12);
    ASSERT_EQ(shell.size(), 48u);
    const struct {
        float radius, y;
    } rings[4] = {{4, -4}, {3, 4}, {2, -4}, {1, 4}};
    for (int r = 0; r < 4; ++r) {
        for (int k = 0; k < 12; ++k) {
            SCOPED_TRACE(testing::Message() << "ring " << r << " point " << k);
            expect_point(shell[12 * r + k], rings[r].radius * sin_deg(30 * k), rings[r].y,
                         rings[r].radius * cos_deg(30 * k));
        }
    }
}

TEST_F(Shapes, SphereGridRowsRunFromThePoleInWholeDegreeSteps) {
    struct Case {
        uint16_t n;
        int rows, columns, step;
    } cases[] = {{24, 12, 24, 15}, {12, 6, 12, 30}, {11, 6, 12, 30}, {2, 1, 2, 180}, {1, 1, 2, 180}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        float R = 0.5f;
        Shape grid = build_sphere_grid(R, c.n);
        ASSERT_EQ(grid.size(), static_cast<size_t>(c.rows * c.columns));
        for (int j = 0; j < c.columns; ++j) {
            expect_point(grid[j], R * sin_deg(0) * sin_deg(j * c.step), R, R * sin_deg(0) * cos_deg(j * c.step));
            EXPECT_EQ(grid[j].x, 0.0f);
            EXPECT_EQ(grid[j].z, 0.0f);
        }
        for (int i = 0; i < c.rows; ++i) {
            for (int j = 0; j < c.columns; ++j) {
                int phi = i * c.step;
                int lambda = j * c.step;
                expect_point(grid[i * c.columns + j], R * sin_deg(phi) * sin_deg(lambda), R * cos_deg(phi),
                             R * sin_deg(phi) * cos_deg(lambda));
            }
        }
    }
}

TEST_F(Shapes, TheLastSphereRowStopsOneStepShortOfTheLowerPole) {
    Shape grid = build_sphere_grid(1.0f, 12);
    // Row 5 is at 150 degrees from +y; column 3 is at 90 degrees around, on +x.
    Vec3 p = grid[5 * 12 + 3];
    EXPECT_FLOAT_EQ(p.y, -0.8660254f);
    EXPECT_FLOAT_EQ(p.x, 0.5f);
    EXPECT_NEAR(p.z, 0.0f, 1e-7f);
}

TEST_F(Shapes, AZeroCountGivesAnEmptyTable) {
    EXPECT_TRUE(build_tube_rings(1, 1, 1, 0).empty());
    EXPECT_TRUE(build_shell_rings(1, 1, 1, 1, 1, 0).empty());
    EXPECT_TRUE(build_sphere_grid(1, 0).empty());
}

#include <gtest/gtest.h>

#include <cmath>

#include "resources/resources.h"

namespace {

class AngleTables : public ::testing::Test {
protected:
    static void SetUpTestSuite() { build_angle_tables(); }
};

// Through the C library at run time, as the tables are built: folded by the
// compiler, a constant argument would get the exact value, which Windows's
// sine and cosine miss by an ulp near zero.
float sin_entry(int d) {
    volatile double angle = d * 0.017453292519943295;
    return static_cast<float>(std::sin(angle));
}
float cos_entry(int d) {
    volatile double angle = d * 0.017453292519943295;
    return static_cast<float>(std::cos(angle));
}

}  // namespace

// Exact equality throughout: a look-up must read one table entry, and the
// wrapped angles must read the same entry as the angle they wrap to (entry 360
// holds sin 360 = -2.4e-16, not 0, so reading it would show).
TEST_F(AngleTables, LookUpsReadTheEntryOfTheWrappedAngle) {
    struct Case {
        int degrees;
        float expected_sin;
        float expected_cos;
    } cases[] = {
        {0, 0.0f, 1.0f},
        {90, 1.0f, cos_entry(90)},
        {180, sin_entry(180), -1.0f},
        {-90, -1.0f, cos_entry(-90)},
        {360, 0.0f, 1.0f},
        {-360, 0.0f, 1.0f},
        {450, 1.0f, cos_entry(90)},
        {-450, -1.0f, cos_entry(-90)},
        {359, sin_entry(359), cos_entry(359)},
        {-359, sin_entry(-359), cos_entry(-359)},
        {720, 0.0f, 1.0f},
        {719, sin_entry(359), cos_entry(359)},
        {-719, sin_entry(-359), cos_entry(-359)},
        {1000, sin_entry(280), cos_entry(280)},
        {-2147483647 - 1, sin_entry(-128), cos_entry(-128)},
        {2147483647, sin_entry(127), cos_entry(127)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.degrees);
        EXPECT_EQ(sin_deg(c.degrees), c.expected_sin);
        EXPECT_EQ(cos_deg(c.degrees), c.expected_cos);
    }
    EXPECT_NE(sin_entry(360), 0.0f);
}

TEST_F(AngleTables, EveryDegreeHoldsTheFloatOfItsSineAndCosine) {
    for (int d = -359; d <= 359; ++d) {
        ASSERT_EQ(sin_deg(d), sin_entry(d)) << d;
        ASSERT_EQ(cos_deg(d), cos_entry(d)) << d;
    }
}

TEST(RoundHalfUp, HalvesGoTowardPositiveInfinity) {
    struct Case {
        float x;
        int expected;
    } cases[] = {
        {0.49999f, 0}, {0.5f, 1},   {-0.5f, 0},   {2.5f, 3},   {-2.5f, -2}, {-2.6f, -3},
        {0.0f, 0},     {-0.0f, 0},  {1.0f, 1},    {-1.0f, -1}, {359.5f, 360}, {-0.51f, -1},
        {89.99999f, 90}, {1e20f, 2147483647}, {-1e20f, -2147483647 - 1},
    };
    for (const Case& c : cases) EXPECT_EQ(round_half_up(c.x), c.expected) << c.x;
}

TEST(VectorMath, SubCrossAndNormalize) {
    Vec3 d = vec3_sub({5, 7, 9}, {1, 2, 3});
    EXPECT_EQ(d.x, 4);
    EXPECT_EQ(d.y, 5);
    EXPECT_EQ(d.z, 6);

    // Right-handed: x cross y = z, and the order of the operands matters.
    Vec3 z = vec3_cross({1, 0, 0}, {0, 1, 0});
    EXPECT_EQ(z.x, 0);
    EXPECT_EQ(z.y, 0);
    EXPECT_EQ(z.z, 1);
    Vec3 c = vec3_cross({1, 2, 3}, {4, 5, 6});
    EXPECT_EQ(c.x, -3);
    EXPECT_EQ(c.y, 6);
    EXPECT_EQ(c.z, -3);

    Vec3 v{3, 0, -4};
    vec3_normalize(v);
    EXPECT_FLOAT_EQ(v.x, 0.6f);
    EXPECT_FLOAT_EQ(v.y, 0.0f);
    EXPECT_FLOAT_EQ(v.z, -0.8f);
}

TEST(VectorMath, NormalizingTheZeroVectorGivesNonFiniteComponents) {
    Vec3 v{0, 0, 0};
    vec3_normalize(v);
    EXPECT_FALSE(std::isfinite(v.x));
    EXPECT_FALSE(std::isfinite(v.y));
    EXPECT_FALSE(std::isfinite(v.z));
}

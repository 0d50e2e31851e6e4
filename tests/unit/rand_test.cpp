#include <gtest/gtest.h>

#include "resources/resources.h"

TEST(DemoRand, StartsWithTheClassicSequence) {
    reset_demo_rand();
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
    for (int value : expected) EXPECT_EQ(demo_rand(), value);
}

TEST(DemoRand, StaysWithinRangeAndRestartsOnReset) {
    reset_demo_rand();
    int first = demo_rand();
    for (int i = 0; i < 100000; ++i) {
        int v = demo_rand();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 32767);
    }
    reset_demo_rand();
    EXPECT_EQ(demo_rand(), first);
}

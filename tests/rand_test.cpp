#include <gtest/gtest.h>

#include "resources/resources.h"

TEST(DemoRand, PlaceholderBuilds) { SUCCEED(); }

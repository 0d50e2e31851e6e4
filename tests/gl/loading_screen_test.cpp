// The loading screen, rendered headless: the picture upright over the whole
// screen, darkening linearly to black over 3000 ms of wall clock.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <vector>

#include "resources/resources.h"
#include "shell/shell.h"
#include "support/gl_harness.h"

namespace {

// Mean of all channels over screen rows [y0, y1), y counted from the bottom.
double mean_brightness(const std::vector<uint8_t>& frame, int y0, int y1) {
    double sum = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = 0; x < 800 * 3; ++x) sum += frame[(static_cast<size_t>(y) * 800 * 3) + x];
    }
    return sum / ((y1 - y0) * 800.0 * 3);
}

// Mean of all channels over picture rows [r0, r1), row 0 the top of the picture.
double picture_brightness(const std::vector<uint8_t>& rgb, int width, int r0, int r1) {
    double sum = 0;
    for (int r = r0; r < r1; ++r) {
        for (int x = 0; x < width * 3; ++x) sum += rgb[(static_cast<size_t>(r) * width * 3) + x];
    }
    return sum / ((r1 - r0) * width * 3.0);
}

std::vector<uint8_t> loading_frame(uint32_t elapsed_ms) {
    gl_reset_frame();
    draw_loading_frame(elapsed_ms);
    return gl_read_frame();
}

class LoadingScreen : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        opened = gl_open(true);
        if (opened) load_loading_picture();
    }
    void SetUp() override { ASSERT_TRUE(opened) << "no headless GL context"; }
    static bool opened;
};

bool LoadingScreen::opened = false;

}  // namespace

TEST_F(LoadingScreen, DarkensLinearlyToBlackOver3000Ms) {
    double full = mean_brightness(loading_frame(0), 0, 600);
    ASSERT_GT(full, 10) << "the loading picture should show at 0 ms";
    struct Case {
        uint32_t elapsed;
        double share;  // of the brightness at 0 ms
    };
    const Case cases[] = {{750, 0.75}, {1500, 0.5}, {2250, 0.25}, {3000, 0.0}, {4999, 0.0}};
    for (const Case& c : cases) {
        double seen = mean_brightness(loading_frame(c.elapsed), 0, 600);
        EXPECT_NEAR(seen / full, c.share, 0.02) << c.elapsed << " ms";
    }
}

TEST_F(LoadingScreen, PictureStandsUprightOverTheWholeScreen) {
    uint16_t width = 0, height = 0;
    std::vector<uint8_t> picture;
    std::string error;
    ASSERT_TRUE(read_tga_rgb(loading_texture_file, &width, &height, &picture, &error)) << error;
    ASSERT_GT(width, 0);
    ASSERT_GT(height, 3);
    std::vector<uint8_t> frame = loading_frame(0);
    // The top third of the screen shows the top third of the picture, and so on down.
    for (int band = 0; band < 3; ++band) {
        double expected = picture_brightness(picture, width, band * height / 3, (band + 1) * height / 3);
        double seen = mean_brightness(frame, 600 - (band + 1) * 200, 600 - band * 200);
        EXPECT_NEAR(seen, expected, 4.0) << "band " << band << " from the top";
    }
}

TEST_F(LoadingScreen, LeavesDepthTestOnBlendingOffAndThePerspectiveSet) {
    loading_frame(1000);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    // gluPerspective(90, 4:3): x scale 1 / (tan 45 * 4/3) = 0.75, y scale 1.
    EXPECT_NEAR(projection[0], 0.75f, 1e-5f);
    EXPECT_NEAR(projection[5], 1.0f, 1e-5f);
}

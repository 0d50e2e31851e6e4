// Frames of other sizes, rendered headless: the picture between black bars,
// multisampling's coverage on a slanted edge, and a window beyond the GL's limits.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include "platform/offscreen/offscreen.h"
#include "render/render.h"
#include "support/frame_shrink.h"
#include "support/gl_harness.h"
#include "timeline/timeline.h"

namespace {

class FrameSizeGl : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(gl_open(true)); }
};

// The timeline's frame at t in a width x height frame.
std::vector<uint8_t> sized_timeline_frame(int width, int height, int32_t t) {
    if (!gl_begin_sized_frame(width, height)) return {};
    music_time = t;
    run_timeline();
    std::vector<uint8_t> rgb = gl_read_sized_frame();
    gl_end_sized_frame();
    return rgb;
}

// Columns [x0, x1) of a width-wide frame.
std::vector<uint8_t> columns(const std::vector<uint8_t>& rgb, int width, int x0, int x1) {
    std::vector<uint8_t> out;
    for (size_t row = 0; row < rgb.size() / 3 / width; ++row)
        out.insert(out.end(), rgb.begin() + (row * width + x0) * 3, rgb.begin() + (row * width + x1) * 3);
    return out;
}

}  // namespace

TEST_F(FrameSizeGl, WideFrameShowsThePictureBetweenBlackBars) {
    // The town and the blurred title card: 1440 x 1080 between bars of 240.
    for (const int32_t t : {25000, 600}) {
        SCOPED_TRACE(t);
        const std::vector<uint8_t> wide = sized_timeline_frame(1920, 1080, t);
        const std::vector<uint8_t> picture = sized_timeline_frame(1440, 1080, t);
        ASSERT_FALSE(wide.empty());
        for (const std::vector<uint8_t>& bar : {columns(wide, 1920, 0, 240), columns(wide, 1920, 1680, 1920)})
            EXPECT_TRUE(std::all_of(bar.begin(), bar.end(), [](uint8_t v) { return v == 0; }));
        EXPECT_LT(frames::mean_difference(columns(wide, 1920, 240, 1680), picture), 0.05);
    }
}

TEST_F(FrameSizeGl, MultisamplingGivesSlantedEdgesIntermediateCoverage) {
    for (const int samples : {1, 4}) {
        SCOPED_TRACE(samples);
        ASSERT_TRUE(gl_begin_sized_frame(400, 300, samples));
        set_ortho_screen();
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_DEPTH_TEST);
        glColor4f(1, 1, 1, 1);
        glBegin(GL_TRIANGLES);
        glVertex2f(100, 100);
        glVertex2f(700, 160);
        glVertex2f(300, 550);
        glEnd();
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
        const std::vector<uint8_t> rgb = gl_read_sized_frame();
        gl_end_sized_frame();
        const long partial = std::count_if(rgb.begin(), rgb.end(), [](uint8_t v) { return v > 16 && v < 239; });
        if (samples == 1)
            EXPECT_EQ(partial, 0);
        else
            EXPECT_GT(partial, 3 * 300);  // along the three edges, a few hundred pixels each
    }
}

TEST_F(FrameSizeGl, AWindowLargerThanTheGlDrawsGetsAPictureAtTheLimit) {
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    int width = viewport[0] * 2 + 10, height = viewport[0];  // twice as wide as the limit, and more
    fit_offscreen_limits(&width, &height);
    EXPECT_LE(width, viewport[0]);
    EXPECT_LE(height, viewport[1]);
    EXPECT_NEAR(static_cast<double>(width) / height, 2.0, 0.01);  // its shape kept
    int small_width = 1280, small_height = 1024;
    fit_offscreen_limits(&small_width, &small_height);
    EXPECT_EQ(small_width, 1280);
    EXPECT_EQ(small_height, 1024);
}

// The zoom blur and the colour inversion as they reach the screen, rendered headless.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "render/render.h"
#include "scenes/titles/titles.h"
#include "support/gl_harness.h"

namespace {

class CaptureGl : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl_open(true));
        gl_reset_frame();
    }
};

// An untextured rectangle in the 800 x 600 screen space, drawn into whatever
// viewport is current (the capture square between begin and compose).
void fill_rect(float x0, float y0, float x1, float y1, float r, float g, float b) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, 800, 0, 600, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glColor3f(r, g, b);
    glBegin(GL_QUADS);
    glVertex2f(x0, y0);
    glVertex2f(x0, y1);
    glVertex2f(x1, y1);
    glVertex2f(x1, y0);
    glEnd();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void capture_uniform(char mode, float r, float g, float b) {
    begin_capture(90);
    fill_rect(0, 0, 800, 600, r, g, b);
    compose_capture(0, mode, 90);
}

bool frame_is_black(const std::vector<uint8_t>& frame) {
    return std::all_of(frame.begin(), frame.end(), [](uint8_t v) { return v == 0; });
}

int level(float c) { return static_cast<int>(c * 255.0f + 0.5f); }

const int probe_points[][2] = {{1, 1}, {400, 300}, {798, 598}, {3, 590}, {795, 4}, {200, 450}};

}  // namespace

TEST_F(CaptureGl, UniformColourKeepsItsLevelInHAndGAndDoublesInF) {
    // Every pass lands in the 8-bit buffer and rounds on its own, so a channel may
    // drift by up to one level per pass; a channel that saturates must reach white.
    struct Row {
        char mode;
        float r, g, b;
        float expect_r, expect_g, expect_b;
    };
    const Row rows[] = {
        {'h', 0.5f, 0.25f, 0.75f, 0.5f, 0.25f, 0.75f},
        {'g', 0.5f, 0.25f, 0.75f, 0.5f, 0.25f, 0.75f},
        {'h', 1, 1, 1, 1, 1, 1},
        {'g', 1, 0, 1, 1, 0, 1},
        {'f', 0.5f, 0.5f, 0.5f, 1, 1, 1},
        {'f', 0.3f, 0.8f, 0, 0.6f, 1, 0},
    };
    // The 800 x 600 frame, and 1440 x 1080: s = 1.8, a 922-pixel square in a 1024 texture.
    for (const int height : {600, 1080}) {
        SCOPED_TRACE(height);
        const bool sized = height != 600;
        if (sized) {
            ASSERT_TRUE(gl_begin_sized_frame(height * 4 / 3, height));
        }
        const double scale = height / 600.0;
        for (const Row& row : rows) {
            SCOPED_TRACE(row.mode);
            const int drift = find_capture_mode(row.mode)->passes;
            gl_reset_frame();
            capture_uniform(row.mode, row.r, row.g, row.b);
            for (const auto& p : probe_points) {
                const Rgb c = gl_pixel(static_cast<int>(p[0] * scale), static_cast<int>(p[1] * scale));
                const int got[3] = {c.r, c.g, c.b};
                const float want[3] = {row.expect_r, row.expect_g, row.expect_b};
                for (int k = 0; k < 3; ++k) {
                    const int tolerance = want[k] >= 1.0f ? 8 : want[k] <= 0.0f ? 0 : drift;
                    EXPECT_NEAR(got[k], level(want[k]), tolerance) << p[0] << "," << p[1] << " channel " << k;
                }
            }
        }
        if (sized) gl_end_sized_frame();
    }
}

TEST_F(CaptureGl, PictureComesBackUprightAndUnmirrored) {
    begin_capture(90);
    fill_rect(0, 300, 400, 600, 1, 0, 0);  // top left red
    fill_rect(400, 300, 800, 600, 0, 1, 0);  // top right green
    compose_capture(0, 'h', 90);
    const Rgb top_left = gl_pixel(20, 590);
    const Rgb top_right = gl_pixel(780, 590);
    EXPECT_GT(top_left.r, 200);
    EXPECT_EQ(top_left.g, 0);
    EXPECT_GT(top_right.g, 200);
    EXPECT_EQ(top_right.r, 0);
    const Rgb bottom = gl_pixel(400, 10);
    EXPECT_EQ(bottom.r + bottom.g + bottom.b, 0);
}

TEST_F(CaptureGl, OuterBorderOnlyReachesTheFirstPass) {
    // Capture columns 0 ... 4 lie inside the outer 1% that every later pass skips.
    begin_capture(90);
    fill_rect(0, 0, 4.8f * 800 / 512, 600, 1, 1, 1);
    compose_capture(0, 'h', 90);
    const Rgb edge = gl_pixel(1, 300);
    EXPECT_NEAR(edge.r, 255 / 14, 4);
    EXPECT_EQ(gl_pixel(400, 300).r, 0);
    EXPECT_EQ(gl_pixel(30, 300).r, 0);
}

TEST_F(CaptureGl, EveryModeAndBadInputRestoreTheFrameState) {
    struct Row {
        int slot;
        char mode;
        float fov;
        bool draws;
    };
    const Row rows[] = {
        {0, 'h', 90, true}, {0, 'g', 60, true}, {0, 'f', 45, true},
        {0, 'x', 60, false}, {0, 'H', 90, false}, {1, 'h', 75, false}, {-1, 'g', 90, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.slot << " " << row.mode);
        gl_reset_frame();
        glMatrixMode(GL_MODELVIEW);
        GLint depth_before = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_before);

        begin_capture(90);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], 512);
        EXPECT_EQ(viewport[3], 512);
        fill_rect(0, 0, 800, 600, 0.6f, 0.6f, 0.6f);
        glTranslatef(5, 6, 7);  // the scene may leave anything on the model-view
        compose_capture(row.slot, row.mode, row.fov);

        EXPECT_EQ(frame_is_black(gl_read_frame()), !row.draws);
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[0], 0);
        EXPECT_EQ(viewport[1], 0);
        EXPECT_EQ(viewport[2], 800);
        EXPECT_EQ(viewport[3], 600);
        GLint depth_after = 0, matrix_mode = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_after);
        glGetIntegerv(GL_MATRIX_MODE, &matrix_mode);
        EXPECT_EQ(depth_after, depth_before);
        EXPECT_EQ(matrix_mode, GL_MODELVIEW);

        GLfloat modelview[16], projection[16], expected[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        gluPerspective(row.fov, 4.0 / 3.0, 0.1, 5000);
        glGetFloatv(GL_PROJECTION_MATRIX, expected);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
        for (int k = 0; k < 16; ++k) {
            EXPECT_FLOAT_EQ(modelview[k], (k % 5 == 0) ? 1.0f : 0.0f) << k;
            EXPECT_NEAR(projection[k], expected[k], 1e-5) << k;
        }
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        GLint src = 0, dst = 0;
        glGetIntegerv(GL_BLEND_SRC, &src);
        glGetIntegerv(GL_BLEND_DST, &dst);
        EXPECT_EQ(src, GL_ONE);
        EXPECT_EQ(dst, GL_ONE);
        if (row.slot == 0) {
            GLint bound = 0;
            glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
            EXPECT_EQ(static_cast<uint32_t>(bound), capture_textures[0]);
        }
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(CaptureGl, InversionTurnsBlackWhiteAndTwiceRestoresThePicture) {
    invert_screen(90);
    const std::vector<uint8_t> white = gl_read_frame();
    EXPECT_TRUE(std::all_of(white.begin(), white.end(), [](uint8_t v) { return v == 255; }));

    gl_reset_frame();
    fill_rect(0, 0, 400, 300, 1, 0, 0);
    fill_rect(400, 0, 800, 300, 0.2f, 0.4f, 0.6f);
    fill_rect(100, 300, 700, 600, 0.9f, 0.7f, 0.1f);
    const std::vector<uint8_t> picture = gl_read_frame();
    invert_screen(90);
    const std::vector<uint8_t> negative = gl_read_frame();
    ASSERT_EQ(negative.size(), picture.size());
    for (size_t i = 0; i < picture.size(); ++i) ASSERT_EQ(negative[i], 255 - picture[i]) << i;
    invert_screen(60);
    EXPECT_EQ(gl_read_frame(), picture);

    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_NE(projection[11], 0.0f);  // a perspective, not the screen's orthographic space
}

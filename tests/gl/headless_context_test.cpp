// The headless context draws what a window would show: clear colour, an
// immediate-mode quad in the 800 x 600 orthographic space, a usable depth buffer,
// GLU and the frame copy the zoom blur relies on.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/gl_harness.h"

namespace {

void ortho_screen() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 800, 0, 600, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void untextured_quad(float x0, float y0, float x1, float y1) {
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glVertex2f(x0, y0);
    glVertex2f(x1, y0);
    glVertex2f(x1, y1);
    glVertex2f(x0, y1);
    glEnd();
    glEnable(GL_TEXTURE_2D);
}

bool same(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }

}  // namespace

class HeadlessGl : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl_open(false));
        gl_reset_frame();
    }
};

TEST_F(HeadlessGl, IsAnEightHundredBySixHundredCompatibilityContext) {
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
    GLint depth_bits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth_bits);
    EXPECT_GE(depth_bits, 16);
    GLint red_bits = 0;
    glGetIntegerv(GL_RED_BITS, &red_bits);
    EXPECT_EQ(red_bits, 8);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// ZELVO_HEADLESS_FBO=1 sends drawing to the framebuffer object that stands in
// where a driver offers no pbuffer; the same checks then run against it.
TEST_F(HeadlessGl, DrawsIntoThePbufferOrTheFallbackObject) {
    const char* force = std::getenv("ZELVO_HEADLESS_FBO");
    const bool fallback = force && std::string(force) == "1";
    GLint framebuffer = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    EXPECT_EQ(framebuffer != 0, fallback);
}

TEST_F(HeadlessGl, ClearColourReadsBackEverywhere) {
    glClearColor(0.0f, 128 / 255.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    for (auto [x, y] : {std::pair{0, 0}, {799, 0}, {0, 599}, {799, 599}, {400, 300}}) {
        const Rgb pixel = gl_pixel(x, y);
        EXPECT_TRUE(same(pixel, Rgb{0, 128, 255})) << x << "," << y << ": " << int(pixel.r) << " "
                                                   << int(pixel.g) << " " << int(pixel.b);
    }
    glClearColor(0, 0, 0, 0);
}

// Screen space has y up: a quad over the lower-left quarter covers exactly
// those pixels of the buffer, counted from the bottom.
TEST_F(HeadlessGl, ImmediateModeQuadCoversItsRectangleOnly) {
    ortho_screen();
    glColor3f(1, 0, 0);
    untextured_quad(100, 50, 300, 250);
    struct Case {
        int x, y;
        bool inside;
    } cases[] = {
        {100, 50, true}, {299, 249, true}, {200, 150, true},
        {99, 150, false}, {300, 150, false}, {200, 49, false}, {200, 250, false}, {700, 500, false},
    };
    for (const Case& c : cases) {
        const Rgb pixel = gl_pixel(c.x, c.y);
        EXPECT_TRUE(same(pixel, c.inside ? Rgb{255, 0, 0} : Rgb{0, 0, 0})) << c.x << "," << c.y;
    }
    const std::vector<uint8_t> frame = gl_read_frame();
    ASSERT_EQ(frame.size(), 800u * 600u * 3u);
    size_t red = 0;
    for (size_t i = 0; i < frame.size(); i += 3) red += frame[i] == 255;
    EXPECT_EQ(red, 200u * 200u);
}

// The fade overlay relies on a nearer quad winning with GL_LEQUAL and on the
// depth written being readable.
TEST_F(HeadlessGl, DepthBufferKeepsTheNearerSurface) {
    ortho_screen();
    glColor3f(0, 1, 0);
    glBegin(GL_QUADS);
    glVertex3f(0, 0, 0.5f);  // window depth 0.25 in glOrtho's -1 ... 1 (z is negated)
    glVertex3f(800, 0, 0.5f);
    glVertex3f(800, 600, 0.5f);
    glVertex3f(0, 600, 0.5f);
    glEnd();
    glColor3f(0, 0, 1);
    untextured_quad(0, 0, 800, 600);  // depth 0.5: behind, so hidden
    EXPECT_TRUE(same(gl_pixel(400, 300), Rgb{0, 255, 0}));
    EXPECT_NEAR(gl_depth(400, 300), 0.25f, 1e-4f);
    EXPECT_NEAR(gl_depth(10, 590), 0.25f, 1e-4f);
}

TEST_F(HeadlessGl, GluWorksThroughTheContext) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    std::vector<uint8_t> picture(64 * 32 * 3, 200);
    EXPECT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, 3, 64, 32, GL_RGB, GL_UNSIGNED_BYTE, picture.data()), 0);
    GLint level6_width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 6, GL_TEXTURE_WIDTH, &level6_width);
    EXPECT_EQ(level6_width, 1);  // the full chain down to 1 x 1

    // gluPerspective and gluLookAt: a point straight ahead lands in the centre.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90.0, 4.0 / 3.0, 0.1, 5000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, 10, 0, 0, 0, 0, 1, 0);
    glDisable(GL_TEXTURE_2D);
    glPointSize(3);
    glColor3f(1, 1, 1);
    glBegin(GL_POINTS);
    glVertex3f(0, 0, 0);
    glEnd();
    glEnable(GL_TEXTURE_2D);
    EXPECT_TRUE(same(gl_pixel(400, 300), Rgb{255, 255, 255}));
    EXPECT_TRUE(same(gl_pixel(405, 300), Rgb{0, 0, 0}));
    glDeleteTextures(1, &texture);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// The zoom blur copies the drawn frame into a texture with glCopyTexImage2D.
TEST_F(HeadlessGl, FrameCopiesIntoATexture) {
    ortho_screen();
    glColor3f(1, 1, 0);
    untextured_quad(0, 0, 256, 600);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, 512, 512, 0);
    ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    std::vector<uint8_t> copied(512 * 512 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, copied.data());
    auto texel = [&](int x, int y) {
        const uint8_t* p = &copied[(static_cast<size_t>(y) * 512 + x) * 3];
        return Rgb{p[0], p[1], p[2]};
    };
    EXPECT_TRUE(same(texel(0, 0), Rgb{255, 255, 0}));
    EXPECT_TRUE(same(texel(255, 511), Rgb{255, 255, 0}));
    EXPECT_TRUE(same(texel(256, 0), Rgb{0, 0, 0}));
    glDeleteTextures(1, &texture);
}

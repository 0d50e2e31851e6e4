// Projections, the fade overlay, the light presets and the timeline's own
// frames, rendered headless.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>

#include "render/render.h"
#include "shell/shell.h"
#include "support/gl_harness.h"
#include "timeline/timeline.h"

namespace {

class FrameGl : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl_open());
        gl_reset_frame();
    }
};

// A grid of points over the whole screen, corners included.
const int sample_xs[] = {0, 200, 400, 600, 799};
const int sample_ys[] = {0, 150, 300, 450, 599};

void expect_uniform_grey(int grey, int tolerance) {
    for (int x : sample_xs) {
        for (int y : sample_ys) {
            const Rgb p = gl_pixel(x, y);
            EXPECT_NEAR(p.r, grey, tolerance) << x << "," << y;
            EXPECT_NEAR(p.g, grey, tolerance) << x << "," << y;
            EXPECT_NEAR(p.b, grey, tolerance) << x << "," << y;
        }
    }
}

void expect_matrix(GLenum which, const float expected[16]) {
    float m[16];
    glGetFloatv(which, m);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m[i], expected[i], 1e-5) << "element " << i;
}

// gluPerspective's matrix, column-major.
void perspective_matrix(float fov, float aspect, float near_plane, float far_plane, float m[16]) {
    const float f = 1.0f / std::tan(fov * 3.14159265f / 360.0f);
    for (int i = 0; i < 16; ++i) m[i] = 0;
    m[0] = f / aspect;
    m[5] = f;
    m[10] = (far_plane + near_plane) / (near_plane - far_plane);
    m[11] = -1;
    m[14] = 2 * far_plane * near_plane / (near_plane - far_plane);
}

const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

void scramble_matrices() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-3, 7, -2, 9, -1, 40);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(5, -4, 12);
    glRotatef(33, 1, 2, 3);
}

int run_at(int32_t t) {
    music_time = t;
    return run_timeline();
}

}  // namespace

TEST_F(FrameGl, FadeAtAlphaZeroKeepsColourButWritesDepthZero) {
    fade_overlay(1, 0, 0, 1, 90);  // a red screen to fade over
    glClear(GL_DEPTH_BUFFER_BIT);
    EXPECT_FLOAT_EQ(gl_depth(400, 300), 1.0f);
    fade_overlay(0, 0, 0, 0, 90);
    for (int x : sample_xs) {
        for (int y : sample_ys) {
            const Rgb p = gl_pixel(x, y);
            EXPECT_EQ(p.r, 255);
            EXPECT_EQ(p.g, 0);
            EXPECT_EQ(p.b, 0);
            EXPECT_FLOAT_EQ(gl_depth(x, y), 0.0f) << x << "," << y;
        }
    }
}

TEST_F(FrameGl, FadeBlendsItsColourByAlpha) {
    fade_overlay(1, 1, 1, 1, 90);
    fade_overlay(0, 0, 0, 0.25f, 90);  // depth test LEQUAL: the same depth 0 passes again
    expect_uniform_grey(191, 1);
}

TEST_F(FrameGl, FadeLeavesThePerspectiveAndIdentityWhateverCameBefore) {
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    scramble_matrices();
    fade_overlay(0.2f, 0.4f, 0.6f, 0.5f, 60);
    float expected[16];
    perspective_matrix(60, 4.0f / 3.0f, 0.1f, 5000, expected);
    expect_matrix(GL_PROJECTION_MATRIX, expected);
    expect_matrix(GL_MODELVIEW_MATRIX, identity);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(FrameGl, ProjectionsSetTheirPlanesAndResetTheModelView) {
    float expected[16];
    scramble_matrices();
    set_perspective(90);
    perspective_matrix(90, 4.0f / 3.0f, 0.1f, 5000, expected);
    expect_matrix(GL_PROJECTION_MATRIX, expected);
    expect_matrix(GL_MODELVIEW_MATRIX, identity);

    scramble_matrices();
    set_perspective_short(90);
    perspective_matrix(90, 4.0f / 3.0f, 0.5f, 80, expected);
    expect_matrix(GL_PROJECTION_MATRIX, expected);
    expect_matrix(GL_MODELVIEW_MATRIX, identity);

    scramble_matrices();
    set_ortho_screen();
    const float ortho[16] = {2.0f / 800, 0, 0, 0, 0, 2.0f / 600, 0, 0, 0, 0, -2, 0, -1, -1, -1, 1};
    expect_matrix(GL_PROJECTION_MATRIX, ortho);
    expect_matrix(GL_MODELVIEW_MATRIX, identity);
}

TEST_F(FrameGl, LightPresetsEnableTheirLightsAndLighting) {
    const struct {
        char code;
        bool light[4];
    } cases[] = {
        {'v', {false, true, false, false}},
        {'b', {false, true, false, false}},
        {'i', {false, true, true, false}},
        {'o', {false, false, false, false}},  // the object room switches its lights on itself
        {'x', {false, false, false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        gl_reset_frame();
        glDisable(GL_LIGHT3);
        apply_light_preset(c.code);
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
        for (int i = 0; i < 4; ++i) EXPECT_EQ(glIsEnabled(GL_LIGHT0 + i) != 0, c.light[i]) << "light " << i;
    }
}

TEST_F(FrameGl, LightPresetsSetTheTableParameters) {
    apply_light_preset('o');
    float v[4];
    glGetLightfv(GL_LIGHT2, GL_AMBIENT, v);
    EXPECT_FLOAT_EQ(v[0], 0.8f);
    EXPECT_FLOAT_EQ(v[1], 0.9f);
    EXPECT_FLOAT_EQ(v[2], 0.5f);
    glGetLightfv(GL_LIGHT1, GL_DIFFUSE, v);
    EXPECT_FLOAT_EQ(v[0], 0.4f);
    EXPECT_FLOAT_EQ(v[2], 0.6f);
    apply_light_preset('i');
    glGetLightfv(GL_LIGHT2, GL_POSITION, v);  // the identity model-view leaves it as given
    EXPECT_FLOAT_EQ(v[0], -40.0f);
    EXPECT_FLOAT_EQ(v[3], 1.0f);
    apply_light_preset('v');
    glGetLightfv(GL_LIGHT1, GL_AMBIENT, v);
    EXPECT_FLOAT_EQ(v[3], 0.8f);
}

// Frames whose look the timeline's own overlays decide, whatever the scene draws.
TEST_F(FrameGl, TimelineOverlaysDecideTheseFrames) {
    const struct {
        int32_t t;
        int grey;
        int tolerance;
    } cases[] = {
        {32046, 0, 0},     // the first city ends under full black
        {53358, 254, 1},   // the credits end in white
        {53359, 0, 0},     // the second city's white quad starts at alpha 0 ...
        {53450, 68, 2},    // ... and covers the city as it rises
        {53530, 128, 2},
        {53650, 218, 2},
        {53700, 255, 1},
        {130623, 254, 1},  // the tunnel's white fade, just before its end
        {151940, 0, 1},    // the object room's black fade
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "t = " << c.t);
        gl_reset_frame();
        EXPECT_EQ(run_at(c.t), 1);
        expect_uniform_grey(c.grey, c.tolerance);
    }
}

TEST_F(FrameGl, SecondCityWhiteQuadHidesTheCityBehindDepthZero) {
    run_at(53530);
    for (int x : sample_xs)
        for (int y : sample_ys) EXPECT_FLOAT_EQ(gl_depth(x, y), 0.0f) << x << "," << y;
}

TEST_F(FrameGl, ShowEndsWithAClearedBlackFrame) {
    fade_overlay(1, 1, 1, 1, 90);  // whatever the last frame left behind
    EXPECT_EQ(run_at(160704), 1);
    fade_overlay(1, 1, 1, 1, 90);
    EXPECT_EQ(run_at(160705), 0);
    expect_uniform_grey(0, 0);
    for (int x : sample_xs)
        for (int y : sample_ys) EXPECT_FLOAT_EQ(gl_depth(x, y), 1.0f) << x << "," << y;
}

TEST_F(FrameGl, EveryFrameStartsWithTheLightsOffAndTheCreditsClock) {
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glEnable(GL_LIGHT2);
    glEnable(GL_LIGHTING);
    run_at(160705);
    EXPECT_EQ(credits_local_time, 667);
    for (GLenum light : {GL_LIGHT0, GL_LIGHT1, GL_LIGHT2, GL_LIGHTING}) EXPECT_FALSE(glIsEnabled(light));
    run_at(0);
    EXPECT_EQ(credits_local_time, -10714);
}

// The object room as a viewer sees it: frames rendered headless through the timeline.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <string>
#include <vector>

#include "render/render.h"
#include "resources/resources.h"
#include "scenes/objects/objects.h"
#include "support/gl_harness.h"

namespace {

using Frame = std::vector<uint8_t>;

constexpr int32_t scene_start = 130624;
constexpr int32_t first_frame = 130625;
constexpr int32_t last_frame = 151940;

// The scene drawn as the timeline sets it up, but without the closing fade.
Frame unfaded_frame(int32_t t) {
    gl_reset_frame();
    apply_light_preset('o');
    draw_objects(t - scene_start, t);
    return gl_read_frame();
}

// The timeline's frame at t with the given picture slots showing no picture.
Frame frame_without(int32_t t, std::initializer_list<TextureSlot> slots) {
    std::vector<TextureId> kept;
    for (TextureSlot s : slots) kept.push_back(scene_textures[s]), scene_textures[s] = 0;
    Frame f = gl_timeline_frame(t);
    size_t i = 0;
    for (TextureSlot s : slots) scene_textures[s] = kept[i++];
    return f;
}

// Share of pixels in [x0, x1) x [y0, y1) where two frames differ by more than 24 in a channel.
double share_different(const Frame& a, const Frame& b, int x0 = 0, int y0 = 0, int x1 = 800, int y1 = 600) {
    size_t differ = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const Rgb p = frame_pixel(a, x, y), q = frame_pixel(b, x, y);
            differ += std::abs(p.r - q.r) > 24 || std::abs(p.g - q.g) > 24 || std::abs(p.b - q.b) > 24;
        }
    return double(differ) / (double(x1 - x0) * double(y1 - y0));
}

// Where a room point lands on the screen (x, y from the bottom left) and its
// window depth, seen by the camera of the frame drawn last.
struct OnScreen {
    int x, y;
    double depth;
};

OnScreen project(Vec3 p) {
    set_perspective(90);
    const Vec3 e = objects_scene.camera.held_eye, c = objects_scene.camera.held_centre;
    gluLookAt(e.x, e.y, e.z, c.x, c.y, c.z, 0, 1, 0);
    double model[16], projection[16], x, y, z;
    int viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(p.x, p.y, p.z, model, projection, viewport, &x, &y, &z);
    glLoadIdentity();
    return {static_cast<int>(x), static_cast<int>(y), z};
}

// p moved by d toward the eye of the frame drawn last.
Vec3 toward_eye(Vec3 p, float d) {
    Vec3 to = vec3_sub(objects_scene.camera.held_eye, p);
    vec3_normalize(to);
    return {p.x + d * to.x, p.y + d * to.y, p.z + d * to.z};
}

bool on_screen(const OnScreen& s) { return s.x >= 0 && s.x < 800 && s.y >= 0 && s.y < 600 && s.depth < 1; }

class ObjectFrames : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(gl_open(true)); }
};

}  // namespace

TEST_F(ObjectFrames, FirstFrameShowsTheSwirlPaperedRoom) {
    const Frame frame = gl_timeline_frame(first_frame);
    EXPECT_GT(frame_share_above(frame, 10), 0.97) << "the room closes the view on every side";
    const Frame plain = frame_without(first_frame, {tex_object_swirl});
    EXPECT_GT(share_different(frame, plain), 0.5) << "the walls show the swirl";
}

TEST_F(ObjectFrames, SculpturesAreLitBluishAndYellowishWithShadedFacets) {
    for (int32_t t : {first_frame, 139625, 147625}) {
        SCOPED_TRACE(t);
        // Without the pictures the room and the balls are grey under the white
        // light; what is coloured is a sculpture.
        const Frame f = frame_without(t, {tex_object_swirl, tex_object_sphere});
        size_t bluish = 0, yellowish = 0;
        int dimmest = 255, brightest = 0;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) {
                const Rgb p = frame_pixel(f, x, y);
                if (p.b > p.r + 20 && p.b > p.g) {
                    ++bluish;
                    dimmest = std::min(dimmest, int(p.b)), brightest = std::max(brightest, int(p.b));
                }
                yellowish += p.r > p.b + 40 && p.g > p.b + 50;
            }
        EXPECT_GT(bluish, 480000u / 50) << "the bodies under light 1";
        EXPECT_GT(yellowish, 480000u / 100) << "the arms under light 2";
        EXPECT_GT(brightest, 130) << "lit, not black";
        EXPECT_LT(brightest, 200) << "not flat white";
        EXPECT_GT(brightest - dimmest, 60) << "facets turned from the light are darker";
    }
}

TEST_F(ObjectFrames, BallsAreTexturedAndSpikedAtTheTop) {
    const int32_t t = 147625;  // the eye looks down past the ball at (-2, 0.5, -2)
    const Frame frame = gl_timeline_frame(t);
    const Frame plain = frame_without(t, {tex_object_sphere});
    const Vec3 centre = {-2, 0.5f, -2}, tip = {-2, 1.25f, -2}, past = {-2, 1.65f, -2};
    const OnScreen middle = project(centre), spike = project(tip), above = project(past);
    ASSERT_TRUE(on_screen(middle) && on_screen(spike) && on_screen(above));
    // Half the squares are white: a window a few squares wide shows the red ones.
    EXPECT_GT(share_different(frame, plain, std::max(0, middle.x - 40), std::max(0, middle.y - 40),
                              std::min(800, middle.x + 40), std::min(600, middle.y + 40)),
              0.2);
    // Something lies within 0.15 in front of a point 0.75 above the centre,
    // which only the cone reaches, and nothing at or before a point 1.15 above.
    const double at_spike = gl_depth(spike.x, spike.y);
    EXPECT_LE(at_spike, spike.depth);
    EXPECT_GE(at_spike, project(toward_eye(tip, 0.15f)).depth);
    EXPECT_GT(gl_depth(above.x, above.y), above.depth);
}

TEST_F(ObjectFrames, FadesToBlackOverTheLastThreeSeconds) {
    const double unfaded_start = frame_mean(unfaded_frame(149000));
    EXPECT_NEAR(frame_mean(gl_timeline_frame(149000)), unfaded_start, 0.5);
    const double unfaded_half = frame_mean(unfaded_frame(150470));
    EXPECT_NEAR(frame_mean(gl_timeline_frame(150470)) / unfaded_half, 0.5, 0.03);
    EXPECT_LT(frame_mean(gl_timeline_frame(last_frame)), 0.5);
}

TEST_F(ObjectFrames, LeavesLightsTexturingAndTheMatrixStackAsFound) {
    unfaded_frame(first_frame);
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT2));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT3));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(gl_modelview_depth(), 1) << "every push is popped";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

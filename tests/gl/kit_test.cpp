// The mesh, the face emitters, the textured box and the start-up builder,
// rendered headless.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "render/render.h"
#include "resources/resources.h"
#include "scenes/city/city.h"
#include "scenes/objects/objects.h"
#include "scenes/office/office.h"
#include "shell/shell.h"
#include "support/gl_harness.h"
#include "support/test_paths.h"
#include "timeline/timeline.h"

namespace {

class KitGl : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl_open(false));
        build_angle_tables();
        gl_reset_frame();
        glDisable(GL_TEXTURE_2D);
        glColor3f(1, 1, 1);
        // Two units in front of the eye; at 90 degrees a unit square spans 150 pixels up and down.
        glTranslatef(0, 0, -2);
    }
    void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }
};

// The eye-light of preset 'v': a face turned to the eye is lit to white, one
// turned away keeps only the ambient terms (about a fifth).
void light_from_the_eye() {
    glPushMatrix();
    glLoadIdentity();
    apply_light_preset('v');
    glEnable(GL_LIGHT1);
    glPopMatrix();
}

int brightness(int x, int y) { return gl_pixel(x, y).r; }

// A 2 x 2 texture: top row (uploaded first, t = 0) red, bottom row blue.
GLuint two_row_texture() {
    const uint8_t texels[] = {255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255};
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return name;
}

const GLenum watched_flags[] = {GL_TEXTURE_2D, GL_LIGHTING, GL_LIGHT0, GL_LIGHT1, GL_LIGHT2, GL_DEPTH_TEST,
                                GL_BLEND,      GL_CULL_FACE, GL_FOG,   GL_COLOR_MATERIAL, GL_NORMALIZE,
                                GL_ALPHA_TEST};

// The box and the mesh as a scene's draw list sends them.
void draw_textured_box(float width, float height, float depth) {
    DrawList list;
    add_textured_box(list, nullptr, {width, height, depth});
    draw_list(list);
}

void draw_mesh(const Vec3* vertices, const int32_t* faces, int32_t face_count) {
    DrawList list;
    begin_batch(list, nullptr, {}, Primitive::triangles);
    add_mesh(list, vertices, faces, face_count);
    draw_list(list);
}

}  // namespace

TEST_F(KitGl, TheTexturedBoxLeavesTheBoundTextureAndEveryFlagAsItFoundThem) {
    GLuint texture = two_row_texture();
    struct Setting {
        const char* name;
        bool textured, lit, blended;
    } settings[] = {{"textured and lit", true, true, false}, {"untextured, blended", false, false, true}};
    for (const Setting& s : settings) {
        SCOPED_TRACE(s.name);
        s.textured ? glEnable(GL_TEXTURE_2D) : glDisable(GL_TEXTURE_2D);
        s.lit ? light_from_the_eye() : glDisable(GL_LIGHTING);
        s.blended ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
        GLint bound_before = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound_before);
        GLboolean before[std::size(watched_flags)];
        for (size_t i = 0; i < std::size(watched_flags); ++i) before[i] = glIsEnabled(watched_flags[i]);

        draw_textured_box(1, 2, 0.05f);

        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        GLint bound_after = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound_after);
        EXPECT_EQ(bound_after, bound_before);
        EXPECT_EQ(bound_after, static_cast<GLint>(texture));
        for (size_t i = 0; i < std::size(watched_flags); ++i) {
            EXPECT_EQ(glIsEnabled(watched_flags[i]), before[i]) << "flag 0x" << std::hex << watched_flags[i];
        }
    }
    glDeleteTextures(1, &texture);
}

TEST_F(KitGl, TheBoxFrontShowsThePictureUprightAndFacesTheEye) {
    GLuint texture = two_row_texture();
    glEnable(GL_TEXTURE_2D);
    glTranslatef(0, 0, -1);  // front face (z = +1) two units away
    draw_textured_box(2, 2, 2);
    Rgb top = gl_pixel(400, 400);
    Rgb bottom = gl_pixel(400, 200);
    EXPECT_GT(top.r, 200);
    EXPECT_LT(top.b, 50);
    EXPECT_GT(bottom.b, 200);
    EXPECT_LT(bottom.r, 50);
    EXPECT_EQ(gl_pixel(400, 500).r, 0);  // above the box
    EXPECT_EQ(gl_pixel(200, 300).b, 0);  // left of the box

    // Lit, the outward normal of the front face takes the full light from the eye.
    glDisable(GL_TEXTURE_2D);
    light_from_the_eye();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_textured_box(2, 2, 2);
    EXPECT_GT(brightness(400, 300), 200);
    glDeleteTextures(1, &texture);
}

TEST_F(KitGl, AMeshTriangleCoversItsCornersAndIsLitByItsFileWinding) {
    const Vec3 vertices[] = {{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}};
    const int32_t facing_eye[] = {0, 1, 2};
    const int32_t facing_away[] = {0, 2, 1};

    draw_mesh(vertices, facing_eye, 1);
    EXPECT_EQ(brightness(400, 250), 255);  // inside, near the base
    EXPECT_EQ(brightness(400, 440), 255);  // inside, near the apex
    EXPECT_EQ(brightness(280, 430), 0);    // beside the apex, outside the slanted edge
    EXPECT_EQ(brightness(400, 130), 0);    // below the base

    light_from_the_eye();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_mesh(vertices, facing_eye, 1);
    int lit = brightness(400, 300);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_mesh(vertices, facing_away, 1);
    int away = brightness(400, 300);
    EXPECT_GT(lit, 200);
    EXPECT_LT(away, 100);
    EXPECT_GT(away, 0);  // still drawn: no culling, only the light differs
}

TEST_F(KitGl, AnEmptyMeshDrawsNothing) {
    draw_mesh(nullptr, nullptr, 0);
    EXPECT_EQ(brightness(400, 300), 0);
}

TEST_F(KitGl, TheStraightforwardPathSendsOneNormalAFaceFromItsFirstThreeCorners) {
    reference_drawing = true;
    DrawList plain;
    begin_batch(plain, nullptr, {.untextured = true});
    add_quad(plain, {{{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}}});
    draw_list(plain);
    GLfloat normal[4];
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    EXPECT_FLOAT_EQ(normal[2], 1.0f);
    DrawList textured;
    begin_batch(textured, nullptr);
    add_textured_quad(textured, {{{-1, -1, 0}, {-1, 1, 0}, {1, 1, 0}, {1, -1, 0}}, {{0, 1}, {1, 1}, {1, 0}, {0.25f, 0.5f}}});
    draw_list(textured);
    reference_drawing = false;
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    EXPECT_FLOAT_EQ(normal[2], -1.0f);
    GLfloat texcoord[4];
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, texcoord);
    EXPECT_FLOAT_EQ(texcoord[0], 0.25f);  // the last corner's pair was sent last
    EXPECT_FLOAT_EQ(texcoord[1], 0.5f);
}

// Runs the start-up builder in a folder of its own with two small meshes, so
// it does not depend on the generated data pack.
TEST_F(KitGl, StartUpBuildsEveryShapeLoadsBothMeshesAndSetsTheFrameState) {
    namespace fs = std::filesystem;
    fs::path folder = fs::path(build_path("kit_gl_test_start"));
    fs::create_directories(folder / "data" / "object");
    std::ofstream(folder / "data" / "object" / "campfer3.ef3") << "3 1 0 0 0 1 0 0 0 1 0 0 1 2\n";
    std::ofstream(folder / "data" / "object" / "hose3.ef3") << "4 2 0 0 0 1 0 0 0 1 0 0 0 1 0 1 2 0 2 3\n";
    fs::path previous = fs::current_path();
    fs::current_path(folder);
    glDepthFunc(GL_LESS);
    glEnable(GL_COLOR_MATERIAL);
    capture_textures[0] = 0;

    EXPECT_EQ(init_gl_state(), 1);
    fs::current_path(previous);
    init_scenes();

    EXPECT_EQ(campfer_mesh.vertex_count, 3);
    EXPECT_EQ(campfer_mesh.face_count, 1);
    EXPECT_EQ(hose_mesh.vertex_count, 4);
    EXPECT_EQ(hose_mesh.face_count, 2);
    EXPECT_EQ(lamp_base_tube.size(), 24u);
    EXPECT_EQ(lamp_collar_tube.size(), 24u);
    EXPECT_EQ(lamp_pole_tube.size(), 24u);
    EXPECT_EQ(lamp_shade_shell.size(), 48u);
    EXPECT_EQ(ball_sphere_grid.size(), 12u * 24u);
    EXPECT_EQ(knob_sphere_grid.size(), 6u * 12u);
    EXPECT_FLOAT_EQ(lamp_pole_tube[12].y, 0.17f);
    EXPECT_FLOAT_EQ(lamp_collar_tube[12].z, 0.01f);
    EXPECT_FLOAT_EQ(knob_sphere_grid[0].y, 0.025f);
    EXPECT_FLOAT_EQ(sin_deg(90), 1.0f);

    EXPECT_NE(capture_textures[0], 0u);
    EXPECT_TRUE(glIsTexture(capture_textures[0]));
    GLint value = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    glGetIntegerv(GL_PERSPECTIVE_CORRECTION_HINT, &value);
    EXPECT_EQ(value, GL_NICEST);
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
    GLfloat ambient[4];
    glGetLightfv(GL_LIGHT1, GL_AMBIENT, ambient);
    EXPECT_FLOAT_EQ(ambient[0], 0.8f);
    fs::remove_all(folder);
}

TEST_F(KitGl, PlacementReplayMatchesTheModelViewMatrix) {
    const Move moves[] = {translate_move(1, 2, 3), rotate_move(90, 0, 1, 0), push_move(),
                          translate_move(0, 0, 2), rotate_move(30, 1, 1, 1), pop_move(),
                          rotate_move(-57, 0.3f, 0, 1), translate_move(-4, 0.5f, 0)};
    glLoadIdentity();
    for (const Move& m : moves) apply_move(m);
    float gl_matrix[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, gl_matrix);
    const Placement cpu = replay_moves(moves, static_cast<int>(std::size(moves)), nullptr);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(cpu.m[i], gl_matrix[i], 1e-5f) << i;
}

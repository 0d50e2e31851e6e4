// Projections, the full-screen fade overlay and the light presets.
#include <GL/gl.h>
#include <GL/glu.h>

#include "render/render.h"

namespace {

// The screen is always 800 x 600, so the aspect is a constant 4:3.
constexpr double screen_aspect = 1.3333333333333333;

// One light of a preset. Lights a preset does not name keep their parameters.
struct LightPresetRow {
    char code;
    GLenum light;
    GLfloat ambient[4];
    GLfloat diffuse[4];
    GLfloat position[4];
    bool enable;
};

// Positions are taken through the model-view current at the call; the callers
// apply presets right after loading the identity, so (0, 0, 0, 1) sits at the eye.
// Preset 'o' leaves its lights off: the object room switches them on itself.
const LightPresetRow light_presets[] = {
    {'v', GL_LIGHT1, {0.8f, 0.8f, 0.8f, 0.8f}, {1, 1, 1, 1}, {0, 0, 0, 1}, true},
    {'b', GL_LIGHT1, {0.8f, 0.8f, 0.8f, 0.8f}, {1, 1, 1, 1}, {0, 0, 0, 1}, true},
    {'i', GL_LIGHT1, {1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 1}, true},
    {'i', GL_LIGHT2, {1, 1, 1, 1}, {1, 1, 1, 1}, {-40, 0, 0, 1}, true},
    {'o', GL_LIGHT1, {0.4f, 0.5f, 0.6f, 1}, {0.4f, 0.5f, 0.6f, 1}, {0, 0, 0, 1}, false},
    {'o', GL_LIGHT2, {0.8f, 0.9f, 0.5f, 1}, {0.8f, 0.9f, 0.5f, 1}, {0, 0, 0, 1}, false},
    {'o', GL_LIGHT3, {1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 0, 1}, false},
};

void load_perspective(float fov, double near_plane, double far_plane) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fov, screen_aspect, near_plane, far_plane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

}  // namespace

void set_ortho_screen() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 800, 0, 600, 0, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void set_perspective(float fov) { load_perspective(fov, 0.1, 5000); }

void set_perspective_short(float fov) { load_perspective(fov, 0.5, 80); }

void fade_overlay(float r, float g, float b, float alpha, float fov) {
    set_ortho_screen();
    glPushMatrix();
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // The depth test and writes stay as the caller has them: the quad lands at
    // window depth 0 and hides whatever the frame draws after it.
    draw_screen_quad(nullptr, {r, g, b, alpha});
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glPopMatrix();
    set_perspective(fov);
}

void draw_screen_quad(const float (*texcoords)[2], Colour colour) {
    // One list, refilled for each quad.
    static DrawList quad;
    static const Vec3 corners[4] = {{0, 0, 0}, {0, 600, 0}, {800, 600, 0}, {800, 0, 0}};
    clear_draw_list(quad);
    begin_batch(quad, nullptr, {.untextured = texcoords == nullptr, .normals = false});
    TexturedQuad q{};
    for (int k = 0; k < 4; ++k) {
        q.corners[k] = corners[k];
        if (texcoords) q.texcoords[k][0] = texcoords[k][0], q.texcoords[k][1] = texcoords[k][1];
    }
    const Colour colours[4] = {colour, colour, colour, colour};
    add_coloured_quad(quad, q, colours);
    draw_list(quad);
}

void apply_light_preset(char code) {
    for (const LightPresetRow& row : light_presets) {
        if (row.code != code) continue;
        glLightfv(row.light, GL_AMBIENT, row.ambient);
        glLightfv(row.light, GL_DIFFUSE, row.diffuse);
        glLightfv(row.light, GL_POSITION, row.position);
        if (row.enable) glEnable(row.light);
    }
    glEnable(GL_LIGHTING);
}

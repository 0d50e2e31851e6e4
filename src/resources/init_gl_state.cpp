// The start-up builder: run once at the end of window creation with the GL
// context current. Everything it makes stays unchanged for the whole show.
#include <GL/gl.h>

#include "render/render.h"
#include "resources/resources.h"
#include "scenes/titles/titles.h"

int init_gl_state() {
    // The shape builders read the degree tables, so they come first.
    build_angle_tables();

    lamp_base_tube = build_tube_rings(0.02f, 0.02f, 0.16f, 12);
    lamp_collar_tube = build_tube_rings(0.02f, 0.01f, 0.04f, 12);
    lamp_pole_tube = build_tube_rings(0.01f, 0.006f, 0.34f, 12);
    lamp_shade_shell = build_shell_rings(0.04f, 0.006f, 0.034f, 0.002f, 0.04f, 12);

    // A missing or refused mesh ends the program here, before the loading picture.
    campfer_mesh = load_mesh("data//object//campfer3.ef3");
    hose_mesh = load_mesh("data//object//hose3.ef3");

    ball_sphere_grid = build_sphere_grid(0.5f, 24);
    knob_sphere_grid = build_sphere_grid(0.025f, 12);

    apply_light_preset('v');

    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);

    create_blank_texture(capture_textures, 512, 3, GL_RGB, 0);

    // Lit surfaces take the default material; colours never feed the lighting.
    glDisable(GL_COLOR_MATERIAL);
    set_perspective(90);
    return 1;
}

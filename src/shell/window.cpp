// The one window and its GL context, over the platform layer. The platform
// opens a double-buffered RGBA context with a depth buffer of at least 16 bits,
// shows the window and gives it the focus; the shell adds the cursor rule and
// runs the start-up builder with the context current.
#include <GL/gl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>

#include "render/render.h"
#include "resources/resources.h"
#include "shell/shell.h"

namespace {

// Whether the display mode was changed; tear-down gives the cursor back only then.
bool fullscreen = false;

}  // namespace

int create_gl_window(const char* title, int width, int height, int bits, bool fullscreen_request) {
    bool got_fullscreen = false;
    std::string error;
    if (!platform_open_window(title, width, height, bits, fullscreen_request, &got_fullscreen,
                              &error)) {
        // Without a context nothing can be drawn; carrying on would only crash later.
        fatal_error("Error!\nCan't open the " + std::to_string(width) + " x " +
                        std::to_string(height) + " OpenGL window:\n" + error,
                    "ERROR");
    }
    // A refused mode change leaves a captioned window of the same client size.
    fullscreen = got_fullscreen;
    if (fullscreen) platform_show_cursor(false);
    init_gl_state();
    return 1;
}

namespace {

void load_mesh_or_end(const char* path, Mesh* mesh) {
    std::string error;
    std::string cause;
    if (!load_mesh(path, mesh, &error, &cause)) fatal_error(error, "Error fakia", exit_failure, cause);
}

}  // namespace

int init_gl_state() {
    // The shape builders read the degree tables, so they come first.
    build_angle_tables();

    // A missing or refused mesh ends the program here, before the loading picture.
    load_mesh_or_end(campfer_mesh_file, &campfer_mesh);
    load_mesh_or_end(hose_mesh_file, &hose_mesh);

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

void destroy_gl_window() {
    if (fullscreen) platform_show_cursor(true);
    platform_close_window();
    fullscreen = false;
}

int flush_standard_output() {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return exit_ok;
    std::fprintf(stderr, "zelvo: cannot write to standard output: %s\n", std::strerror(errno));
    return exit_failure;
}

// The display is given back before the message appears, so a full-screen run
// does not hide the box behind a window that no longer draws.
void fatal_error(const std::string& text, const std::string& caption, int exit_status, const std::string& cause) {
    sound_close();
    destroy_gl_window();
    platform_message_box(text.c_str(), caption.c_str());
    if (!cause.empty()) std::fprintf(stderr, "zelvo: %s\n", cause.c_str());
    std::fflush(stderr);
    std::exit(exit_status);
}

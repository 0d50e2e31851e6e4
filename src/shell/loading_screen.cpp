// The loading picture and the loading screen that fades it to black.
#include <GL/gl.h>

#include "render/render.h"
#include "resources/resources.h"
#include "shell/shell.h"
#include "timeline/timeline.h"

namespace {

// The picture is gone after 3000 ms; the screen then stays black until 5000 ms.
constexpr double fade_per_ms = 0.00033333333;

}  // namespace

void load_loading_picture() {
    std::string error;
    if (!load_texture(loading_texture_file, &shell.loading_texture, &error))
        fatal_error("Error!\nCan't load the picture " + error, "ERROR");
}

void draw_loading_picture() {
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    set_ortho_screen();
    glPushMatrix();
    glBindTexture(GL_TEXTURE_2D, shell.loading_texture);
    // Texture row t = 0 is the picture's top row, laid along the top of the screen.
    const float texcoords[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
    draw_screen_quad(texcoords, {1, 1, 1, 1});
    glPopMatrix();
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}

void fade_loading_picture(uint32_t elapsed_ms) {
    // Alphas above 1 are clamped by GL: the overlay simply stays opaque.
    fade_overlay(0, 0, 0, static_cast<float>(elapsed_ms * fade_per_ms), 90);
}

void draw_loading_frame(uint32_t elapsed_ms) {
    follow_frame_size();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    draw_loading_picture();
    fade_loading_picture(elapsed_ms);
}

void run_loading_screen() {
    uint32_t start = platform_wall_ms();
    // The test comes first and music time is still 0, so at least one frame shows;
    // a slow frame may carry the screen past 5000 ms, never short of it.
    while (music_time < loading_screen_ms) {
        // A capture writes none of these frames, so it only lets their time pass;
        // the straightforward path draws them all the same.
        const uint32_t elapsed = platform_wall_ms() - start;
        music_time = static_cast<int32_t>(elapsed);
        if (reference_drawing || platform_frame_kept()) draw_loading_frame(elapsed);
        platform_swap_buffers();
    }
}

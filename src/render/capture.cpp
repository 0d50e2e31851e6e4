// The frame capture with its zoom blur, and the colour-inversion overlay.
//
// A scene is drawn small into the lower-left 512 x 512 of the back buffer (in
// an 800 x 600 frame; the square scales with the picture); that square is
// copied into the capture texture, the frame is cleared and the copy is added
// back over the whole screen in several passes whose texture window shrinks
// toward the centre, which smears the picture outward from the middle of the
// screen. A square smaller than its power-of-two texture fills the texture's
// lower-left corner, and the passes' texture coordinates shrink to match.
#include <GL/gl.h>

#include "platform/platform.h"
#include "render/render.h"

uint32_t capture_textures[1] = {0};

namespace {

constexpr int capture_slot_count = static_cast<int>(sizeof capture_textures / sizeof capture_textures[0]);

// The alphas of h and g sum to 1, so a flat picture comes back unchanged; f sums
// to 2 and burns the centre out into long streaks.
const CaptureMode capture_modes[] = {
    // code, passes, inset step, pass alpha
    {'h', 14, 0.01f, 0.071428575f},
    {'g', 9, 0.03f, 0.11111111f},
    {'f', 50, 0.01f, 0.04f},
};

void draw_capture_passes(const CaptureMode& mode, GLuint texture) {
    glPushMatrix();
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, texture);
    set_ortho_screen();
    const FrameLayout& frame = current_frame_layout();
    const float share = frame.capture_size == frame.capture_texture_size
                            ? 1.0f
                            : static_cast<float>(frame.capture_size) / static_cast<float>(frame.capture_texture_size);
    for (int i = 0; i < mode.passes; ++i) {
        float texcoords[4][2];
        capture_pass_texcoords(static_cast<float>(i) * mode.inset_step, texcoords, share);
        glPushMatrix();
        draw_screen_quad(texcoords, {1, 1, 1, mode.pass_alpha});
        glPopMatrix();
    }
    set_perspective(90);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glPopMatrix();
}

}  // namespace

const CaptureMode* find_capture_mode(char code) {
    for (const CaptureMode& mode : capture_modes)
        if (mode.code == code) return &mode;
    return nullptr;
}

void capture_pass_texcoords(float d, float texcoords[4][2], float scale) {
    const float pairs[4][2] = {{d, d}, {d, 1 - d}, {1 - d, 1 - d}, {1 - d, d}};
    for (int k = 0; k < 4; ++k) {
        texcoords[k][0] = pairs[k][0] * scale;
        texcoords[k][1] = pairs[k][1] * scale;
    }
}

void begin_capture(float fov) {
    set_perspective(fov);
    glPushMatrix();
    const FrameLayout& frame = current_frame_layout();
    glViewport(frame.x, frame.y, frame.capture_size, frame.capture_size);
}

void compose_capture(int slot, char mode, float fov) {
    // There is one capture texture; a slot beyond it composes nothing rather than
    // reading past the table, but the frame state is restored all the same.
    const bool slot_valid = slot >= 0 && slot < capture_slot_count;
    const GLuint texture = slot_valid ? capture_textures[slot] : 0;
    const FrameLayout& frame = current_frame_layout();
    if (slot_valid) {
        platform_resolve_samples();
        glBindTexture(GL_TEXTURE_2D, texture);
        if (frame.capture_size == frame.capture_texture_size) {
            // A full redefinition of the texture, so the texture always matches the copied square.
            glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, frame.x, frame.y, frame.capture_size, frame.capture_size, 0);
        } else {
            glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, frame.x, frame.y, frame.capture_size, frame.capture_size);
        }
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(frame.x, frame.y, frame.picture_width, frame.picture_height);
    // Back to the matrix the scene started from, kept pushed for the passes.
    glPopMatrix();
    glPushMatrix();
    glBlendFunc(GL_ONE, GL_ONE);
    const CaptureMode* found = find_capture_mode(mode);
    if (slot_valid && found) draw_capture_passes(*found, texture);
    glBlendFunc(GL_ONE, GL_ONE);
    glPopMatrix();
    set_perspective(fov);
}

void invert_screen(float fov) {
    set_ortho_screen();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    // Source 1 scaled by (1 - destination), nothing of the destination kept.
    glBlendFunc(GL_ONE_MINUS_DST_COLOR, GL_ZERO);
    draw_screen_quad(nullptr, {1, 1, 1, 1});
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    set_perspective(fov);
}

// ---- The held picture ----

namespace {

// The paused picture: the viewport as it was copied, in the lower-left corner
// of a power-of-two texture (GL 1.1 takes no other sizes).
struct HeldPicture {
    GLuint texture = 0;
    GLint viewport[4] = {0, 0, 0, 0};
    int texture_width = 0, texture_height = 0;
};

HeldPicture held;

}  // namespace

void hold_frame() {
    platform_resolve_samples();
    glGetIntegerv(GL_VIEWPORT, held.viewport);
    const int width = power_of_two_above(held.viewport[2]), height = power_of_two_above(held.viewport[3]);
    if (held.texture == 0) glGenTextures(1, &held.texture);
    glBindTexture(GL_TEXTURE_2D, held.texture);
    if (width != held.texture_width || height != held.texture_height) {
        // Nearest texels, so the picture comes back exactly as it was.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        held.texture_width = width;
        held.texture_height = height;
    }
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, held.viewport[0], held.viewport[1], held.viewport[2],
                        held.viewport[3]);
}

void draw_held_frame() {
    if (held.texture == 0) return;
    glViewport(held.viewport[0], held.viewport[1], held.viewport[2], held.viewport[3]);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    set_ortho_screen();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, held.texture);
    const float s = static_cast<float>(held.viewport[2]) / static_cast<float>(held.texture_width);
    const float t = static_cast<float>(held.viewport[3]) / static_cast<float>(held.texture_height);
    const float texcoords[4][2] = {{0, 0}, {0, t}, {s, t}, {s, 0}};
    draw_screen_quad(texcoords, {1, 1, 1, 1});
    glEnable(GL_DEPTH_TEST);
    set_perspective(90);
}

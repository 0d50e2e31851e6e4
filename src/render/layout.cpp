// The frame's layout: the 800 x 600 screen fitted into the frame drawn, and
// the blur's capture square scaled with it.
#include <GL/gl.h>

#include <cmath>

#include "platform/platform.h"
#include "render/render.h"

namespace {

struct Layout {
    FrameLayout frame;
    int texture_size = 0;  // the size the capture texture was made at; 0 before it is made
};

Layout layout;

// The capture square in an 800 x 600 frame.
constexpr int screen_capture_size = 512;

void make_texture(int size) {
    create_blank_texture(capture_textures, size, 3, GL_RGB, 0);
    layout.texture_size = size;
}

}  // namespace

FrameLayout frame_layout(int width, int height) {
    FrameLayout frame;
    frame.width = width;
    frame.height = height;
    const Letterbox box = letterbox(width, height, 800, 600);
    frame.x = box.x;
    frame.y = box.y;
    frame.picture_width = box.width;
    frame.picture_height = box.height;
    frame.capture_size = static_cast<int>(std::lround(screen_capture_size * (box.height / 600.0)));
    frame.capture_texture_size = power_of_two_above(frame.capture_size);
    return frame;
}

int power_of_two_above(int n) {
    int p = 1;
    while (p < n) p *= 2;
    return p;
}

const FrameLayout& current_frame_layout() { return layout.frame; }

void set_frame_size(int width, int height) {
    layout.frame = frame_layout(width, height);
    const int size = layout.frame.capture_texture_size;
    if (layout.texture_size != 0 && layout.texture_size != size) {
        glDeleteTextures(1, &capture_textures[0]);
        make_texture(size);
    }
    glViewport(layout.frame.x, layout.frame.y, layout.frame.picture_width, layout.frame.picture_height);
}

void follow_frame_size() {
    int width = 0, height = 0;
    platform_frame_size(&width, &height);
    // A minimised window reports no size; the layout stays until it has one.
    if (width <= 0 || height <= 0) return;
    if (width != layout.frame.width || height != layout.frame.height) set_frame_size(width, height);
}

std::string frame_size_refusal(int width, int height) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    const int needed = frame_layout(width, height).capture_texture_size;
    if (needed <= largest) return "";
    return "its blur needs a texture of " + std::to_string(needed) + " x " + std::to_string(needed) +
           " and the GL's largest is " + std::to_string(largest) + " x " + std::to_string(largest);
}

void make_capture_texture() { make_texture(layout.frame.capture_texture_size); }

// Headless GL for tests, through the platform layer's headless backend.
#include "support/gl_harness.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <unistd.h>

#include <cstdio>

#include "codecs/codecs.h"
#include "platform/headless/headless.h"
#include "platform/offscreen/offscreen.h"
#include "platform/platform.h"
#include "render/render.h"
#include "resources/resources.h"
#include "shell/shell.h"
#include "timeline/timeline.h"

namespace {

constexpr int frame_width = 800;
constexpr int frame_height = 600;

struct Harness {
    bool tried = false;
    bool opened = false;
    bool data_loaded = false;
    TextureId loading_texture = 0;
    FramebufferCalls gl;
    OffscreenPicture sized;  // the frame of gl_begin_sized_frame
    GLint context_framebuffer = 0;
};

Harness harness;

bool open_context() {
    HeadlessOptions options;
    platform_select_backend(Backend::headless, options);
    bool got_fullscreen = false;
    std::string error;
    if (!platform_open_window("zelvo test", frame_width, frame_height, 32, false, &got_fullscreen, &error)) {
        std::fprintf(stderr, "gl_open: %s\n", error.c_str());
        return false;
    }
    // The data pack is generated into the build folder; every path the demo opens is relative.
    if (chdir(ZELVO_BUILD_DIR) != 0) {
        std::perror("gl_open: chdir " ZELVO_BUILD_DIR);
        return false;
    }
    return true;
}

void load_data() {
    init_gl_state();
    std::string error;
    if (!load_texture(loading_texture_file, &harness.loading_texture, &error) || !load_scene_textures(&error))
        std::fprintf(stderr, "gl_open: %s\n", error.c_str());
    init_scenes();
    harness.data_loaded = true;
}

}  // namespace

bool gl_open(bool with_data) {
    if (!harness.tried) {
        harness.tried = true;
        harness.opened = open_context();
    }
    if (harness.opened && with_data && !harness.data_loaded) load_data();
    return harness.opened;
}

uint16_t gl_loading_texture() { return harness.loading_texture; }

void gl_reset_frame() {
    const FrameLayout& frame = current_frame_layout();
    glViewport(frame.x, frame.y, frame.picture_width, frame.picture_height);
    glClearColor(0, 0, 0, 0);
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LEQUAL);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90.0, 4.0 / 3.0, 0.1, 5000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHT1);
    glDisable(GL_LIGHT2);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
}

bool gl_begin_sized_frame(int width, int height, int samples) {
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &harness.context_framebuffer);
    std::string error;
    if (!look_up_framebuffer_calls(headless_context_lookup, &harness.gl) ||
        !make_offscreen_picture(harness.gl, width, height, samples, &harness.sized, &error)) {
        std::fprintf(stderr, "gl_begin_sized_frame: %s\n", error.c_str());
        gl_end_sized_frame();
        return false;
    }
    set_frame_size(width, height);
    gl_reset_frame();
    return true;
}

std::vector<uint8_t> gl_read_sized_frame() {
    resolve_offscreen_picture(harness.gl, harness.sized);
    std::vector<uint8_t> rgb(static_cast<size_t>(harness.sized.width) * harness.sized.height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, harness.sized.width, harness.sized.height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

void gl_end_sized_frame() {
    if (harness.gl.bind_framebuffer) {
        delete_offscreen_picture(harness.gl, &harness.sized);
        harness.gl.bind_framebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(harness.context_framebuffer));
    }
    set_frame_size(frame_width, frame_height);
    gl_reset_frame();
}

Rgb gl_pixel(int x, int y) {
    uint8_t rgb[3] = {0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return Rgb{rgb[0], rgb[1], rgb[2]};
}

float gl_depth(int x, int y) {
    float depth = 0;
    glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    return depth;
}

std::vector<uint8_t> gl_read_frame() {
    std::vector<uint8_t> rgb(static_cast<size_t>(frame_width) * frame_height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, frame_width, frame_height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

std::vector<uint8_t> gl_timeline_frame(int32_t t) {
    gl_reset_frame();
    music_time = t;
    run_timeline();
    return gl_read_frame();
}

Rgb frame_pixel(const std::vector<uint8_t>& frame, int x, int y) {
    const size_t i = (static_cast<size_t>(y) * frame_width + static_cast<size_t>(x)) * 3;
    return Rgb{frame[i], frame[i + 1], frame[i + 2]};
}

namespace {

int brightness_at(const std::vector<uint8_t>& frame, int x, int y) {
    const Rgb c = frame_pixel(frame, x, y);
    return (c.r + c.g + c.b) / 3;
}

}  // namespace

double frame_mean(const std::vector<uint8_t>& frame, int x0, int y0, int x1, int y1) {
    double sum = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) sum += brightness_at(frame, x, y);
    return sum / (double(x1 - x0) * double(y1 - y0));
}

double frame_share_above(const std::vector<uint8_t>& frame, int level, int x0, int y0, int x1, int y1) {
    size_t above = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) above += brightness_at(frame, x, y) > level;
    return double(above) / (double(x1 - x0) * double(y1 - y0));
}

int gl_modelview_depth() {
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    return depth;
}

bool gl_save_png(const std::string& path) {
    const std::vector<uint8_t> rgb = gl_read_frame();
    std::string error;
    if (write_png_rgb(path, rgb.data(), frame_width, frame_height, RowOrder::bottom_first, &error)) return true;
    std::fprintf(stderr, "gl_save_png: %s\n", error.c_str());
    return false;
}

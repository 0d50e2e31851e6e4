// The off-screen picture shared by the backends.
#include "platform/offscreen/offscreen.h"

#include <algorithm>
#include <cstdint>

namespace {

template <typename Function>
bool look_up(GlLookup lookup, Function* function, const char* name) {
    *function = reinterpret_cast<Function>(lookup(name));
    return *function != nullptr;
}

}  // namespace

bool look_up_framebuffer_calls(GlLookup lookup, FramebufferCalls* gl) {
    return look_up(lookup, &gl->gen_framebuffers, "glGenFramebuffers") &&
           look_up(lookup, &gl->delete_framebuffers, "glDeleteFramebuffers") &&
           look_up(lookup, &gl->bind_framebuffer, "glBindFramebuffer") &&
           look_up(lookup, &gl->gen_renderbuffers, "glGenRenderbuffers") &&
           look_up(lookup, &gl->delete_renderbuffers, "glDeleteRenderbuffers") &&
           look_up(lookup, &gl->bind_renderbuffer, "glBindRenderbuffer") &&
           look_up(lookup, &gl->renderbuffer_storage, "glRenderbufferStorage") &&
           look_up(lookup, &gl->framebuffer_renderbuffer, "glFramebufferRenderbuffer") &&
           look_up(lookup, &gl->check_framebuffer_status, "glCheckFramebufferStatus") &&
           look_up(lookup, &gl->blit_framebuffer, "glBlitFramebuffer") &&
           look_up(lookup, &gl->renderbuffer_storage_multisample, "glRenderbufferStorageMultisample");
}

std::string offscreen_size_refusal(int width, int height, int samples, bool renderbuffers) {
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    if (width > viewport[0] || height > viewport[1])
        return "the GL's largest viewport is " + std::to_string(viewport[0]) + " x " + std::to_string(viewport[1]);
    if (renderbuffers) {
        GLint largest = 0;
        glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
        if (width > largest || height > largest)
            return "the GL's largest renderbuffer is " + std::to_string(largest) + " x " + std::to_string(largest);
    }
    if (samples > 1) {
        GLint most = 0;
        glGetIntegerv(GL_MAX_SAMPLES, &most);
        if (samples > most) return "the GL draws at most " + std::to_string(most) + " samples a pixel";
    }
    return "";
}

namespace {

void store_renderbuffer(const FramebufferCalls& gl, int samples, GLenum format, int width, int height) {
    if (samples > 1)
        gl.renderbuffer_storage_multisample(GL_RENDERBUFFER, samples, format, width, height);
    else
        gl.renderbuffer_storage(GL_RENDERBUFFER, format, width, height);
}

// The single-sampled copy a multisampled picture resolves into.
bool make_resolved_copy(const FramebufferCalls& gl, OffscreenPicture* picture) {
    gl.gen_framebuffers(1, &picture->resolved_framebuffer);
    gl.gen_renderbuffers(1, &picture->resolved_colour);
    gl.bind_framebuffer(GL_FRAMEBUFFER, picture->resolved_framebuffer);
    gl.bind_renderbuffer(GL_RENDERBUFFER, picture->resolved_colour);
    gl.renderbuffer_storage(GL_RENDERBUFFER, GL_RGBA8, picture->width, picture->height);
    gl.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, picture->resolved_colour);
    gl.bind_renderbuffer(GL_RENDERBUFFER, 0);
    return gl.check_framebuffer_status(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

}  // namespace

bool make_offscreen_picture(const FramebufferCalls& gl, int width, int height, int samples,
                            OffscreenPicture* picture, std::string* error) {
    picture->width = width;
    picture->height = height;
    picture->samples = samples > 1 ? samples : 1;
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (picture->samples > 1 && !make_resolved_copy(gl, picture)) {
        *error = "the driver cannot complete an off-screen framebuffer of " + size;
        return false;
    }
    gl.gen_framebuffers(1, &picture->framebuffer);
    gl.gen_renderbuffers(2, picture->renderbuffers);
    gl.bind_framebuffer(GL_FRAMEBUFFER, picture->framebuffer);
    gl.bind_renderbuffer(GL_RENDERBUFFER, picture->renderbuffers[0]);
    store_renderbuffer(gl, picture->samples, GL_RGBA8, width, height);
    gl.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, picture->renderbuffers[0]);
    bool complete = false;
    for (GLenum depth_format : {GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT16}) {
        gl.bind_renderbuffer(GL_RENDERBUFFER, picture->renderbuffers[1]);
        store_renderbuffer(gl, picture->samples, depth_format, width, height);
        gl.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, picture->renderbuffers[1]);
        complete = gl.check_framebuffer_status(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        if (complete) break;
    }
    gl.bind_renderbuffer(GL_RENDERBUFFER, 0);
    if (!complete) {
        *error = "the driver cannot complete an off-screen framebuffer of " + size +
                 (picture->samples > 1 ? " with " + std::to_string(picture->samples) + " samples a pixel" : "");
        return false;
    }
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    if (picture->samples > 1) gl.bind_framebuffer(GL_READ_FRAMEBUFFER, picture->resolved_framebuffer);
    glViewport(0, 0, width, height);
    return true;
}

void fit_offscreen_limits(int* width, int* height) {
    GLint viewport[2] = {0, 0}, renderbuffer = 0;
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    const int64_t most_wide = std::min<GLint>(viewport[0], renderbuffer);
    const int64_t most_high = std::min<GLint>(viewport[1], renderbuffer);
    if (most_wide <= 0 || most_high <= 0) return;
    if (*width > most_wide) {
        *height = static_cast<int>(std::max<int64_t>(1, *height * most_wide / *width));
        *width = static_cast<int>(most_wide);
    }
    if (*height > most_high) {
        *width = static_cast<int>(std::max<int64_t>(1, *width * most_high / *height));
        *height = static_cast<int>(most_high);
    }
}

bool make_checked_offscreen_picture(const FramebufferCalls& gl, int width, int height, int samples,
                                    OffscreenPicture* picture, std::string* error, bool* refused) {
    const std::string refusal = offscreen_size_refusal(width, height, samples, true);
    if (!refusal.empty()) {
        *error = "a picture of " + std::to_string(width) + " x " + std::to_string(height) + " is too large: " + refusal;
        *refused = true;
        return false;
    }
    return make_offscreen_picture(gl, width, height, samples, picture, error);
}

void resolve_offscreen_picture(const FramebufferCalls& gl, const OffscreenPicture& picture) {
    if (picture.samples <= 1) return;
    gl.bind_framebuffer(GL_READ_FRAMEBUFFER, picture.framebuffer);
    gl.bind_framebuffer(GL_DRAW_FRAMEBUFFER, picture.resolved_framebuffer);
    glPushAttrib(GL_SCISSOR_BIT);
    glDisable(GL_SCISSOR_TEST);
    gl.blit_framebuffer(0, 0, picture.width, picture.height, 0, 0, picture.width, picture.height,
                        GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glPopAttrib();
    gl.bind_framebuffer(GL_READ_FRAMEBUFFER, picture.resolved_framebuffer);
    gl.bind_framebuffer(GL_DRAW_FRAMEBUFFER, picture.framebuffer);
}

void delete_offscreen_picture(const FramebufferCalls& gl, OffscreenPicture* picture) {
    if (picture->framebuffer == 0 && picture->resolved_framebuffer == 0) return;
    // Names never made are 0, which GL's deletes pass over.
    gl.bind_framebuffer(GL_FRAMEBUFFER, 0);
    gl.delete_renderbuffers(2, picture->renderbuffers);
    gl.delete_framebuffers(1, &picture->framebuffer);
    gl.delete_renderbuffers(1, &picture->resolved_colour);
    gl.delete_framebuffers(1, &picture->resolved_framebuffer);
    *picture = OffscreenPicture{};
}

void resize_offscreen_picture(const FramebufferCalls& gl, int width, int height, OffscreenPicture* picture) {
    if (width == picture->width && height == picture->height) return;
    OffscreenPicture resized;
    std::string error;
    if (width > 0 && height > 0 && offscreen_size_refusal(width, height, picture->samples, true).empty() &&
        make_offscreen_picture(gl, width, height, picture->samples, &resized, &error)) {
        delete_offscreen_picture(gl, picture);
        *picture = resized;
    } else {
        delete_offscreen_picture(gl, &resized);
        glViewport(0, 0, picture->width, picture->height);
    }
    gl.bind_framebuffer(GL_FRAMEBUFFER, picture->framebuffer);
    if (picture->samples > 1) gl.bind_framebuffer(GL_READ_FRAMEBUFFER, picture->resolved_framebuffer);
}

void present_offscreen_picture(const FramebufferCalls& gl, const OffscreenPicture& picture, int drawable_width,
                               int drawable_height, void (*swap)()) {
    const Letterbox box = letterbox(drawable_width, drawable_height, picture.width, picture.height);
    resolve_offscreen_picture(gl, picture);
    glPushAttrib(GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT);
    gl.bind_framebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    if (box.width > 0 && box.height > 0) {
        gl.blit_framebuffer(0, 0, picture.width, picture.height, box.x, box.y, box.x + box.width,
                            box.y + box.height, GL_COLOR_BUFFER_BIT, GL_LINEAR);
    }
    swap();
    gl.bind_framebuffer(GL_DRAW_FRAMEBUFFER, picture.framebuffer);
    glPopAttrib();
}

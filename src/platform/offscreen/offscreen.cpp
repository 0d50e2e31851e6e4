// The off-screen picture shared by the backends.
#include "platform/offscreen/offscreen.h"


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
           look_up(lookup, &gl->blit_framebuffer, "glBlitFramebuffer");
}

bool make_offscreen_picture(const FramebufferCalls& gl, int width, int height, OffscreenPicture* picture,
                            std::string* error) {
    picture->width = width;
    picture->height = height;
    gl.gen_framebuffers(1, &picture->framebuffer);
    gl.gen_renderbuffers(2, picture->renderbuffers);
    gl.bind_framebuffer(GL_FRAMEBUFFER, picture->framebuffer);
    gl.bind_renderbuffer(GL_RENDERBUFFER, picture->renderbuffers[0]);
    gl.renderbuffer_storage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    gl.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, picture->renderbuffers[0]);
    bool complete = false;
    for (GLenum depth_format : {GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT16}) {
        gl.bind_renderbuffer(GL_RENDERBUFFER, picture->renderbuffers[1]);
        gl.renderbuffer_storage(GL_RENDERBUFFER, depth_format, width, height);
        gl.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, picture->renderbuffers[1]);
        complete = gl.check_framebuffer_status(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        if (complete) break;
    }
    gl.bind_renderbuffer(GL_RENDERBUFFER, 0);
    if (!complete) {
        *error = "the driver cannot complete an off-screen framebuffer of " + std::to_string(width) + " x " +
                 std::to_string(height);
        return false;
    }
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glViewport(0, 0, width, height);
    return true;
}

void delete_offscreen_picture(const FramebufferCalls& gl, OffscreenPicture* picture) {
    if (picture->framebuffer == 0) return;
    gl.bind_framebuffer(GL_FRAMEBUFFER, 0);
    gl.delete_renderbuffers(2, picture->renderbuffers);
    gl.delete_framebuffers(1, &picture->framebuffer);
    *picture = OffscreenPicture{};
}

Letterbox letterbox(int drawable_width, int drawable_height, int picture_width, int picture_height) {
    if (drawable_width <= 0 || drawable_height <= 0 || picture_width <= 0 || picture_height <= 0) return {};
    const int64_t w = drawable_width, h = drawable_height;
    Letterbox box;
    if (w * picture_height >= h * picture_width) {
        // As wide or wider than the picture: full height, bars left and right.
        box.height = drawable_height;
        box.width = static_cast<int>(h * picture_width / picture_height);
    } else {
        box.width = drawable_width;
        box.height = static_cast<int>(w * picture_height / picture_width);
    }
    box.x = (drawable_width - box.width) / 2;
    box.y = (drawable_height - box.height) / 2;
    return box;
}

void present_offscreen_picture(const FramebufferCalls& gl, const OffscreenPicture& picture, int drawable_width,
                               int drawable_height, void (*swap)()) {
    const Letterbox box = letterbox(drawable_width, drawable_height, picture.width, picture.height);
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

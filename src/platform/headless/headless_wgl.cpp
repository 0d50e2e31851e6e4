// The headless backend's context on Windows: an off-screen picture drawn in
// a hidden window of its own, with the Win32 backend's WGL window.
#include <GL/gl.h>

#include "platform/headless/headless.h"
#include "platform/offscreen/offscreen.h"
#include "platform/win32/win32.h"

namespace {

LRESULT CALLBACK hidden_window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcA(window, message, wparam, lparam);
}

// The headless backend's hidden window and its picture.
struct HiddenContext {
    GlWindow gl;
    FramebufferCalls calls;
    OffscreenPicture picture;
};

HiddenContext hidden;

}  // namespace

bool headless_context_open(int width, int height, int samples, std::string* error, bool* refused_size) {
    hidden = HiddenContext{};
    *refused_size = false;
    if (!register_window_class(hidden_window_procedure, error)) return false;
    // Nothing is drawn into the window itself, so it stays small whatever the picture's size.
    const RECT outer{0, 0, 64, 64};
    if (!create_gl_window("zelvo", WS_POPUP, 0, outer, &hidden.gl, error)) return false;
    if (!look_up_framebuffer_calls(wgl_lookup, &hidden.calls)) {
        *error = "the OpenGL driver offers no framebuffer objects to draw off screen with";
        headless_context_close();
        return false;
    }
    if (!make_checked_offscreen_picture(hidden.calls, width, height, samples, &hidden.picture, error, refused_size)) {
        headless_context_close();
        return false;
    }
    return true;
}

void headless_context_close() {
    if (hidden.picture.framebuffer != 0) delete_offscreen_picture(hidden.calls, &hidden.picture);
    destroy_gl_window(&hidden.gl);
    hidden = HiddenContext{};
}

// The hidden window is never shown, so nothing but a flush makes the driver
// execute the frame.
void headless_context_swap() { glFlush(); }

void headless_context_resolve() { resolve_offscreen_picture(hidden.calls, hidden.picture); }

void* headless_context_lookup(const char* name) { return wgl_lookup(name); }

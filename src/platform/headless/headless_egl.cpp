// The headless backend's context on Linux: EGL on Mesa's surfaceless platform
// (llvmpipe where there is no GPU), drawing into a pbuffer, or into a
// framebuffer object of that size where the driver offers no pbuffer.
#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/headless/headless.h"
#include "platform/offscreen/offscreen.h"

namespace {

struct EglContext {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface surface = EGL_NO_SURFACE;  // stays EGL_NO_SURFACE with the framebuffer object
    FramebufferCalls gl;
    OffscreenPicture picture;  // the framebuffer object, where one stands in for the pbuffer
    int width = 0;
    int height = 0;
    int samples = 1;
    bool refused_size = false;
};

EglContext egl;

std::string egl_failure(const char* what) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(eglGetError()));
    return std::string("EGL: ") + what + " failed (" + code + ")";
}

EGLDisplay open_surfaceless_display() {
    auto get_display_ext =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (get_display_ext) return get_display_ext(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    return eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
}

// RGBA8 with the deepest depth buffer up to 24 bits that the driver offers.
bool choose_config(EGLint surface_type, EGLConfig* config) {
    for (EGLint depth : {24, 16}) {
        const EGLint attributes[] = {EGL_SURFACE_TYPE, surface_type, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                     EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8,
                                     EGL_DEPTH_SIZE, depth, EGL_NONE};
        EGLint count = 0;
        if (eglChooseConfig(egl.display, attributes, config, 1, &count) && count > 0) return true;
    }
    return false;
}

EGLContext create_compatibility_context(EGLConfig config) {
    // Immediate mode needs the compatibility profile; with no version asked for,
    // Mesa gives its highest compatibility version.
    const EGLint compatibility[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                    EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    EGLContext context = eglCreateContext(egl.display, config, EGL_NO_CONTEXT, compatibility);
    if (context == EGL_NO_CONTEXT) context = eglCreateContext(egl.display, config, EGL_NO_CONTEXT, nullptr);
    return context;
}


void* egl_lookup(const char* name) { return reinterpret_cast<void*>(eglGetProcAddress(name)); }

// A framebuffer object stands in for the pbuffer's one colour buffer, bound
// as the target of all drawing and reading.
bool bind_framebuffer_object(std::string* error) {
    if (!look_up_framebuffer_calls(egl_lookup, &egl.gl)) {
        *error = "the GL driver offers neither pbuffers nor framebuffer objects";
        return false;
    }
    return make_offscreen_picture(egl.gl, egl.width, egl.height, egl.samples, &egl.picture, error);
}

// A test can set ZELVO_HEADLESS_FBO=1 to take the framebuffer-object path
// even where pbuffers are offered; a multisampled picture always takes it.
bool pbuffer_wanted() {
    const char* force = std::getenv("ZELVO_HEADLESS_FBO");
    return egl.samples <= 1 && !(force && std::strcmp(force, "1") == 0);
}

// With the context current and no surface yet: false with *error set when the
// GL's limits refuse the picture, before anything of that size is made.
bool size_allowed(bool with_pbuffer, std::string* error) {
    if (!eglMakeCurrent(egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, egl.context)) return true;
    const std::string refusal = offscreen_size_refusal(egl.width, egl.height, egl.samples, !with_pbuffer);
    if (refusal.empty()) return true;
    *error = "a picture of " + std::to_string(egl.width) + " x " + std::to_string(egl.height) +
             (egl.samples > 1 ? " at " + std::to_string(egl.samples) + " samples a pixel" : "") + " is too large: " +
             refusal;
    egl.refused_size = true;
    return false;
}

bool make_context(std::string* error) {
    egl.display = open_surfaceless_display();
    if (egl.display == EGL_NO_DISPLAY) {
        *error = egl_failure("opening Mesa's surfaceless display");
        return false;
    }
    if (!eglInitialize(egl.display, nullptr, nullptr)) {
        *error = egl_failure("initialising the surfaceless display");
        return false;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        *error = egl_failure("binding desktop OpenGL");
        return false;
    }
    EGLConfig config;
    bool with_pbuffer = pbuffer_wanted() && choose_config(EGL_PBUFFER_BIT, &config);
    if (!with_pbuffer && !choose_config(0, &config)) {
        *error = "EGL: no RGBA8 configuration with a depth buffer for desktop OpenGL";
        return false;
    }
    egl.context = create_compatibility_context(config);
    if (egl.context == EGL_NO_CONTEXT) {
        *error = egl_failure("creating an OpenGL compatibility context");
        return false;
    }
    if (!size_allowed(with_pbuffer, error)) return false;
    if (with_pbuffer) {
        const EGLint size[] = {EGL_WIDTH, egl.width, EGL_HEIGHT, egl.height, EGL_NONE};
        egl.surface = eglCreatePbufferSurface(egl.display, config, size);
        if (egl.surface == EGL_NO_SURFACE) {
            *error = egl_failure("creating the pbuffer");
            return false;
        }
    }
    if (!eglMakeCurrent(egl.display, egl.surface, egl.surface, egl.context)) {
        *error = egl_failure("making the context current");
        return false;
    }
    return with_pbuffer || bind_framebuffer_object(error);
}

}  // namespace

bool headless_context_open(int width, int height, int samples, std::string* error, bool* refused_size) {
    egl = EglContext{};
    egl.width = width;
    egl.height = height;
    egl.samples = samples;
    const bool made = make_context(error);
    *refused_size = egl.refused_size;
    return made;
}

void headless_context_resolve() { resolve_offscreen_picture(egl.gl, egl.picture); }

void headless_context_close() {
    if (egl.display == EGL_NO_DISPLAY) return;
    eglMakeCurrent(egl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (egl.surface != EGL_NO_SURFACE) eglDestroySurface(egl.display, egl.surface);
    if (egl.context != EGL_NO_CONTEXT) eglDestroyContext(egl.display, egl.context);
    // The display stays initialised: terminating it unloads Mesa's driver, and
    // the few bytes the driver keeps to the end could then no longer be named
    // (or suppressed) by LeakSanitizer. Opening again finds it ready.
    egl = EglContext{};
}

void headless_context_swap() {
    // A pbuffer has no back buffer to swap, so nothing else makes llvmpipe
    // execute the frame: unflushed frames pile up in memory (about 85 KB each)
    // until a read-back comes.
    glFlush();
    if (egl.surface != EGL_NO_SURFACE) eglSwapBuffers(egl.display, egl.surface);
}

void* headless_context_lookup(const char* name) { return egl_lookup(name); }

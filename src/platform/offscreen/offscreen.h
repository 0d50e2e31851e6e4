// Inside the platform layer: the off-screen picture the backends draw into
// where they cannot draw straight to a surface (the headless backend without
// pbuffers or on Windows, the SDL and Win32 scaled presentations), and the
// letterbox rule that places it in a window. Not for use outside src/platform
// (tests excepted).
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <string>

// The framebuffer-object entry points, looked up at run time.
struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC gen_framebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC delete_framebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bind_framebuffer = nullptr;
    PFNGLGENRENDERBUFFERSPROC gen_renderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC delete_renderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bind_renderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbuffer_storage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebuffer_renderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC check_framebuffer_status = nullptr;
    PFNGLBLITFRAMEBUFFERPROC blit_framebuffer = nullptr;
};

// The backend's way of finding a GL function by name (eglGetProcAddress, SDL_GL_GetProcAddress).
using GlLookup = void* (*)(const char* name);

// Looks every call up; false when the driver lacks one.
bool look_up_framebuffer_calls(GlLookup lookup, FramebufferCalls* gl);

struct OffscreenPicture {
    GLuint framebuffer = 0;
    GLuint renderbuffers[2] = {0, 0};  // colour, depth
    int width = 0;
    int height = 0;
};

// Makes a width x height picture of RGBA8 with a 24-bit depth buffer (16 where
// the driver refuses 24), leaves it bound for drawing and reading and sets the
// viewport to it: a context's first viewport is its surface's, or empty without
// one. False with *error set when the driver cannot complete it.
bool make_offscreen_picture(const FramebufferCalls& gl, int width, int height, OffscreenPicture* picture,
                            std::string* error);

// Unbinds and deletes the picture; safe on one never made.
void delete_offscreen_picture(const FramebufferCalls& gl, OffscreenPicture* picture);

// Scales the picture into the window's back buffer between black bars, calls
// swap to present it, and leaves the show's state as it was: its framebuffer
// bound, its clear colour, colour mask and scissor test untouched.
void present_offscreen_picture(const FramebufferCalls& gl, const OffscreenPicture& picture, int drawable_width,
                               int drawable_height, void (*swap)());

// Where a scaled picture goes in the drawable, in GL's window coordinates
// (y from the bottom).
struct Letterbox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The largest rectangle of the picture's shape that fits a drawable of the
// given size, centred; the odd pixel of an uneven bar goes to the right and the
// top. Empty when the drawable or the picture is.
Letterbox letterbox(int drawable_width, int drawable_height, int picture_width, int picture_height);

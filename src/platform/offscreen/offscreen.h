// Inside the platform layer: the off-screen picture the backends draw into
// where they cannot draw straight to a surface (the headless backend without
// pbuffers, multisampled or on Windows; the SDL and Win32 scaled
// presentations), the limits it must keep and its present into a window
// between bars. Not for use outside src/platform (tests excepted).
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <string>

#include "platform/platform.h"

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
    PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC renderbuffer_storage_multisample = nullptr;
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
    int samples = 1;
    // A multisampled picture's single-sampled copy, which reading takes.
    GLuint resolved_framebuffer = 0;
    GLuint resolved_colour = 0;
};

// Empty when the current context's limits allow a width x height picture of
// that many samples a pixel, else what refuses it: "the GL's largest viewport
// is 16384 x 16384" and the like, for the viewport, the renderbuffers (when
// renderbuffers is true) and the sample count.
std::string offscreen_size_refusal(int width, int height, int samples, bool renderbuffers);

// Shrinks width x height, keeping its shape, until the current context's
// largest viewport and renderbuffer hold it: a window larger than the GL
// draws gets a picture at the limit, scaled up into it.
void fit_offscreen_limits(int* width, int* height);

// Makes a width x height picture of RGBA8 with a 24-bit depth buffer (16 where
// the driver refuses 24), multisampled when samples is above 1, leaves it
// bound for drawing and reading (a multisampled one's copy for reading) and
// sets the viewport to it: a context's first viewport is its surface's, or
// empty without one. False with *error set when the driver cannot complete it.
bool make_offscreen_picture(const FramebufferCalls& gl, int width, int height, int samples,
                            OffscreenPicture* picture, std::string* error);

// make_offscreen_picture after offscreen_size_refusal: false with *error set
// ("a picture of 20000 x 15000 is too large: ...") and *refused set when the
// GL's limits refuse the size or the samples.
bool make_checked_offscreen_picture(const FramebufferCalls& gl, int width, int height, int samples,
                                    OffscreenPicture* picture, std::string* error, bool* refused);

// A multisampled picture: resolves what has been drawn into its copy and
// leaves the copy bound for reading, the picture for drawing. Nothing otherwise.
void resolve_offscreen_picture(const FramebufferCalls& gl, const OffscreenPicture& picture);

// Makes the picture anew at width x height (its samples kept) when its size
// differs, bound as make_offscreen_picture leaves it; where the new size is
// empty, refused by the GL's limits or cannot be made, the old one stays bound.
// Called between frames, when a window's picture follows its drawable.
void resize_offscreen_picture(const FramebufferCalls& gl, int width, int height, OffscreenPicture* picture);

// Unbinds and deletes the picture; safe on one never made.
void delete_offscreen_picture(const FramebufferCalls& gl, OffscreenPicture* picture);

// Scales the picture (resolved first) into the window's back buffer between black bars, calls
// swap to present it, and leaves the show's state as it was: its framebuffer
// bound, its clear colour, colour mask and scissor test untouched.
void present_offscreen_picture(const FramebufferCalls& gl, const OffscreenPicture& picture, int drawable_width,
                               int drawable_height, void (*swap)());


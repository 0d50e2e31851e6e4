// The web backend's OpenGL 1.1 (web_gl.cpp): the fixed-function calls the show
// makes, drawn through WebGL 1 with shaders of our own. Not for use outside
// src/platform.
#pragma once

#include <cstddef>

// Compiles the shaders and makes the buffers; called once the canvas's context exists.
void web_gl_start(bool lights_as_directions);

// The bytes at data will not change again: arrays drawn from them come from a
// buffer of their own, filled once, instead of being copied at every draw.
void web_gl_keep(const void* data, size_t bytes);
// Forgets the bytes kept at data (their storage is about to change or go).
void web_gl_forget(const void* data);

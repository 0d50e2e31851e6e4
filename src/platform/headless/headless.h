// Inside the platform layer: what the headless backend's files share. Its
// context is per system (headless_egl.cpp on Linux: EGL on Mesa's surfaceless
// platform; headless_wgl.cpp on Windows: a hidden window's WGL context), both
// drawing into a width x height RGBA8 picture with a depth buffer; the rest
// (headless.cpp: the virtual clock, the capture, the read-back) is the same on
// both. Not for use outside src/platform (tests excepted).
#pragma once

#include <string>

// Makes a current GL context whose drawing and reading go to a width x height
// RGBA8 picture with a depth buffer, multisampled when samples is above 1;
// false with *error set when it cannot, *refused_size too when the GL's
// limits refuse the size or the sample count.
bool headless_context_open(int width, int height, int samples, std::string* error, bool* refused_size);
// Resolves a multisampled picture so reading takes what has been drawn; nothing otherwise.
void headless_context_resolve();
// Releases the context; safe when none is open.
void headless_context_close();
// Ends a presented frame so the driver executes it.
void headless_context_swap();
// A GL entry point of the current context by name, or nullptr.
void* headless_context_lookup(const char* name);

// The capture's progress line: "capture:  45% | 4321 of 9643 frames | 58.2 fps | 1:31 left"
// (without the rate and time left before the first frame is written).
std::string capture_progress_line(int written, int expected, double rate);

// For tests of the capture, through the chosen backend's table: the number of
// frames the frame sink has written so far, and how many the capture range
// holds at the chosen fps (music times from_ms, from_ms + 1000 / fps, ... up
// to to_ms); both 0 without capture.
int platform_frames_written();
int platform_frames_expected();

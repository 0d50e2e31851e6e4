// Headless GL for tests: one 800 x 600 pbuffer context per test process,
// through the platform layer's headless backend, with helpers to read back
// what a viewer would see.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r, g, b;
};

// Opens the headless context once per process (later calls return the first
// result), with the working directory set to the build folder so data/ is found.
// with_data also runs init_gl_state and loads the scene textures and loading picture.
bool gl_open(bool with_data = true);

// The loading picture's texture, loaded by gl_open(true); 0 before.
uint16_t gl_loading_texture();

// Puts the frame-start state back as every frame starts from: viewport the
// layout's picture (800 x 600 but in a sized frame),
// colour and depth cleared, identity model-view, perspective 90, lights 0-2 and
// lighting off, texturing and depth test on, blending off.
void gl_reset_frame();

// The colour at (x, y) of the back buffer, y counted from the bottom.
Rgb gl_pixel(int x, int y);

// The window depth at (x, y), y from the bottom.
float gl_depth(int x, int y);

// The whole back buffer as 800 x 600 RGB, bottom row first.
std::vector<uint8_t> gl_read_frame();

// The frame the timeline draws at music time t, from the frame-start state,
// read back as 800 x 600 RGB, bottom row first.
std::vector<uint8_t> gl_timeline_frame(int32_t t);

// The colour at (x, y) of a frame read back, y counted from the bottom.
Rgb frame_pixel(const std::vector<uint8_t>& frame, int x, int y);

// Mean brightness (r + g + b) / 3, 0 ... 255, over [x0, x1) x [y0, y1) of a frame.
double frame_mean(const std::vector<uint8_t>& frame, int x0 = 0, int y0 = 0, int x1 = 800, int y1 = 600);

// Share of the pixels of [x0, x1) x [y0, y1) whose brightness (r + g + b) / 3 exceeds level.
double frame_share_above(const std::vector<uint8_t>& frame, int level, int x0 = 0, int y0 = 0, int x1 = 800,
                         int y1 = 600);

// Draws into an off-screen frame of width x height at samples a pixel, laid
// out for that size by the render kit, until gl_end_sized_frame; false when
// the driver cannot make it.
bool gl_begin_sized_frame(int width, int height, int samples = 1);
// The sized frame as RGB, bottom row first, resolved first when multisampled.
std::vector<uint8_t> gl_read_sized_frame();
// Back to the 800 x 600 context and its layout.
void gl_end_sized_frame();

// How deep the model-view matrix stack stands (1 when every push was popped).
int gl_modelview_depth();

// Writes the back buffer as a PNG, top row first, for a person to look at.
bool gl_save_png(const std::string& path);

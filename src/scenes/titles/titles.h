// Post effects and title cards: the frame capture with its zoom blur, the
// colour-inversion overlay, the opening title cards and the closing letters.
//
// The capture draws a scene into the lower-left 512 x 512 of the back buffer,
// copies it into the capture texture and adds it back over the whole screen in
// the passes of a mode ('h' 14 passes, 'g' 9, 'f' 50). Keeps nothing between frames.
#pragma once

#include <cstdint>

// The capture texture table (one entry), filled by init_gl_state.
extern uint32_t capture_textures[1];

// Perspective fov, push the model-view matrix, viewport 512 x 512. The scene follows.
void begin_capture(float fov);
// Copies the capture, clears, adds the passes of mode, restores the 800 x 600
// viewport and the perspective with fov. Pops the matrix begin_capture pushed.
void compose_capture(int slot, char mode, float fov);
// Replaces every pixel by its complement, then sets the perspective with fov.
void invert_screen(float fov);

// The opening title card for music time t, flashing in beat phase 165 ... 665.
void draw_opening_titles(int phase, int t);
// The closing letters at scene-local time a, inside the capture with mode 'g'.
void draw_closing_titles(int a);

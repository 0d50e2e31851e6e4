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

// ---- The computations behind the drawing, pure so they can be checked alone ----

// One zoom-blur mode: pass i shows the capture with inset i * inset_step at pass_alpha.
struct CaptureMode {
    char code;
    int passes;
    float inset_step;
    float pass_alpha;
};

// The mode for a code ('h', 'g', 'f'), or nullptr for any other character.
const CaptureMode* find_capture_mode(char code);

// Texture coordinates paired with the full-screen corners (0, 0), (0, 600),
// (800, 600), (800, 0) for a pass with inset d.
void capture_pass_texcoords(float d, float texcoords[4][2]);

// The scene texture slot of the title card shown at music time t, or -1 from 21332 on.
int title_card_slot(int t);

// Whether the card is visible at this beat phase (165 ... 665 inclusive).
bool title_phase_visible(int phase);

// Whether the card shakes at this phase, drawing two random values (165 ... 499).
bool title_phase_jitters(int phase);

// A jitter offset from one random value: (value % 70) * (500 - phase) / 500,
// truncated toward zero; 0 ... 46 while the card shakes.
int title_jitter(int rand_value, int phase);

// The closing letters' motion at scene-local time a.
struct ClosingMotion {
    float sway_x;  // sideways swing of the whole group
    float depth_z; // distance the group has receded (negative z)
    float drift;   // how far each letter has moved out of its starting place
    float alpha;   // brightness; at or below 0 from 6000 ms on
};

ClosingMotion closing_motion(int a);

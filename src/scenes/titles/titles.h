// Title cards: the opening cards that flash on the beat through the render
// kit's zoom blur (mode 'h'), and the closing letters (mode 'g'). Keeps
// nothing between frames apart from the demo's shared rand sequence.
#pragma once

#include <cstdint>

#include "render/render.h"
#include "resources/resources.h"

// The opening title card for music time t, flashing in beat phase 165 ... 665.
void draw_opening_titles(int phase, int t);
// The closing letters at scene-local time a; the timeline wraps them in the capture with mode 'g'.
void draw_closing_titles(int a);

// ---- The computations behind the drawing, pure so they can be checked alone ----

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

// ---- The scene ----

// A corner of a flat picture in its own z = 0 plane: texture coordinate, then position.
struct FlatCorner {
    float s, t, x, y;
};
// Adds the picture's face to the open batch, its corners moved by (dx, dy), white in every corner.
void add_flat_picture(DrawList& list, const FlatCorner corners[4], float dx, float dy);

struct TitlesScene {
    DrawList card{};     // the opening card, refilled every frame
    DrawList letters{};  // the three closing letters; colours and moves refilled every frame
};
extern TitlesScene titles_scene;

// Builds the letters' list. Called once by start-up after the textures load (tests call it too).
void init_titles();

// The card as one additive batch with the texture (none keeps the bound one),
// no normals, white; the corners lifted by the jitter; no face when not visible.
void fill_title_card(DrawList& list, const TextureId* texture, bool visible, int jitter_x, int jitter_y);

// The letters' list: F, I and N as parts 0 ... 2, additive, without normals.
void build_closing_letters(DrawList& list);
// The letters' alpha as their colour and the chain that spreads, sways and recedes them.
void place_closing_letters(DrawList& list, const ClosingMotion& m);

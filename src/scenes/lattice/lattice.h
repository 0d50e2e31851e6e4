// Cube lattice scene: 5832 translucent, randomly coloured cubes on an
// 18 x 18 x 18 lattice round the eye, turning about the diagonal and drifting,
// switched on the beat between a zoom blur and a colour negative.
//
// The beat phase, the lattice coordinates, the motion (as a chain of moves)
// and the cube colours are plain functions over the tables in lattice.cpp; the
// cubes stand in one draw list built once (lattice_scene), whose colours are
// refilled every frame, and the frame draws that list. Carries nothing from
// frame to frame but the position in the shared demo_rand sequence, which
// every cube advances by three. Needs the capture texture made by start-up.
#pragma once

#include <array>

#include "render/render.h"
#include "resources/resources.h"

// ---- The beat ----

constexpr int lattice_beat_ms = 1333;

// Where music time a stands in its beat (0 ... 1332 for a >= 0).
int lattice_beat_phase(int a);
// The 501 ms in the middle of a beat shown through the zoom blur; the rest of
// the beat is the colour negative.
bool lattice_phase_blurred(int phase);

// ---- The lattice ----

constexpr int lattice_coordinate_count = 18;
// The cube centres along each axis, the same for x, y and z, ascending.
extern const std::array<int, lattice_coordinate_count> lattice_coordinates;

constexpr float lattice_cube_edge = 3.5f;
constexpr float lattice_cube_alpha = 0.03f;

// The motion at music time a: a drift on three sines, then a turn about
// (1, 1, 1). Written into moves[0] (translation) and moves[1] (rotation).
void lattice_motion_moves(int a, Move moves[2]);

struct CubeColour {
    float r, g, b, a;
};

// The next cube's colour: three demo_rand draws, blue first, then green, then red.
CubeColour next_cube_colour();

struct LatticeScene {
    DrawList cubes;  // every cube's faces at its place; the colours refilled every frame
};
extern LatticeScene lattice_scene;

// The cubes' list: one additive, untextured batch, six faces a cube, with a colour per corner.
void build_lattice_cubes(DrawList& list);
// Gives every cube of the list, in order, the colour next_cube_colour draws.
void colour_lattice_cubes(DrawList& list);

// Builds the cubes' list. Called once by start-up (tests call it too).
void init_lattice();

// ---- Drawing ----

// One frame at music time t (the music time itself, not a scene-local time).
void draw_lattice(int t);
// Every cube of the lattice, coloured afresh, additive, without depth test or
// texturing; turns the depth test and texturing back on and blending off.
void draw_cube_lattice();

// Cube lattice scene: 5832 translucent, randomly coloured cubes on an
// 18 x 18 x 18 lattice round the eye, turning about the diagonal and drifting,
// switched on the beat between a zoom blur and a colour negative.
//
// The beat phase, the lattice coordinates, the motion (as a chain of moves),
// the cube colours and the box faces are plain functions over the tables in
// lattice.cpp; the draw functions send exactly that data. Keeps no state of
// its own: the only thing carried from frame to frame is the position in the
// shared demo_rand sequence, which every cube advances by three. Needs the
// capture texture made by start-up.
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

// The six faces of an axis-aligned box of full extents w, h, d centred on the
// origin: +z, -z, -x, +x, +y, -y, each counter-clockwise seen from outside.
void lattice_box_faces(float w, float h, float d, Quad faces[6]);

// ---- Drawing ----

// One frame at music time t (the music time itself, not a scene-local time).
void cube_lattice_scene(int t);
// Every cube of the lattice, additive, without depth test or texturing; turns
// the depth test and texturing back on and blending off before it returns.
void draw_cube_lattice();
// An untextured box of full extents w, h, d on the current origin, one GL_QUADS batch.
void draw_box(float w, float h, float d);

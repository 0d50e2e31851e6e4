// City scene: the town of block buildings, streets and street lamps around a
// crossing, and the camera flight over it (two visits of one 21.3 s flight).
//
// The town is one quadrant (a corner block with its half of both streets, its
// kerbs, ten lamps and eleven buildings) drawn four times, a quarter turn apart
// about the crossing centre, plus one sign board. Every table of the layout is
// constant data here; the placements are chains of moves (render kit) that the
// drawing replays and the tests replay on the CPU, and the faces are quads as
// data, collected once into one draw list that the frame draws and the tests
// read. Its state (the camera path's held eye and centre) and its built data
// live in city_scene. Needs the city textures loaded before init_city.
#pragma once

#include <cstdint>
#include <vector>

#include "render/render.h"
#include "resources/resources.h"

// ---- The flight ----

constexpr int city_camera_segment_count = 4;
extern const uint32_t city_camera_windows[city_camera_segment_count][2];
extern const Vec3 city_eye_points[city_camera_segment_count][4];
extern const Vec3 city_centre_points[city_camera_segment_count][4];


// ---- The quadrant layout (in the quadrant's own frame) ----

// One row of five lamps: offset, then a turn about +y, then steps of k along
// the lamp's own z axis (step_sign * k for k = 1 ... 5), accumulating.
struct LampRow {
    Vec3 offset;
    float turn_degrees;
    float step_sign;
};

constexpr int city_lamp_row_count = 2;
constexpr int city_lamps_per_row = 5;
extern const LampRow city_lamp_rows[city_lamp_row_count];

// The parts a quadrant's chain of moves places.
enum CityPart { city_part_lamp, city_part_ground, city_part_building };

// Appends a row's moves: push, its offset and turn, then a step and a lamp
// (part city_part_lamp) for each of its five lamps, pop.
void append_lamp_row_moves(const LampRow& row, std::vector<Move>& moves);

// Where the row's lamps stand, in the quadrant frame (the row's moves replayed).
void lamp_row_positions(const LampRow& row, Vec3 positions[city_lamps_per_row]);
// The quadrant-frame direction of the row's lamp +x axis (the way the arm reaches).
Vec3 lamp_row_arm_direction(const LampRow& row);

extern const TexturedQuad city_street_quads[2];  // road texture
extern const TexturedQuad city_crossing_quad;    // crossing texture
extern const Quad city_kerb_quads[4];            // untextured

struct CityBuilding {
    TextureSlot texture;
    Vec3 step;  // translation from the previous building's centre
    int width, height, depth;
};

constexpr int city_building_count = 11;
extern const CityBuilding city_buildings[city_building_count];

// Appends the buildings' moves: push, then for building i its step and part
// city_part_building + i, pop.
void append_building_moves(std::vector<Move>& moves);

// Each building's centre: the building moves replayed.
void city_building_centres(Vec3 centres[city_building_count]);

// One quadrant's whole chain: both lamp rows, the ground, the buildings.
std::vector<Move> city_quadrant_moves();

// ---- Buildings ----

// The six textured faces (front, back, left, right, top, bottom) of a building
// centred on the origin, the facade repeating once per unit, upright.
void building_faces(int width, int height, int depth, TexturedQuad faces[6]);
// The plain roof 0.01 above the top face.
Quad building_roof(int width, int height, int depth);

// ---- Street lamps (in the lamp's own frame, standing on y = 0) ----

// Side wall quads of a tube of two n-point rings (no end caps).
std::vector<Quad> tube_side_quads(const Shape& tube, int n);
// Outer wall, inner wall and bottom rim quads of a four-ring shell.
std::vector<Quad> shade_shell_quads(const Shape& shell, int n);
// The quads of a torus arc of radius R around +y, tube radius r, from angle
// start to end (whole degrees) in `steps` steps, the tube in `segments` segments.
std::vector<Quad> torus_arc_quads(float R, float r, int start, int end, int segments, int steps);

// The lamp's turned shapes, built by build_lamp_shapes (init_city).
extern Shape lamp_base_tube;
extern Shape lamp_collar_tube;
extern Shape lamp_pole_tube;
extern Shape lamp_shade_shell;
void build_lamp_shapes();

// The lamp as drawn: its parts' quads in their own frames and the chain of
// moves that places them (part k = parts[k]), built from the lamp shapes.
struct StreetLamp {
    std::vector<Move> moves;
    std::vector<std::vector<Quad>> parts;
};
StreetLamp build_street_lamp();
// The lamp init_city built.
const StreetLamp& street_lamp();

// Every quad of one street lamp, placed in the lamp's frame as drawn.
std::vector<Quad> street_lamp_quads();

// ---- The scene ----

struct CityScene {
    CameraPath camera;  // the flight; holds the last eye and centre
    StreetLamp lamp{};  // built from the lamp shapes
    DrawList model{};   // the sign board and the four quarter-turned quadrants
};
extern CityScene city_scene;

// Builds the lamp shapes, the lamp and the model, and resets the flight. Called
// once by start-up after the textures load (tests call it too).
void init_city();
// Puts the flight back to its start.
void reset_city();

// The model's list: the sign board, then the quadrant's chain four times, a
// quarter turn about y between them, every lamp standing as its own chain.
void build_city_model(DrawList& list);

// One frame of the city at scene-local time a (0 ... 21301): lighting on, the
// camera for a, the model. Called by the timeline after it set lights and projection.
void draw_city(uint32_t a);

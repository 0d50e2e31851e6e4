// Object scene: a closed room papered with one swirl picture, nine mesh
// sculptures hanging in a 3 x 3 grid that rock together about the (1, 1, 1)
// diagonal, four textured balls spiked at top and bottom in the gaps between
// them, and a camera sweeping through the room on two Bezier segments.
//
// The room's faces, the camera path and the placement chains of sculptures and
// balls are data here, collected into one draw list whose moves follow the
// rock each frame; the frame draws that list and the tests read it. The
// rocking follows the absolute music time, not the scene's own time. Its state
// (the camera path's held eye and centre) and its built data live in
// objects_scene. Needs the two sculpture meshes and the swirl and ball
// textures loaded before init_objects; the timeline has applied light preset
// 'o' (three lights at the eye, none enabled).
#pragma once

#include <array>
#include <cstdint>

#include "render/render.h"
#include "resources/resources.h"

// ---- The sweep ----

constexpr int object_camera_segment_count = 2;
extern const uint32_t object_camera_windows[object_camera_segment_count][2];
extern const Vec3 object_eye_points[object_camera_segment_count][4];
extern const Vec3 object_centre_points[object_camera_segment_count][4];

// ---- The room ----

// Floor, ceiling, walls x = -6, x = 6, z = -6, z = 6, each wound so its normal
// points into the room, the swirl stretched once over each.
extern const TexturedQuad object_room_faces[6];

// ---- Sculptures and balls ----

// The angle in degrees every sculpture is turned about (1, 1, 1) at music time t:
// 180 times the whole-degree sine of trunc(0.05 t).
float sculpture_rock_degrees(int32_t t);

// The parts the placement chains place.
enum ObjectPart { object_part_sculpture, object_part_ball, object_part_body, object_part_arm };

// The nine sculptures, row by row from z = -4 (x = -4, 0, 4 in each row): push,
// move to (4j, 0.5, 4i), turn by rock_degrees about (1, 1, 1), a sculpture, pop.
constexpr int sculpture_grid_move_count = 9 * 5;
std::array<Move, sculpture_grid_move_count> sculpture_grid_moves(float rock_degrees);

// The four balls, each a step from the last, inside one pushed matrix.
constexpr int ball_move_count = 10;
extern const Move ball_moves[ball_move_count];

// One sculpture about its own origin: the body once, the arm twice (the second
// copy turned 180 degrees about the mesh's z axis), all stood upright by a
// quarter turn about x that is undone at the end.
constexpr int sculpture_move_count = 8;
extern const Move sculpture_moves[sculpture_move_count];

// The balls' sphere grid, built by init_objects; the pole distance is twice the
// grid's radius, so each cap is a spike.
constexpr float ball_grid_radius = 0.5f;
constexpr uint16_t ball_segments = 24;
constexpr float ball_pole_distance = 1.0f;
extern Shape ball_sphere_grid;

// ---- The scene ----

struct ObjectScene {
    CameraPath camera;  // the sweep; holds the last eye and centre
    DrawList room{};    // the room, one sculpture's body and arm, a ball; moves refilled each frame
};
extern ObjectScene objects_scene;

// Builds the ball grid and the room's list, and resets the sweep. Called once
// by start-up after the meshes and textures load (tests call it too).
void init_objects();
// Puts the sweep back to its start.
void reset_objects();

// The room's parts: the room (swirl, light 3), the body (light 1), the arm
// (light 2), both untextured, and a ball (its texture, light 3).
void build_object_room(DrawList& list);
// Rewrites the list's moves for the rock: the room, the nine sculptures (each
// body once and arm twice), the four balls.
void place_object_room(DrawList& list, float rock_degrees);

// One frame of the room at scene-local time a (cast to unsigned) and music time
// t (the rock): lighting on, the camera for a, then the list.
void draw_objects(int a, int32_t t);

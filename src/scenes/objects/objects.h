// Object scene: a closed room papered with one swirl picture, nine mesh
// sculptures hanging in a 3 x 3 grid that rock together about the (1, 1, 1)
// diagonal, four textured balls spiked at top and bottom in the gaps between
// them, and a camera sweeping through the room on two Bezier segments.
//
// The room's faces, the camera path and the placement chains of sculptures and
// balls are data here; the drawing replays exactly that data and the tests
// check it. The rocking follows the absolute music time, not the scene's own
// time. Keeps no state apart from the camera path's held eye and centre and the
// ball's quads, built once on first use. Needs the two sculpture meshes, the
// ball sphere grid and the swirl and ball textures built by start-up; the
// timeline has applied light preset 'o' (three lights at the eye, none enabled).
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

// The room's camera path over the tables above; holds the last eye and centre.
extern CameraPath object_camera_path;

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

// The balls' pole distance: twice the grid's radius, so each cap is a spike.
constexpr float ball_pole_distance = 1.0f;
constexpr uint16_t ball_segments = 24;

// ---- Drawing ----

// One frame of the room at scene-local time a (cast to unsigned): lighting on,
// the camera for a, the room lit by light 3 alone, then the sculptures and balls.
void object_scene(int a);
// The nine sculptures (untextured) and the four balls (textured, light 3 alone)
// at the current music time. Leaves texturing on and the matrix as it found it.
void draw_object_grid();
// One sculpture at the current origin: the body lit by light 1 alone, both arms
// by light 2 alone. Leaves the matrix as it found it.
void draw_sculpture();
// A ball at the origin over a sphere grid built with the same segment count,
// textured with whatever is bound. Draws nothing for a count the grid refuses.
void draw_textured_grid_sphere(const Shape& grid, float pole_distance, uint16_t segments);

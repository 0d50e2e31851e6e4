// The object room, its sculptures and balls, and the code that draws one frame of it.
#include "scenes/objects/objects.h"

#include <GL/gl.h>

#include <cmath>

// The sweep: along the z = 6 wall from corner to corner, dipping below the
// sculptures on the way, then down the x = -6 wall and across behind the back
// row; the gaze rises and falls over the middle of the room, then swings
// across toward +x.
const uint32_t object_camera_windows[object_camera_segment_count][2] = {
    {0, 10658},
    {10658, 21317},
};

const Vec3 object_eye_points[object_camera_segment_count][4] = {
    {{5.9f, 2.3f, 5.7f}, {2.9f, 0.6f, 5.7f}, {-0.5f, -3.8f, 5.7f}, {-5.4f, 2.4f, 5.6f}},
    {{-5.4f, 2.4f, 5.6f}, {-5.3f, 2.4f, 0.6f}, {-4.6f, 1.1f, -2.8f}, {5.9f, 1.7f, -4}},
};

const Vec3 object_centre_points[object_camera_segment_count][4] = {
    {{0, 0.8f, 0}, {0, 1.3f, 0}, {0.5f, 4.6f, 0.2f}, {-1.3f, -0.5f, 0.2f}},
    {{-1.3f, -0.5f, 0.2f}, {0.6f, -2.4f, 0.2f}, {9.1f, -2.1f, 1.1f}, {3, 1.1f, -4}},
};

namespace {

constexpr CameraPath start_camera = {object_camera_segment_count, object_camera_windows, object_eye_points,
                                     object_centre_points, {0, 0, 0}, {0, 0, 0}};

// The list's parts, in the order build_object_room adds them.
enum RoomPart { room_part_room, room_part_body, room_part_arm, room_part_ball };

}  // namespace

ObjectScene objects_scene = {.camera = start_camera};
Shape ball_sphere_grid;

// The room x, z in -6 ... 6, y in -3 ... 3.
const TexturedQuad object_room_faces[6] = {
    {{{-6, -3, -6}, {-6, -3, 6}, {6, -3, 6}, {6, -3, -6}}, {{0, 0}, {0, 1}, {1, 1}, {1, 0}}},  // floor
    {{{6, 3, -6}, {6, 3, 6}, {-6, 3, 6}, {-6, 3, -6}}, {{0, 0}, {0, 1}, {1, 1}, {1, 0}}},      // ceiling
    {{{-6, 3, 6}, {-6, -3, 6}, {-6, -3, -6}, {-6, 3, -6}}, {{0, 0}, {0, 1}, {1, 1}, {1, 0}}},  // x = -6
    {{{6, 3, -6}, {6, -3, -6}, {6, -3, 6}, {6, 3, 6}}, {{0, 0}, {0, 1}, {1, 1}, {1, 0}}},      // x = 6
    {{{-6, 3, -6}, {-6, -3, -6}, {6, -3, -6}, {6, 3, -6}}, {{0, 0}, {0, 1}, {1, 1}, {1, 0}}},  // z = -6
    {{{6, 3, 6}, {6, -3, 6}, {-6, -3, 6}, {-6, 3, 6}}, {{0, 0}, {0, 1}, {1, 1}, {1, 0}}},      // z = 6
};

// Steps from the previous ball: the balls stand at (-2, 0.5, -2), (2, 0.5, -2),
// (2, 0.5, 2) and (-2, 0.5, 2), each in the gap between four sculptures.
const Move ball_moves[ball_move_count] = {
    push_move(),
    translate_move(-2, 0.5f, -2), part_move(object_part_ball),
    translate_move(4, 0, 0), part_move(object_part_ball),
    translate_move(0, 0, 4), part_move(object_part_ball),
    translate_move(-4, 0, 0), part_move(object_part_ball),
    pop_move(),
};

// The meshes stand along their z axis; the quarter turn about x stands them up.
const Move sculpture_moves[sculpture_move_count] = {
    rotate_move(90, 1, 0, 0),
    push_move(),
    part_move(object_part_body),
    part_move(object_part_arm),
    rotate_move(180, 0, 0, 1),
    part_move(object_part_arm),
    pop_move(),
    rotate_move(-90, 1, 0, 0),
};

static constexpr float grid_pitch = 4;
static constexpr float hanging_height = 0.5f;
static constexpr float rock_amplitude_degrees = 180;
// 0.05 degrees of sine phase per ms: one full rock every 7200 ms.
static constexpr float rock_phase_per_ms = 0.05f;

float sculpture_rock_degrees(int32_t t) {
    // The phase is formed in double from the single-precision rate, as the
    // rocking was timed; 0.05f lies just above 0.05, so whole multiples never
    // truncate one degree short.
    const double phase = static_cast<double>(t) * static_cast<double>(rock_phase_per_ms);
    return rock_amplitude_degrees * sin_deg(static_cast<int>(std::trunc(phase)));
}

std::array<Move, sculpture_grid_move_count> sculpture_grid_moves(float rock_degrees) {
    std::array<Move, sculpture_grid_move_count> moves;
    int n = 0;
    for (int i = -1; i <= 1; ++i) {
        for (int j = -1; j <= 1; ++j) {
            moves[n++] = push_move();
            moves[n++] = translate_move(grid_pitch * static_cast<float>(j), hanging_height,
                                        grid_pitch * static_cast<float>(i));
            moves[n++] = rotate_move(rock_degrees, 1, 1, 1);
            moves[n++] = part_move(object_part_sculpture);
            moves[n++] = pop_move();
        }
    }
    return moves;
}

void build_object_room(DrawList& list) {
    clear_draw_list(list);
    // The room and the balls are lit by light 3 alone, the body by light 1, both arms by light 2.
    begin_part(list);
    begin_batch(list, &scene_textures[tex_object_swirl], {.light = 3});
    for (const TexturedQuad& face : object_room_faces) add_textured_quad(list, face);
    begin_part(list);
    begin_batch(list, nullptr, {.untextured = true, .light = 1}, Primitive::triangles);
    add_mesh(list, campfer_mesh.vertices.data(), campfer_mesh.faces.data(), campfer_mesh.face_count);
    begin_part(list);
    begin_batch(list, nullptr, {.untextured = true, .light = 2}, Primitive::triangles);
    add_mesh(list, hose_mesh.vertices.data(), hose_mesh.faces.data(), hose_mesh.face_count);
    begin_part(list);
    add_grid_sphere(list, &scene_textures[tex_object_sphere], ball_sphere_grid, ball_pole_distance, ball_segments,
                    {.light = 3});
    place_object_room(list, 0);
    keep_draw_list(list);
}

void place_object_room(DrawList& list, float rock_degrees) {
    std::vector<Move>& moves = list.moves;
    moves.clear();
    moves.push_back(part_move(room_part_room));
    for (const Move& move : sculpture_grid_moves(rock_degrees)) {
        if (move.kind != MoveKind::part) {
            moves.push_back(move);
            continue;
        }
        for (const Move& m : sculpture_moves) {
            if (m.kind != MoveKind::part)
                moves.push_back(m);
            else
                moves.push_back(part_move(m.part == object_part_body ? room_part_body : room_part_arm));
        }
    }
    for (const Move& move : ball_moves) moves.push_back(move.kind == MoveKind::part ? part_move(room_part_ball) : move);
}

void init_objects() {
    ball_sphere_grid = build_sphere_grid(ball_grid_radius, ball_segments);
    build_object_room(objects_scene.room);
    reset_objects();
}

void reset_objects() { objects_scene.camera = start_camera; }

void draw_objects(int a, int32_t t) {
    glEnable(GL_LIGHTING);
    camera_path_look(objects_scene.camera, static_cast<uint32_t>(a));
    place_object_room(objects_scene.room, sculpture_rock_degrees(t));
    draw_list(objects_scene.room);
}

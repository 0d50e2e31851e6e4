// The object room, its sculptures and balls, and the code that draws one frame of it.
#include "scenes/objects/objects.h"

#include <GL/gl.h>

#include <cmath>
#include <vector>

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

CameraPath object_camera_path = {
    object_camera_segment_count, object_camera_windows, object_eye_points, object_centre_points,
    {0, 0, 0}, {0, 0, 0},
};

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

// A mesh's triangles as corners, rebuilt only when the mesh is another one.
struct MeshCorners {
    const Vec3* vertices = nullptr;
    const int32_t* faces = nullptr;
    int32_t face_count = -1;
    FaceArray corners;
};

static const FaceArray& mesh_corners(const Mesh& mesh, MeshCorners& cache) {
    if (cache.vertices != mesh.vertices.data() || cache.faces != mesh.faces.data() ||
        cache.face_count != mesh.face_count) {
        cache.vertices = mesh.vertices.data();
        cache.faces = mesh.faces.data();
        cache.face_count = mesh.face_count;
        mesh_face_array(mesh.vertices.data(), mesh.faces.data(), mesh.face_count, &cache.corners);
    }
    return cache.corners;
}

static void draw_mesh_lit_by(const Mesh& mesh, GLenum light) {
    static MeshCorners body, arm;
    glEnable(light);
    if (reference_drawing)
        draw_mesh(mesh.vertices.data(), mesh.faces.data(), mesh.face_count);
    else
        draw_triangle_array(mesh_corners(mesh, &mesh == &campfer_mesh ? body : arm));
    glDisable(light);
}

void draw_sculpture() {
    for (const Move& move : sculpture_moves) {
        if (move.kind != MoveKind::part)
            apply_move(move);
        else if (move.part == object_part_body)
            draw_mesh_lit_by(campfer_mesh, GL_LIGHT1);
        else
            draw_mesh_lit_by(hose_mesh, GL_LIGHT2);
    }
}

void draw_textured_grid_sphere(const Shape& grid, float pole_distance, uint16_t segments) {
    // The quads depend only on the arguments, which stay the same every frame:
    // they are rebuilt only when a call asks for a different ball.
    static struct {
        const Vec3* grid = nullptr;
        size_t grid_size = 0;
        float pole_distance = 0;
        uint16_t segments = 0;
        std::vector<TexturedQuad> quads;
        FaceArray corners;
    } cache;
    if (cache.grid != grid.data() || cache.grid_size != grid.size() || cache.pole_distance != pole_distance ||
        cache.segments != segments) {
        cache.grid = grid.data();
        cache.grid_size = grid.size();
        cache.pole_distance = pole_distance;
        cache.segments = segments;
        grid_sphere_quads(grid, pole_distance, segments, &cache.quads);
        cache.corners.clear();
        for (const TexturedQuad& q : cache.quads) append_textured_quad(cache.corners, q);
    }
    if (cache.quads.empty()) return;
    if (!reference_drawing) {
        draw_quad_array(cache.corners);
        return;
    }
    glBegin(GL_QUADS);
    for (const TexturedQuad& q : cache.quads) emit_textured(q);
    glEnd();
}

void draw_object_grid() {
    glDisable(GL_TEXTURE_2D);
    for (const Move& move : sculpture_grid_moves(sculpture_rock_degrees(music_time))) {
        if (move.kind == MoveKind::part)
            draw_sculpture();
        else
            apply_move(move);
    }

    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, scene_textures[tex_object_sphere]);
    glEnable(GL_LIGHT3);
    for (const Move& move : ball_moves) {
        if (move.kind == MoveKind::part)
            draw_textured_grid_sphere(ball_sphere_grid, ball_pole_distance, ball_segments);
        else
            apply_move(move);
    }
    glDisable(GL_LIGHT3);
}

void object_scene(int a) {
    glEnable(GL_LIGHTING);
    camera_path_look(object_camera_path, static_cast<uint32_t>(a));

    glBindTexture(GL_TEXTURE_2D, scene_textures[tex_object_swirl]);
    glEnable(GL_LIGHT3);
    if (reference_drawing) {
        glBegin(GL_QUADS);
        for (const TexturedQuad& face : object_room_faces) emit_textured(face);
        glEnd();
    } else {
        static const FaceArray room = [] {
            FaceArray a;
            for (const TexturedQuad& face : object_room_faces) append_textured_quad(a, face);
            return a;
        }();
        draw_quad_array(room);
    }
    glDisable(GL_LIGHT3);

    draw_object_grid();
}

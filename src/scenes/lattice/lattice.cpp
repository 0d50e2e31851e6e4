// The cube lattice: its beat, its coordinates, its motion and colours, and the
// code that draws one frame of it.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "scenes/lattice/lattice.h"

namespace {

// The blurred part of every beat, inclusive at both ends.
constexpr int blurred_from = 165;
constexpr int blurred_to = 665;

// The integer walk that places the cubes: add 3.6 and truncate toward zero.
// Truncation rounds the negative values up and the positive ones down, so the
// spacing is 4 below zero and 3 above it, the step across zero is -2 to 1,
// and no cube is centred on an axis. The lattice is not symmetric about its
// origin; keep the walk rather than a tidier spacing.
constexpr std::array<int, lattice_coordinate_count> walk_lattice_coordinates() {
    std::array<int, lattice_coordinate_count> values{};
    int n = 0;
    for (int v = -30; v <= 30; v = static_cast<int>(v + 3.6)) values.at(n++) = v;
    if (n != lattice_coordinate_count) throw "the walk must fill the lattice exactly";
    return values;
}

// Walked while compiling, so a walk that does not fill the lattice exactly stops the build.
constexpr std::array<int, lattice_coordinate_count> walked_coordinates = walk_lattice_coordinates();

// Drift: 10 units on each axis, periods of about 628, 754 and 503 ms.
constexpr float drift_amplitude = 10;
constexpr float drift_rates[3] = {0.01f, 0.008333334f, 0.0125f};
// A full turn about the diagonal every 7200 ms.
constexpr float turn_degrees_per_ms = 0.05f;

// 1 / 32767: a demo_rand result as a channel in 0 ... 1.
constexpr float colour_scale = 3.0518509e-05f;

// Corner signs c0 ... c7: the +z square counter-clockwise from (-, -), then the
// -z square in the same order.
const float box_corner_signs[8][3] = {
    {-1, -1, +1}, {+1, -1, +1}, {+1, +1, +1}, {-1, +1, +1},
    {-1, -1, -1}, {+1, -1, -1}, {+1, +1, -1}, {-1, +1, -1},
};

// Faces in drawing order, each counter-clockwise seen from outside.
const int box_face_corners[6][4] = {
    {0, 1, 2, 3},  // +z
    {5, 4, 7, 6},  // -z
    {4, 0, 3, 7},  // -x
    {1, 5, 6, 2},  // +x
    {3, 2, 6, 7},  // +y
    {4, 5, 1, 0},  // -y
};

void apply_lattice_motion(int a) {
    Move moves[2];
    lattice_motion_moves(a, moves);
    for (const Move& move : moves) apply_move(move);
}

}  // namespace

const std::array<int, lattice_coordinate_count> lattice_coordinates = walked_coordinates;

int lattice_beat_phase(int a) { return a % lattice_beat_ms; }

bool lattice_phase_blurred(int phase) { return phase >= blurred_from && phase <= blurred_to; }

void lattice_motion_moves(int a, Move moves[2]) {
    const float af = static_cast<float>(a);
    moves[0] = translate_move(drift_amplitude * std::sin(drift_rates[0] * af),
                              drift_amplitude * std::sin(drift_rates[1] * af),
                              drift_amplitude * std::sin(drift_rates[2] * af));
    // Translation first, so the lattice turns about its own origin wherever that has drifted.
    moves[1] = rotate_move(turn_degrees_per_ms * af, 1, 1, 1);
}

CubeColour next_cube_colour() {
    // Three separate statements: the draws must come in this order.
    const float blue = static_cast<float>(demo_rand()) * colour_scale;
    const float green = static_cast<float>(demo_rand()) * colour_scale;
    const float red = static_cast<float>(demo_rand()) * colour_scale;
    return {red, green, blue, lattice_cube_alpha};
}

void lattice_box_faces(float w, float h, float d, Quad faces[6]) {
    const float half[3] = {w / 2, h / 2, d / 2};
    for (int f = 0; f < 6; ++f) {
        for (int k = 0; k < 4; ++k) {
            const float* sign = box_corner_signs[box_face_corners[f][k]];
            faces[f].corners[k] = {sign[0] * half[0], sign[1] * half[1], sign[2] * half[2]};
        }
    }
}

void draw_box(float w, float h, float d) {
    Quad faces[6];
    lattice_box_faces(w, h, d, faces);
    glBegin(GL_QUADS);
    for (const Quad& face : faces) emit_plain(face);
    glEnd();
}

namespace {

void draw_cubes_one_by_one() {
    for (int x : lattice_coordinates) {
        for (int y : lattice_coordinates) {
            for (int z : lattice_coordinates) {
                glPushMatrix();
                glTranslatef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
                const CubeColour c = next_cube_colour();
                glColor4f(c.r, c.g, c.b, c.a);
                draw_box(lattice_cube_edge, lattice_cube_edge, lattice_cube_edge);
                glPopMatrix();
            }
        }
    }
}

// Every cube's corners already at its place in the lattice, in drawing order.
// GL would fold each cube's translation into the matrix and round there; here
// it is added to corners that are exact in float (a whole coordinate plus
// 1.75), so an edge pixel may come out a level apart, nothing more.
const FaceArray& lattice_corners() {
    static const FaceArray corners = [] {
        Quad faces[6];
        lattice_box_faces(lattice_cube_edge, lattice_cube_edge, lattice_cube_edge, faces);
        FaceArray a;
        for (int x : lattice_coordinates)
            for (int y : lattice_coordinates)
                for (int z : lattice_coordinates) {
                    const Vec3 at = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
                    for (const Quad& face : faces) {
                        Quad placed = face;
                        for (Vec3& c : placed.corners) c = {c.x + at.x, c.y + at.y, c.z + at.z};
                        append_quad(a, placed);
                    }
                }
        return a;
    }();
    return corners;
}

constexpr int lattice_cube_count = lattice_coordinate_count * lattice_coordinate_count * lattice_coordinate_count;

// Each corner's colour: the cube's, drawn from the shared rand in cube order.
CubeColour corner_colours[lattice_cube_count * 24];

void draw_cubes_from_array() {
    for (int cube = 0; cube < lattice_cube_count; ++cube) {
        const CubeColour c = next_cube_colour();
        std::fill_n(corner_colours + 24 * cube, 24, c);
    }
    const FaceArray& corners = lattice_corners();
    begin_array_draws(corners);
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, 0, corner_colours);
    draw_array_quads(0, corners.size());
    glDisableClientState(GL_COLOR_ARRAY);
    end_array_draws();
    // The colour stays the last cube's, as one glColor4f a cube leaves it.
    const CubeColour& last = corner_colours[lattice_cube_count * 24 - 1];
    glColor4f(last.r, last.g, last.b, last.a);
}

}  // namespace

void draw_cube_lattice() {
    // Additive and unsorted: without the depth test the order of the cubes does
    // not change the picture, and overlapping cubes brighten toward white.
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    if (reference_drawing)
        draw_cubes_one_by_one();
    else
        draw_cubes_from_array();
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
}

// The scene sets no camera: the eye stays at the origin looking down -z, inside the lattice.
void cube_lattice_scene(int t) {
    if (lattice_phase_blurred(lattice_beat_phase(t))) {
        begin_capture(90);
        apply_lattice_motion(t);
        draw_cube_lattice();
        compose_capture(0, 'f', 90);
    } else {
        apply_lattice_motion(t);
        draw_cube_lattice();
        invert_screen(90);
    }
}

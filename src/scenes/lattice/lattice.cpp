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
    const float blue = static_cast<float>(demo_rand()) * demo_rand_scale;
    const float green = static_cast<float>(demo_rand()) * demo_rand_scale;
    const float red = static_cast<float>(demo_rand()) * demo_rand_scale;
    return {red, green, blue, lattice_cube_alpha};
}


LatticeScene lattice_scene;

// Every cube's faces already at its place in the lattice, in drawing order.
// GL would fold each cube's translation into the matrix and round there; here
// it is added to corners that are exact in float (a whole coordinate plus
// 1.75), so against a translated cube an edge pixel may come out a level
// apart, nothing more.
void build_lattice_cubes(DrawList& list) {
    clear_draw_list(list);
    Quad faces[6];
    box_faces(lattice_cube_edge, lattice_cube_edge, lattice_cube_edge, faces);
    // Additive and unsorted: without the depth test the order of the cubes does
    // not change the picture, and overlapping cubes brighten toward white.
    begin_batch(list, nullptr, {.untextured = true, .additive = true});
    for (int x : lattice_coordinates)
        for (int y : lattice_coordinates)
            for (int z : lattice_coordinates) {
                const Vec3 at = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
                for (const Quad& face : faces) {
                    Quad placed = face;
                    for (Vec3& c : placed.corners) c = {c.x + at.x, c.y + at.y, c.z + at.z};
                    add_quad(list, placed);
                }
            }
    list.colours.resize(list.corners.size());
    keep_draw_list(list);
}

void colour_lattice_cubes(DrawList& list) {
    for (size_t corner = 0; corner < list.colours.size(); corner += 24) {
        const CubeColour c = next_cube_colour();
        std::fill_n(list.colours.begin() + static_cast<std::ptrdiff_t>(corner), 24, Colour{c.r, c.g, c.b, c.a});
    }
}

void init_lattice() { build_lattice_cubes(lattice_scene.cubes); }

void draw_cube_lattice() {
    colour_lattice_cubes(lattice_scene.cubes);
    draw_list(lattice_scene.cubes);
}

// The scene sets no camera: the eye stays at the origin looking down -z, inside the lattice.
void draw_lattice(int t) {
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

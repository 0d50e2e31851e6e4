// The street lamp: base, collar, tapering pole and conical shade, turned from
// the start-up ring shapes, joined by an arched arm of a half torus.
#include <algorithm>

#include "scenes/city/city.h"

static constexpr int lamp_ring_points = 12;

Shape lamp_base_tube;
Shape lamp_collar_tube;
Shape lamp_pole_tube;
Shape lamp_shade_shell;

void build_lamp_shapes() {
    lamp_base_tube = build_tube_rings(0.02f, 0.02f, 0.16f, lamp_ring_points);
    lamp_collar_tube = build_tube_rings(0.02f, 0.01f, 0.04f, lamp_ring_points);
    lamp_pole_tube = build_tube_rings(0.01f, 0.006f, 0.34f, lamp_ring_points);
    lamp_shade_shell = build_shell_rings(0.04f, 0.006f, 0.034f, 0.002f, 0.04f, lamp_ring_points);
}

// The turned parts bottom to top; each step moves from the previous part's centre.
struct LampPart {
    const Shape* shape;
    bool shell;
    Vec3 step;
};

static const LampPart lamp_parts[] = {
    {&lamp_base_tube, false, {0, 0.08f, 0}},     // y 0 ... 0.16
    {&lamp_collar_tube, false, {0, 0.1f, 0}},    // y 0.16 ... 0.20
    {&lamp_pole_tube, false, {0, 0.19f, 0}},     // y 0.20 ... 0.54
    {&lamp_shade_shell, true, {0.12f, 0.15f, 0}}, // centred 0.12 to the side, y 0.50 ... 0.54
};

// The arm: a half ring turned upright into the x-y plane, from the pole top
// (x 0) over a peak at y 0.60 down to the shade top (x 0.12).
static const Vec3 lamp_arm_position = {0.06f, 0.54f, 0};
static constexpr float lamp_arm_tilt_degrees = 90;
static constexpr float lamp_arm_radius = 0.06f;
static constexpr float lamp_arm_tube_radius = 0.006f;
static constexpr int lamp_arm_start = 90;
static constexpr int lamp_arm_end = 270;
static constexpr int lamp_arm_segments = 12;
static constexpr int lamp_arm_steps = 15;

// A shape built with fewer points than asked for (or not built yet) draws only
// the rings it has, never reading past its end.
static int usable_points(const Shape& shape, int rings, int n) {
    return std::max(0, std::min(n, static_cast<int>(shape.size()) / rings));
}

std::vector<Quad> tube_side_quads(const Shape& tube, int n) {
    std::vector<Quad> quads;
    n = usable_points(tube, 2, n);
    if (n == 0) return quads;
    const Vec3* bottom = tube.data();
    const Vec3* top = tube.data() + n;
    for (int i = 0; i + 1 < n; ++i) quads.push_back({{top[i], bottom[i], bottom[i + 1], top[i + 1]}});
    quads.push_back({{top[n - 1], bottom[n - 1], bottom[0], top[0]}});
    return quads;
}

std::vector<Quad> shade_shell_quads(const Shape& shell, int n) {
    std::vector<Quad> quads;
    n = usable_points(shell, 4, n);
    if (n == 0) return quads;
    const Vec3* o0 = shell.data();
    const Vec3* o1 = o0 + n;
    const Vec3* i0 = o1 + n;
    const Vec3* i1 = i0 + n;
    // The inner wall is wound the other way, so its normals face into the shade.
    for (int i = 0; i + 1 < n; ++i) {
        quads.push_back({{o1[i], o0[i], o0[i + 1], o1[i + 1]}});
        quads.push_back({{i1[i + 1], i0[i + 1], i0[i], i1[i]}});
    }
    quads.push_back({{o1[n - 1], o0[n - 1], o0[0], o1[0]}});
    quads.push_back({{i1[0], i0[0], i0[n - 1], i1[n - 1]}});
    // The bottom rim faces down; the top stays open.
    for (int i = 0; i + 1 < n; ++i) quads.push_back({{i0[i + 1], o0[i + 1], o0[i], i0[i]}});
    quads.push_back({{i0[0], o0[0], o0[n - 1], i0[n - 1]}});
    return quads;
}

static Vec3 torus_point(float R, float r, int theta, int phi) {
    float ring = R + r * sin_deg(phi);
    return {sin_deg(theta) * ring, r * cos_deg(phi), cos_deg(theta) * ring};
}

// The fraction of a sweep as a whole degree: formed in floats, halves upward.
static int sweep_degrees(int i, int count, int span, int start) {
    return round_half_up(static_cast<float>(i) / static_cast<float>(count) * static_cast<float>(span) +
                         static_cast<float>(start));
}

std::vector<Quad> torus_arc_quads(float R, float r, int start, int end, int segments, int steps) {
    std::vector<Quad> quads;
    for (int i = 0; i < steps; ++i) {
        int theta1 = sweep_degrees(i, steps, end - start, start);
        int theta2 = sweep_degrees(i + 1, steps, end - start, start);
        for (int j = 0; j < segments; ++j) {
            int phi1 = sweep_degrees(j, segments, 360, 0);
            int phi2 = sweep_degrees(j + 1, segments, 360, 0);
            quads.push_back({{torus_point(R, r, theta1, phi1), torus_point(R, r, theta1, phi2),
                              torus_point(R, r, theta2, phi2), torus_point(R, r, theta2, phi1)}});
        }
    }
    return quads;
}

// The turned parts stand one on another within one push, each step moving on
// from the previous part's centre; the arm is placed on its own, turned upright.
StreetLamp build_street_lamp() {
    StreetLamp lamp;
    lamp.moves.push_back(push_move());
    for (const LampPart& part : lamp_parts) {
        lamp.moves.push_back(translate_move(part.step.x, part.step.y, part.step.z));
        lamp.moves.push_back(part_move(static_cast<int>(lamp.parts.size())));
        lamp.parts.push_back(part.shell ? shade_shell_quads(*part.shape, lamp_ring_points)
                                        : tube_side_quads(*part.shape, lamp_ring_points));
    }
    lamp.moves.push_back(pop_move());
    lamp.moves.push_back(push_move());
    lamp.moves.push_back(translate_move(lamp_arm_position.x, lamp_arm_position.y, lamp_arm_position.z));
    lamp.moves.push_back(rotate_move(lamp_arm_tilt_degrees, 1, 0, 0));
    lamp.moves.push_back(part_move(static_cast<int>(lamp.parts.size())));
    lamp.parts.push_back(torus_arc_quads(lamp_arm_radius, lamp_arm_tube_radius, lamp_arm_start, lamp_arm_end,
                                         lamp_arm_segments, lamp_arm_steps));
    lamp.moves.push_back(pop_move());
    return lamp;
}

const StreetLamp& street_lamp() { return city_scene.lamp; }

std::vector<Quad> street_lamp_quads() {
    const StreetLamp& lamp = street_lamp();
    std::vector<Placement> placements;
    replay_moves(lamp.moves.data(), static_cast<int>(lamp.moves.size()), &placements);
    std::vector<Quad> quads;
    for (size_t k = 0; k < lamp.parts.size(); ++k) {
        for (Quad q : lamp.parts[k]) {
            for (Vec3& c : q.corners) c = placement_point(placements[k], c);
            quads.push_back(q);
        }
    }
    return quads;
}

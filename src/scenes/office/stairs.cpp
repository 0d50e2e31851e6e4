// The stair flight: ten stone steps between two wooden side panels, a wooden
// handrail over each panel and a metal post at each corner.
#include "scenes/office/office.h"

// Each panel is a slab 0.05 thick rising from y -0.75 ... -0.25 at its foot end
// to 0.75 ... 1.25 at its head end. Right panel first, then the left.
const Quad stair_panel_quads[12] = {
    {{{0.95f, -0.25f, -1.45f}, {0.95f, -0.75f, -1.45f}, {0.95f, 0.75f, 1.45f}, {0.95f, 1.25f, 1.45f}}},  // -x
    {{{1, 1.25f, 1.45f}, {1, 0.75f, 1.45f}, {1, -0.75f, -1.45f}, {1, -0.25f, -1.45f}}},                  // +x
    {{{1, 1.25f, 1.45f}, {1, -0.25f, -1.45f}, {0.95f, -0.25f, -1.45f}, {0.95f, 1.25f, 1.45f}}},          // top
    {{{0.95f, 0.75f, 1.45f}, {0.95f, -0.75f, -1.45f}, {1, -0.75f, -1.45f}, {1, 0.75f, 1.45f}}},          // bottom
    {{{0.95f, 1.25f, 1.45f}, {0.95f, 0.75f, 1.45f}, {1, 0.75f, 1.45f}, {1, 1.25f, 1.45f}}},              // +z
    {{{1, -0.25f, -1.45f}, {1, -0.75f, -1.45f}, {0.95f, -0.75f, -1.45f}, {0.95f, -0.25f, -1.45f}}},      // -z
    {{{-0.95f, 1.25f, 1.45f}, {-0.95f, 0.75f, 1.45f}, {-0.95f, -0.75f, -1.45f}, {-0.95f, -0.25f, -1.45f}}},  // +x
    {{{-1, -0.25f, -1.45f}, {-1, -0.75f, -1.45f}, {-1, 0.75f, 1.45f}, {-1, 1.25f, 1.45f}}},                  // -x
    {{{-0.95f, 1.25f, 1.45f}, {-0.95f, -0.25f, -1.45f}, {-1, -0.25f, -1.45f}, {-1, 1.25f, 1.45f}}},          // top
    {{{-1, 0.75f, 1.45f}, {-1, -0.75f, -1.45f}, {-0.95f, -0.75f, -1.45f}, {-0.95f, 0.75f, 1.45f}}},          // bottom
    {{{-1, 1.25f, 1.45f}, {-1, 0.75f, 1.45f}, {-0.95f, 0.75f, 1.45f}, {-0.95f, 1.25f, 1.45f}}},              // +z
    {{{-0.95f, -0.25f, -1.45f}, {-0.95f, -0.75f, -1.45f}, {-1, -0.75f, -1.45f}, {-1, -0.25f, -1.45f}}},      // -z
};

namespace {

// A rail is its panel's slab with the bottom and top edges lifted: 0.2 high,
// running 0.3 above the panel.
const float rail_heights[4][2] = {
    {-0.75f, 0.05f},
    {-0.25f, 0.25f},
    {0.75f, 1.55f},
    {1.25f, 1.75f},
};

float rail_height(float panel_y) {
    for (const auto& h : rail_heights)
        if (panel_y == h[0]) return h[1];
    return panel_y;
}

void add_repeated(DrawList& list, const Quad& q, float repeats) {
    add_textured_quad(list, repeated_texture({{q.corners[0], q.corners[1], q.corners[2], q.corners[3]}, repeats}));
}

}  // namespace

Quad stair_rail_quad(const Quad& panel) {
    Quad rail = panel;
    for (Vec3& c : rail.corners) c.y = rail_height(c.y);
    return rail;
}

// From the foot of the panel to the top of the rail, at each corner.
const Vec3 stair_post_centres[4] = {
    {0.975f, -0.25f, -1.475f},
    {0.975f, 1.25f, 1.475f},
    {-0.975f, -0.25f, -1.475f},
    {-0.975f, 1.25f, 1.475f},
};
const Vec3 stair_post_size = {0.05f, 1, 0.05f};

void stair_step_quads(int i, Quad* riser, Quad* tread) {
    const float fi = static_cast<float>(i);
    const float y = 0.75f - 0.15f * fi, y_below = 0.75f - 0.15f * (fi + 1);
    const float z = 1.5f - 0.3f * fi, z_below = 1.5f - 0.3f * (fi + 1);
    *riser = {{{-0.95f, y_below, z_below}, {-0.95f, y, z_below}, {0.95f, y, z_below}, {0.95f, y_below, z_below}}};
    *tread = {{{-0.95f, y, z_below}, {-0.95f, y, z}, {0.95f, y, z}, {0.95f, y, z_below}}};
}

// The flight's body under the steps, x from -1 to 1.
const Quad stair_head_face = {{{-1, 0.75f, 1.5f}, {-1, 0.45f, 1.5f}, {1, 0.45f, 1.5f}, {1, 0.75f, 1.5f}}};
const Quad stair_foot_face = {{{-1, -0.75f, -1.1f}, {-1, -0.75f, -1.5f}, {1, -0.75f, -1.5f}, {1, -0.75f, -1.1f}}};
const Quad stair_underside = {{{-1, 0.45f, 1.5f}, {-1, -0.75f, -1.1f}, {1, -0.75f, -1.1f}, {1, 0.45f, 1.5f}}};

int stair_step_batch(int with_steps, int with_top_face, int with_bottom_face, int with_underside,
                     Quad quads[stair_step_batch_max]) {
    int n = 0;
    if (with_steps) {
        for (int i = 0; i < 10; ++i) {
            stair_step_quads(i, &quads[n], &quads[n + 1]);
            n += 2;
        }
    }
    if (with_top_face) quads[n++] = stair_head_face;
    if (with_bottom_face) quads[n++] = stair_foot_face;
    if (with_underside) quads[n++] = stair_underside;
    return n;
}

std::vector<Move> add_stair_flight(DrawList& list, const StairFlight& flight) {
    const int sides = begin_part(list);
    begin_batch(list, flight.side_texture);
    for (const Quad& q : stair_panel_quads) add_repeated(list, q, stair_panel_repeats);
    begin_batch(list, flight.rail_texture);
    for (const Quad& q : stair_panel_quads) add_repeated(list, stair_rail_quad(q), stair_rail_repeats);

    const int post = begin_part(list);
    add_textured_box(list, flight.post_texture, stair_post_size);

    // The step batch is opened and closed even when every flag is off.
    const int steps = begin_part(list);
    Quad quads[stair_step_batch_max];
    const StairFlightFlags& f = flight.flags;
    const int count = stair_step_batch(f.with_steps, f.with_top_face, f.with_bottom_face, f.with_underside, quads);
    begin_batch(list, flight.step_texture);
    for (int i = 0; i < count; ++i) add_repeated(list, quads[i], stair_step_repeats);

    std::vector<Move> moves = {part_move(sides)};
    for (const Vec3& c : stair_post_centres) {
        moves.push_back(push_move());
        moves.push_back(translate_move(c.x, c.y, c.z));
        moves.push_back(part_move(post));
        moves.push_back(pop_move());
    }
    moves.push_back(part_move(steps));
    return moves;
}

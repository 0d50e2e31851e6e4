// The stair flight: ten stone steps between two wooden side panels, a wooden
// handrail over each panel and a metal post at each corner.
#include <GL/gl.h>

#include <iterator>

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

void bind(TextureId texture) { glBindTexture(GL_TEXTURE_2D, texture); }

void emit_repeated(const Quad& q, float repeats) {
    emit_textured(repeated_texture({{q.corners[0], q.corners[1], q.corners[2], q.corners[3]}, repeats}));
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

namespace {

// The panels, then the rails, in drawing order.
const FaceArray& panel_and_rail_corners() {
    static const FaceArray corners = [] {
        FaceArray a;
        for (const Quad& q : stair_panel_quads)
            append_textured_quad(a, repeated_texture({{q.corners[0], q.corners[1], q.corners[2], q.corners[3]},
                                                      stair_panel_repeats}));
        for (const Quad& panel : stair_panel_quads) {
            const Quad q = stair_rail_quad(panel);
            append_textured_quad(a, repeated_texture({{q.corners[0], q.corners[1], q.corners[2], q.corners[3]},
                                                      stair_rail_repeats}));
        }
        return a;
    }();
    return corners;
}

// The four corner posts, both paths alike.
void draw_stair_posts(TextureId post_texture) {
    for (const Vec3& c : stair_post_centres) {
        glPushMatrix();
        glTranslatef(c.x, c.y, c.z);
        bind(post_texture);
        draw_textured_box(stair_post_size.x, stair_post_size.y, stair_post_size.z);
        glPopMatrix();
    }
}

void draw_flight_from_arrays(int with_steps, int with_top_face, int with_bottom_face, int with_underside,
                             TextureId side_texture, TextureId rail_texture, TextureId post_texture,
                             TextureId step_texture) {
    const FaceArray& sides = panel_and_rail_corners();
    constexpr size_t panels = 4 * std::size(stair_panel_quads);
    begin_array_draws(sides);
    bind(side_texture);
    draw_array_quads(0, panels);
    bind(rail_texture);
    draw_array_quads(panels, panels);
    end_array_draws();

    draw_stair_posts(post_texture);

    Quad steps[stair_step_batch_max];
    const int count = stair_step_batch(with_steps, with_top_face, with_bottom_face, with_underside, steps);
    ArrayVertex corners[4 * stair_step_batch_max];
    for (int i = 0; i < count; ++i) {
        const Quad& q = steps[i];
        textured_quad_corners(repeated_texture({{q.corners[0], q.corners[1], q.corners[2], q.corners[3]},
                                                stair_step_repeats}),
                              corners + 4 * i);
    }
    bind(step_texture);
    draw_quad_array(corners, 4 * static_cast<size_t>(count));
}

}  // namespace

void draw_stair_flight(int with_steps, int with_top_face, int with_bottom_face, int with_underside,
                       TextureId side_texture, TextureId rail_texture, TextureId post_texture,
                       TextureId step_texture) {
    if (!reference_drawing) {
        draw_flight_from_arrays(with_steps, with_top_face, with_bottom_face, with_underside, side_texture,
                                rail_texture, post_texture, step_texture);
        return;
    }
    bind(side_texture);
    glBegin(GL_QUADS);
    for (const Quad& q : stair_panel_quads) emit_repeated(q, stair_panel_repeats);
    glEnd();

    bind(rail_texture);
    glBegin(GL_QUADS);
    for (const Quad& q : stair_panel_quads) emit_repeated(stair_rail_quad(q), stair_rail_repeats);
    glEnd();

    draw_stair_posts(post_texture);

    Quad steps[stair_step_batch_max];
    const int count = stair_step_batch(with_steps, with_top_face, with_bottom_face, with_underside, steps);
    bind(step_texture);
    glBegin(GL_QUADS);
    for (int i = 0; i < count; ++i) emit_repeated(steps[i], stair_step_repeats);
    glEnd();
}

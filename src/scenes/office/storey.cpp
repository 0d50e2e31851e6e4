// One storey of the office: the corridor (x -50 ... 7, z -8.5 ... -5.5), the
// hall that meets it at its east end (x 4 ... 7, z -5.5 ... 8.5) and the
// stairwell between them (x -1 ... 4, z -5.4 ... -1.3) with its half landing
// and two flights. Every face looks into the space the camera flies through.
#include <GL/gl.h>

#include <iterator>

#include "scenes/office/office.h"

TexturedQuad repeated_texture(const RepeatedQuad& q) {
    const float r = q.repeats;
    return {{q.corners[0], q.corners[1], q.corners[2], q.corners[3]}, {{0, 0}, {0, 1}, {r, 1}, {r, 0}}};
}

const RepeatedQuad office_floor_quads[2] = {
    {{{-50, 0, -8.5f}, {-50, 0, -5.5f}, {7, 0, -5.5f}, {7, 0, -8.5f}}, 17},  // F1 corridor
    {{{4, 0, -5.5f}, {4, 0, 8.5f}, {7, 0, 8.5f}, {7, 0, -5.5f}}, 1},         // F2 hall
};

const RepeatedQuad office_ceiling_quads[3] = {
    {{{7, 2.7f, -8.5f}, {7, 2.7f, -5.5f}, {-50, 2.7f, -5.5f}, {-50, 2.7f, -8.5f}}, 14},  // C1 corridor
    {{{7, 2.7f, -5.5f}, {7, 2.7f, 8.5f}, {4, 2.7f, 8.5f}, {4, 2.7f, -5.5f}}, 1},         // C2 hall
    {{{4, 3, -5.5f}, {4, 2.7f, -5.5f}, {4, 2.7f, -1}, {4, 3, -1}}, 1},                   // C3 slab edge over the stairwell
};

// The corridor's far wall repeats 14 times over the 57 units that its floor
// and near wall cover 17 times.
const RepeatedQuad office_wall_quads[9] = {
    {{{-50, 3, -8.5f}, {-50, 0, -8.5f}, {7, 0, -8.5f}, {7, 3, -8.5f}}, 14},          // W1 corridor's far wall
    {{{7, 3, -8.5f}, {7, 0, -8.5f}, {7, 0, 8.5f}, {7, 3, 8.5f}}, 4},                 // W2 east wall
    {{{4, 3, 8.5f}, {4, 0, 8.5f}, {4, 0, -1.3f}, {4, 3, -1.3f}}, 4},                 // W3 hall's west wall
    {{{4, 2.7f, -1.3f}, {4, 0, -1.3f}, {1, -1.5f, -1.3f}, {1, 1.5f, -1.3f}}, 2},     // W4 beside the lower flight
    {{{4, 3, -5.5f}, {4, 0, -5.5f}, {-50, 0, -5.5f}, {-50, 3, -5.5f}}, 17},          // W5 corridor's near wall
    {{{-7, 3, -5.4f}, {-7, 0, -5.4f}, {4, 0, -5.4f}, {4, 3, -5.4f}}, 4},             // W6 its stairwell side
    {{{4, 3, -5.4f}, {4, 0, -5.4f}, {4, 0, -5.5f}, {4, 3, -5.5f}}, 1},               // W7 its end at the opening
    {{{-1, 4.2f, -1.3f}, {-1, 1.5f, -1.3f}, {-1, 1.5f, -5.4f}, {-1, 4.2f, -5.4f}}, 2},  // W8 above the landing
    {{{1, 1.5f, -1.3f}, {1, -1.5f, -1.3f}, {-1, -1.5f, -1.3f}, {-1, 1.5f, -1.3f}}, 2},  // W9 beside the landing
};

// The landing fills x -1 ... 1, y 1.2 ... 1.5; the dividing wall x 1 ... 4,
// y 0 ... 3 between the flights. The lower flight's head meets this storey's
// floor at x 4 and its foot the landing below; the upper flight climbs from
// the floor at x 4 to this storey's landing.
const Move office_storey_moves[office_storey_move_count] = {
    push_move(), translate_move(0, 1.35f, -3.35f), part_move(storey_part_landing), pop_move(),
    push_move(), translate_move(2.5f, 1.5f, -3.35f), part_move(storey_part_dividing_wall), pop_move(),
    push_move(), translate_move(2.5f, -0.75f, -2.3f), rotate_move(90, 0, 1, 0),
    part_move(storey_part_lower_flight), pop_move(),
    push_move(), translate_move(2.5f, 0.75f, -4.4f), rotate_move(270, 0, 1, 0),
    part_move(storey_part_upper_flight), pop_move(),
};
const Vec3 office_landing_size = {2, 0.3f, 4.1f};
const Vec3 office_dividing_wall_size = {3, 3, 0.1f};

namespace {

void bind(TextureSlot slot) { glBindTexture(GL_TEXTURE_2D, scene_textures[slot]); }

// The floor, ceiling and wall quads of a storey, in drawing order.
const FaceArray& surface_corners() {
    static const FaceArray corners = [] {
        FaceArray a;
        for (const RepeatedQuad& q : office_floor_quads) append_textured_quad(a, repeated_texture(q));
        for (const RepeatedQuad& q : office_ceiling_quads) append_textured_quad(a, repeated_texture(q));
        for (const RepeatedQuad& q : office_wall_quads) append_textured_quad(a, repeated_texture(q));
        return a;
    }();
    return corners;
}

void draw_surfaces() {
    const FaceArray& corners = surface_corners();
    constexpr size_t floors = 4 * std::size(office_floor_quads);
    constexpr size_t ceilings = 4 * std::size(office_ceiling_quads);
    constexpr size_t walls = 4 * std::size(office_wall_quads);
    begin_array_draws(corners);
    bind(tex_office_marble);
    draw_array_quads(0, floors);
    bind(tex_office_ceiling);
    draw_array_quads(floors, ceilings);
    bind(tex_office_wall);
    draw_array_quads(floors + ceilings, walls);
    end_array_draws();
}

template <int N>
void draw_batch(const RepeatedQuad (&quads)[N]) {
    glBegin(GL_QUADS);
    for (const RepeatedQuad& q : quads) emit_textured(repeated_texture(q));
    glEnd();
}

void draw_flight() {
    // Steps, foot face and underside; the head meets a floor or a landing.
    draw_stair_flight(1, 0, 1, 1, scene_textures[tex_office_wood3], scene_textures[tex_office_wood2],
                      scene_textures[tex_office_metal], scene_textures[tex_office_marble]);
}

// The landing and the dividing wall take the wall texture still bound from the walls.
void draw_storey_part(int part) {
    switch (part) {
    case storey_part_landing:
        draw_textured_box(office_landing_size.x, office_landing_size.y, office_landing_size.z);
        break;
    case storey_part_dividing_wall:
        draw_textured_box(office_dividing_wall_size.x, office_dividing_wall_size.y, office_dividing_wall_size.z);
        break;
    default: draw_flight(); break;
    }
}

}  // namespace

void draw_office_storey() {
    if (reference_drawing) {
        bind(tex_office_marble);
        draw_batch(office_floor_quads);
        bind(tex_office_ceiling);
        draw_batch(office_ceiling_quads);
        bind(tex_office_wall);
        draw_batch(office_wall_quads);
    } else {
        draw_surfaces();
    }
    for (const Move& move : office_storey_moves) {
        if (move.kind == MoveKind::part)
            draw_storey_part(move.part);
        else
            apply_move(move);
    }
}

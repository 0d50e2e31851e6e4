// One storey of the office: the corridor (x -50 ... 7, z -8.5 ... -5.5), the
// hall that meets it at its east end (x 4 ... 7, z -5.5 ... 8.5) and the
// stairwell between them (x -1 ... 4, z -5.4 ... -1.3) with its half landing
// and two flights. Every face looks into the space the camera flies through.
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

const TextureId* texture_of(TextureSlot slot) { return &scene_textures[slot]; }

template <int N>
void add_repeated_quads(DrawList& list, TextureSlot texture, const RepeatedQuad (&quads)[N]) {
    begin_batch(list, texture_of(texture));
    for (const RepeatedQuad& q : quads) add_textured_quad(list, repeated_texture(q));
}

int add_wall_box(DrawList& list, Vec3 size) {
    const int part = begin_part(list);
    add_textured_box(list, texture_of(tex_office_wall), size);
    return part;
}

}  // namespace

// Each flight has steps, a foot face and an underside; its head meets a floor or a landing.
const StairFlightFlags office_flight_flags = {1, 0, 1, 1};

std::vector<Move> add_office_storey(DrawList& list) {
    const int surfaces = begin_part(list);
    add_repeated_quads(list, tex_office_marble, office_floor_quads);
    add_repeated_quads(list, tex_office_ceiling, office_ceiling_quads);
    add_repeated_quads(list, tex_office_wall, office_wall_quads);
    // The landing and the dividing wall take the wall texture, as the walls.
    const int landing = add_wall_box(list, office_landing_size);
    const int dividing_wall = add_wall_box(list, office_dividing_wall_size);
    const std::vector<Move> flight = add_stair_flight(
        list, {office_flight_flags, texture_of(tex_office_wood3), texture_of(tex_office_wood2),
               texture_of(tex_office_metal), texture_of(tex_office_marble)});

    std::vector<Move> moves = {part_move(surfaces)};
    for (const Move& move : office_storey_moves) {
        if (move.kind != MoveKind::part)
            moves.push_back(move);
        else if (move.part == storey_part_landing)
            moves.push_back(part_move(landing));
        else if (move.part == storey_part_dividing_wall)
            moves.push_back(part_move(dividing_wall));
        else
            moves.insert(moves.end(), flight.begin(), flight.end());
    }
    return moves;
}

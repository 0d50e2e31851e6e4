// The greeting doors: a wooden leaf with a name plate showing a greeted
// group's logo and a small spherical knob, and the 24 doors of the building.
#include "scenes/office/office.h"

// Door 1 ends the hall; doors 2 and 3 face each other across the corridor
// beside the stairwell; doors 4 ... 24 line both walls of the corridor above,
// the ten at its far end carrying the production's own logo.
const TextureSlot office_door_plates[office_door_count] = {
    tex_greet_14, tex_greet_02, tex_greet_03, tex_greet_04, tex_greet_05, tex_greet_06,
    tex_greet_01, tex_greet_08, tex_greet_zelvo, tex_greet_zelvo, tex_greet_zelvo, tex_greet_zelvo,
    tex_greet_zelvo, tex_greet_zelvo, tex_greet_zelvo, tex_greet_zelvo, tex_greet_zelvo, tex_greet_zelvo,
    tex_greet_09, tex_greet_10, tex_greet_11, tex_greet_12, tex_greet_13, tex_greet_07,
};

// The plate's centre 0.7 above the leaf's and 0.02 proud of it; the knob's
// centre at (-0.4, -0.1, 0.06) from the leaf's, by the handle side.
const Move door_model_moves[door_model_move_count] = {
    push_move(),
    part_move(door_part_leaf),
    translate_move(0, 0.7f, 0.02f),
    part_move(door_part_plate),
    translate_move(-0.4f, -0.8f, 0.04f),
    part_move(door_part_knob),
    pop_move(),
};
const Vec3 door_leaf_size = {1, 2, 0.05f};
const Vec3 door_plate_size = {0.6f, 0.2f, 0.05f};

Shape knob_sphere_grid;

// Each door moves on from the previous one. The half turns put the doors on
// the corridor's near wall facing -z, and their pitch of 4 then runs the other
// way along x; the second half turn brings the far wall's doors back round.
std::vector<Move> office_building_moves() {
    std::vector<Move> m;
    int door = 0;
    auto step = [&](float x, float y, float z) {
        m.push_back(translate_move(x, y, z));
        m.push_back(part_move(door++));
    };
    auto turn_across = [&]() {
        m.push_back(translate_move(0, 0, 2.9f));
        m.push_back(rotate_move(180, 0, 1, 0));
        m.push_back(part_move(door++));
    };
    m.push_back(push_move());
    step(5.5f, 1, -8.46f);
    step(-4, 0, 0);
    turn_across();
    step(0, 3, 0);
    while (door < 13) step(4, 0, 0);
    turn_across();
    while (door < office_door_count) step(4, 0, 0);
    m.push_back(pop_move());

    // The storeys below and above follow the middle one with no push between,
    // so the frame ends raised by 3; the next frame's identity drops it.
    m.push_back(part_move(office_part_storey));
    m.push_back(translate_move(0, -3, 0));
    m.push_back(part_move(office_part_storey));
    m.push_back(translate_move(0, 6, 0));
    m.push_back(part_move(office_part_storey));
    return m;
}

std::vector<Move> add_door(DrawList& list, const TextureId* door_texture, const TextureId* plate_texture,
                           const Shape& knob_grid) {
    int parts[3];
    parts[door_part_leaf] = begin_part(list);
    add_textured_box(list, door_texture, door_leaf_size);
    parts[door_part_plate] = begin_part(list);
    add_textured_box(list, plate_texture, door_plate_size);
    // The knob is the door's one untextured part.
    parts[door_part_knob] = begin_part(list);
    add_grid_sphere(list, nullptr, knob_grid, knob_radius, knob_segments, {.untextured = true});

    std::vector<Move> moves;
    for (const Move& move : door_model_moves)
        moves.push_back(move.kind == MoveKind::part ? part_move(parts[move.part]) : move);
    return moves;
}

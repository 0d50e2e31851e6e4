// The town layout, its flight and the code that draws one frame of it.
#include <GL/gl.h>

#include "scenes/city/city.h"

// The flight: a swoop from high above down to street level (segments 0 and 1,
// the first visit), a look round at the crossing and a run down the +x street
// tilting up to the sign board (segments 2 and 3, the second visit).
const uint32_t city_camera_windows[city_camera_segment_count][2] = {
    {0, 7000},
    {7000, 10659},
    {10659, 16500},
    {16500, 21332},
};

const Vec3 city_eye_points[city_camera_segment_count][4] = {
    {{9, 17, 18}, {0, 9, 18}, {0, 2, 13.5f}, {0, 1, 5}},
    {{0, 1, 5}, {0, 0.8f, 2}, {0, 0.6f, 1}, {0, 0.5f, 1}},
    {{0, 0.5f, 1}, {0, 0.5f, 1}, {0, 0.5f, 1}, {0, 0.5f, 0}},
    {{0, 0.5f, 0}, {3, 0.4f, -1}, {8, 0.3f, 0}, {9, 0.2f, 0.5f}},
};

const Vec3 city_centre_points[city_camera_segment_count][4] = {
    {{0, 0, -5}, {0, 0, -5}, {0, 0, -5}, {0, 0, -5}},
    {{0, 0, -5}, {0, 0, -5}, {0, 0, -5}, {0, 0, -5}},
    {{0, 0, -5}, {30, 3, -8}, {-40, 0, -8}, {5, 1, 0}},
    {{5, 1, 0}, {6.5f, 0.5f, 4}, {8, 1, -2}, {10, 10, -3}},
};

// Row A stands along the street on the z axis, row B along the street on the
// x axis; both turn their lamp arms over the street. The gaps grow 1, 2, 3, 4, 5.
const LampRow city_lamp_rows[city_lamp_row_count] = {
    {{-0.8f, 0, 0}, 0, 1},
    {{0, 0, -0.8f}, -90, -1},
};

const TexturedQuad city_street_quads[2] = {
    // half street along -z: s runs from the street's axis to its edge, t 14 times along it
    {{{0, 0, -16}, {0, 0, -2}, {0.75f, 0, -2}, {0.75f, 0, -16}}, {{0, 0}, {0, 14}, {1, 14}, {1, 0}}},
    // half street along +x
    {{{2, 0, 0}, {16, 0, 0}, {16, 0, -0.75f}, {2, 0, -0.75f}}, {{0, 0}, {0, 14}, {1, 14}, {1, 0}}},
};

// A quarter of the 4 x 4 crossing square.
const TexturedQuad city_crossing_quad = {
    {{0, 0, -2}, {0, 0, 0}, {2, 0, 0}, {2, 0, -2}}, {{0, 0}, {0, 1}, {1, 1}, {1, 0}},
};

// The kerb: 0.25 wide (0.75 to 1 off the street axis), 0.01 high.
const Quad city_kerb_quads[4] = {
    {{{0.75f, 0.01f, -16}, {0.75f, 0.01f, -0.75f}, {1, 0.01f, -0.75f}, {1, 0.01f, -16}}},  // top along -z
    {{{1, 0.01f, -1}, {1, 0.01f, -0.75f}, {16, 0.01f, -0.75f}, {16, 0.01f, -1}}},          // top along +x
    {{{0.75f, 0.01f, -16}, {0.75f, 0, -16}, {0.75f, 0, -0.75f}, {0.75f, 0.01f, -0.75f}}},  // face along -z
    {{{0.75f, 0.01f, -0.75f}, {0.75f, 0, -0.75f}, {16, 0, -0.75f}, {16, 0.01f, -0.75f}}},  // face along +x
};

// Buildings 1 to 5 line the +x street (fronts on z = -1), 6 to 11 the -z street
// (fronts on x = 1). Each step moves from the previous building's centre.
const CityBuilding city_buildings[city_building_count] = {
    {tex_city_window1, {2.5f, 2.5f, -2}, 3, 5, 2},
    {tex_city_window2, {2, -1.5f, 0.5f}, 1, 2, 1},
    {tex_city_facade4, {2, 0.5f, -0.5f}, 3, 3, 2},
    {tex_city_facade3, {3, 0.5f, -1}, 3, 4, 4},
    {tex_city_window1, {3.5f, -1, 1}, 4, 2, 2},
    {tex_city_facade3, {-11, 0.5f, -2}, 2, 3, 2},
    {tex_city_facade4, {0.5f, 0.5f, -3}, 3, 4, 4},
    {tex_city_window2, {-0.5f, 1, -3}, 2, 6, 2},
    {tex_city_window1, {0, -2, -1.5f}, 2, 2, 1},
    {tex_city_facade3, {0, 2, -1.5f}, 2, 6, 2},
    {tex_city_window2, {0, -1.5f, -2}, 2, 3, 2},
};

// The sign board stands on building 4's roof (height 4) near its front edge,
// facing the +x street.
static const Vec3 sign_board_position = {9.6f, 4.5f, -1.1f};
static const Vec3 sign_board_size = {3, 0.75f, 0.05f};

void append_lamp_row_moves(const LampRow& row, std::vector<Move>& moves) {
    moves.push_back(push_move());
    moves.push_back(translate_move(row.offset.x, row.offset.y, row.offset.z));
    if (row.turn_degrees != 0) moves.push_back(rotate_move(row.turn_degrees, 0, 1, 0));
    for (int k = 1; k <= city_lamps_per_row; ++k) {
        moves.push_back(translate_move(0, 0, row.step_sign * static_cast<float>(k)));
        moves.push_back(part_move(city_part_lamp));
    }
    moves.push_back(pop_move());
}

static std::vector<Placement> lamp_row_placements(const LampRow& row) {
    std::vector<Move> moves;
    append_lamp_row_moves(row, moves);
    std::vector<Placement> lamps;
    replay_moves(moves.data(), static_cast<int>(moves.size()), &lamps);
    return lamps;
}

void lamp_row_positions(const LampRow& row, Vec3 positions[city_lamps_per_row]) {
    const std::vector<Placement> lamps = lamp_row_placements(row);
    for (int k = 0; k < city_lamps_per_row; ++k) positions[k] = placement_point(lamps[k], {0, 0, 0});
}

Vec3 lamp_row_arm_direction(const LampRow& row) {
    return placement_direction(lamp_row_placements(row)[0], {1, 0, 0});
}

void append_building_moves(std::vector<Move>& moves) {
    moves.push_back(push_move());
    for (int i = 0; i < city_building_count; ++i) {
        const Vec3& step = city_buildings[i].step;
        moves.push_back(translate_move(step.x, step.y, step.z));
        moves.push_back(part_move(city_part_building + i));
    }
    moves.push_back(pop_move());
}

void city_building_centres(Vec3 centres[city_building_count]) {
    std::vector<Move> moves;
    append_building_moves(moves);
    std::vector<Placement> buildings;
    replay_moves(moves.data(), static_cast<int>(moves.size()), &buildings);
    for (int i = 0; i < city_building_count; ++i) centres[i] = placement_point(buildings[i], {0, 0, 0});
}

std::vector<Move> city_quadrant_moves() {
    std::vector<Move> chain;
    for (const LampRow& row : city_lamp_rows) append_lamp_row_moves(row, chain);
    chain.push_back(part_move(city_part_ground));
    append_building_moves(chain);
    return chain;
}

namespace {

const TextureId* texture_of(TextureSlot slot) { return &scene_textures[slot]; }

// The streets, the crossing and the kerbs, in drawing order.
void add_ground(DrawList& list) {
    begin_batch(list, texture_of(tex_city_road));
    for (const TexturedQuad& q : city_street_quads) add_textured_quad(list, q);
    begin_batch(list, texture_of(tex_city_crossing));
    add_textured_quad(list, city_crossing_quad);
    begin_batch(list, nullptr, {.untextured = true});
    for (const Quad& q : city_kerb_quads) add_quad(list, q);
}

// The roof hides the textured top face from the camera above.
void add_building(DrawList& list, const CityBuilding& b) {
    TexturedQuad faces[6];
    building_faces(b.width, b.height, b.depth, faces);
    begin_batch(list, texture_of(b.texture));
    for (const TexturedQuad& q : faces) add_textured_quad(list, q);
    begin_batch(list, nullptr, {.untextured = true});
    add_quad(list, building_roof(b.width, b.height, b.depth));
}

// The lamp's parts, untextured, each its own part of the list; returns the first.
int add_street_lamp(DrawList& list) {
    const StreetLamp& lamp = street_lamp();
    int first = -1;
    for (const std::vector<Quad>& quads : lamp.parts) {
        const int part = begin_part(list);
        if (first < 0) first = part;
        begin_batch(list, nullptr, {.untextured = true});
        for (const Quad& q : quads) add_quad(list, q);
    }
    return first;
}

// The quadrant's chain with every lamp replaced by the lamp's own chain.
void append_quadrant_moves(std::vector<Move>& out, int lamp_part, int ground_part, int building_part) {
    const StreetLamp& lamp = street_lamp();
    for (const Move& move : city_quadrant_moves()) {
        if (move.kind != MoveKind::part)
            out.push_back(move);
        else if (move.part == city_part_lamp)
            append_moves(out, lamp.moves.data(), lamp.moves.size(), lamp_part);
        else if (move.part == city_part_ground)
            out.push_back(part_move(ground_part));
        else
            out.push_back(part_move(building_part + move.part - city_part_building));
    }
}

}  // namespace

namespace {

constexpr CameraPath start_camera = {city_camera_segment_count, city_camera_windows, city_eye_points,
                                     city_centre_points, {0, 0, 0}, {0, 0, 0}};

}  // namespace

CityScene city_scene = {.camera = start_camera};

void build_city_model(DrawList& list) {
    clear_draw_list(list);
    const int sign_part = begin_part(list);
    add_textured_box(list, texture_of(tex_city_sign), sign_board_size);

    const int lamp_part = add_street_lamp(list);
    const int ground_part = begin_part(list);
    add_ground(list);
    const int building_part = ground_part + 1;
    for (const CityBuilding& b : city_buildings) {
        begin_part(list);
        add_building(list, b);
    }

    list.moves = {push_move(), translate_move(sign_board_position.x, sign_board_position.y, sign_board_position.z),
                  part_move(sign_part), pop_move()};
    // The turns accumulate: after the fourth quadrant the matrix has turned 270
    // degrees, which the timeline's identity at the next frame discards.
    for (int quarter = 0; quarter < 4; ++quarter) {
        if (quarter > 0) list.moves.push_back(rotate_move(90, 0, 1, 0));
        append_quadrant_moves(list.moves, lamp_part, ground_part, building_part);
    }
    keep_draw_list(list);
}

void init_city() {
    build_lamp_shapes();
    city_scene.lamp = build_street_lamp();
    build_city_model(city_scene.model);
    reset_city();
}

void reset_city() { city_scene.camera = start_camera; }

void draw_city(uint32_t a) {
    glEnable(GL_LIGHTING);
    camera_path_look(city_scene.camera, a);
    draw_list(city_scene.model);
}

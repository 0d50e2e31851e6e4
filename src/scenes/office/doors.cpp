// The greeting doors: a wooden leaf with a name plate showing a greeted
// group's logo and a small spherical knob, and the 24 doors of the building.
#include <GL/gl.h>

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

static constexpr float knob_radius = 0.025f;
static constexpr uint16_t knob_segments = 12;

namespace {

// Each door moves on from the previous one. The half turns put the doors on
// the corridor's near wall facing -z, and their pitch of 4 then runs the other
// way along x; the second half turn brings the far wall's doors back round.
std::vector<Move> build_building_moves() {
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

struct SphereFaces {
    const Shape* grid = nullptr;
    const Vec3* vertices = nullptr;
    size_t size = 0;
    float radius = 0;
    uint16_t segments = 0;
    bool built = false;
    std::vector<TexturedQuad> quads;
    FaceArray corners;  // the quads drawn untextured, as emit_quad sends them
};

SphereFaces sphere_faces;

}  // namespace

const std::vector<Move>& office_building_moves() {
    static const std::vector<Move> moves = build_building_moves();
    return moves;
}

const std::vector<TexturedQuad>& grid_sphere_faces(const Shape& grid, float radius, uint16_t segments) {
    SphereFaces& s = sphere_faces;
    const uint16_t rounded = static_cast<uint16_t>(segments + (segments & 1));
    if (!s.built || s.grid != &grid || s.vertices != grid.data() || s.size != grid.size() || s.radius != radius ||
        s.segments != rounded) {
        // A refused count leaves the list empty: nothing drawn, nothing read past the grid.
        grid_sphere_quads(grid, radius, segments, &s.quads);
        s.corners.clear();
        for (const TexturedQuad& q : s.quads) append_quad(s.corners, {{q.corners[0], q.corners[1], q.corners[2], q.corners[3]}});
        s.grid = &grid;
        s.vertices = grid.data();
        s.size = grid.size();
        s.radius = radius;
        s.segments = rounded;
        s.built = true;
    }
    return s.quads;
}

void draw_grid_sphere(const Shape& grid, float radius, uint16_t segments) {
    const std::vector<TexturedQuad>& quads = grid_sphere_faces(grid, radius, segments);
    if (!reference_drawing) {
        draw_quad_array(sphere_faces.corners);
        return;
    }
    glBegin(GL_QUADS);
    for (const TexturedQuad& q : quads) emit_quad(q.corners[0], q.corners[1], q.corners[2], q.corners[3]);
    glEnd();
}

void draw_door(TextureId door_texture, TextureId plate_texture) {
    for (const Move& move : door_model_moves) {
        if (move.kind != MoveKind::part) {
            apply_move(move);
            continue;
        }
        switch (move.part) {
        case door_part_leaf:
            glBindTexture(GL_TEXTURE_2D, door_texture);
            draw_textured_box(door_leaf_size.x, door_leaf_size.y, door_leaf_size.z);
            break;
        case door_part_plate:
            glBindTexture(GL_TEXTURE_2D, plate_texture);
            draw_textured_box(door_plate_size.x, door_plate_size.y, door_plate_size.z);
            break;
        case door_part_knob:
            // The knob is the door's one untextured part.
            glDisable(GL_TEXTURE_2D);
            draw_grid_sphere(knob_sphere_grid, knob_radius, knob_segments);
            glEnable(GL_TEXTURE_2D);
            break;
        }
    }
}

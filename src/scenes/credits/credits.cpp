// The credit images: their table, the four phases of moves and fades, the two
// columns and the code that draws one frame of the scene.
#include "scenes/credits/credits.h"

#include <GL/gl.h>

#include <algorithm>

// Start-up overwrites both with settings.ini; until then the images ease in one
// step and the field moves on every frame.
float credits_ease_divisor = 1.0f;
int32_t credits_particle_modulus = 0;

// After the column's turn a positive offset moves an image down the screen.
const CreditImage credit_images[credit_image_count] = {
    {tex_credits_mirl, 220, 120, -120},    // above
    {tex_credits_rennic, 220, 120, 120},   // below
    {tex_credits_vek, 220, 120, -120},     // above
    {tex_credits_cod, 100, 80, -150},
    {tex_credits_gfx, 100, 80, -75},
    {tex_credits_mdl, 100, 80, 0},
    {tex_credits_sync, 100, 80, -75},
    {tex_credits_zik, 100, 80, 150},
};

namespace {

constexpr int phase_2_from = 5333;
constexpr int phase_3_from = 10666;
constexpr int phase_4_from = 15999;

constexpr float fade_step = 0.05f;
constexpr float fade_out_step = 0.03f;

constexpr float eye_distance = 200;
constexpr float column_x = 150;
constexpr int name_column_size = 3;  // mirl, rennic, vek; the rest are roles

constexpr float particle_step = 0.02f;

// A fade group runs only while its guard image's alpha is at most 1, so a
// fade-in stops after 20 steps just above 1 and its partners stop with it.
bool fade_guard(const CreditState& s, CreditImageId guard) { return s.alpha[guard] <= 1; }

void ease_to(CreditState& s, CreditImageId id, float target, float divisor) {
    s.pos[id] = credit_ease(s.pos[id], target, divisor);
}

void fade(CreditState& s, CreditImageId id, float step) { s.alpha[id] += step; }

void advance_phase_1(CreditState& s, float d) {
    if (s.pos[credit_mirl] != 0) ease_to(s, credit_mirl, 0, d);
    if (s.pos[credit_zik] != -75) ease_to(s, credit_zik, -75, d);
    if (s.pos[credit_sync] != 75) ease_to(s, credit_sync, 75, d);
    if (fade_guard(s, credit_mirl)) {
        fade(s, credit_sync, fade_step);
        fade(s, credit_mirl, fade_step);
        fade(s, credit_zik, fade_step);
    }
}

void advance_phase_2(CreditState& s, float d) {
    if (s.pos[credit_gfx] < 0) ease_to(s, credit_gfx, 0, d);
    if (s.pos[credit_cod] < 75) ease_to(s, credit_cod, 75, d);
    if (s.pos[credit_sync] > -75) ease_to(s, credit_sync, -75, d);
    if (s.pos[credit_rennic] > 0) ease_to(s, credit_rennic, 0, d);
    if (fade_guard(s, credit_rennic)) {
        fade(s, credit_mirl, -fade_step);
        fade(s, credit_zik, -fade_step);
        fade(s, credit_rennic, fade_step);
        fade(s, credit_gfx, fade_step);
        fade(s, credit_cod, fade_step);
    }
}

void advance_phase_3(CreditState& s, float d) {
    if (s.pos[credit_cod] != 0) ease_to(s, credit_cod, 0, d);
    if (s.pos[credit_gfx] < 75) ease_to(s, credit_gfx, 75, d);
    if (s.pos[credit_mdl] > -75) ease_to(s, credit_mdl, -75, d);
    if (s.pos[credit_vek] < 0) ease_to(s, credit_vek, 0, d);
    if (fade_guard(s, credit_vek)) {
        fade(s, credit_rennic, -fade_step);
        fade(s, credit_sync, -fade_step);
        fade(s, credit_vek, fade_step);
        fade(s, credit_mdl, fade_step);
    }
}

// No guard: the alphas keep falling below 0 until the scene ends, which the
// colour pipeline clamps to nothing.
void advance_phase_4(CreditState& s) {
    for (CreditImageId id : {credit_vek, credit_mdl, credit_gfx, credit_cod}) fade(s, id, -fade_out_step);
}

}  // namespace

CreditState credit_start_state() {
    CreditState s{};
    for (int k = 0; k < credit_image_count; ++k) s.pos[k] = credit_images[k].start_pos;
    return s;
}


float credit_ease(float x, float target, float divisor) { return x - (x - target) / divisor; }

int credit_phase(int a) {
    if (a < phase_2_from) return 1;
    if (a < phase_3_from) return 2;
    if (a < phase_4_from) return 3;
    return 4;
}

void advance_credits(CreditState& state, int a, float divisor) {
    switch (credit_phase(a)) {
    case 1: advance_phase_1(state, divisor); break;
    case 2: advance_phase_2(state, divisor); break;
    case 3: advance_phase_3(state, divisor); break;
    default: advance_phase_4(state); break;
    }
}

void credit_moves(const CreditState& state, Move moves[credit_move_count]) {
    int n = 0;
    moves[n++] = push_move();
    moves[n++] = rotate_move(90, 1, 0, 0);
    moves[n++] = translate_move(column_x, 0, 0);
    for (int k = 0; k < credit_image_count; ++k) {
        // The roles hang from the names' column, one translation further left.
        if (k == name_column_size) moves[n++] = translate_move(-2 * column_x, 0, 0);
        moves[n++] = push_move();
        moves[n++] = translate_move(0, 0, state.pos[k]);
        moves[n++] = part_move(k);
        moves[n++] = pop_move();
    }
    moves[n++] = pop_move();
}

TexturedQuad credit_image_quad(float width, float height) {
    const float w = width / 2;
    const float h = height / 2;
    return {{{-w, 0, -h}, {-w, 0, h}, {w, 0, h}, {w, 0, -h}}, {{0, 0}, {0, 1}, {1, 1}, {1, 0}}};
}

void build_credit_columns(DrawList& list) {
    clear_draw_list(list);
    const Colour unlit[4] = {};
    for (const CreditImage& image : credit_images) {
        begin_part(list);
        begin_batch(list, &scene_textures[image.texture], {.additive = true});
        add_coloured_quad(list, credit_image_quad(image.width, image.height), unlit);
    }
    keep_draw_list(list);
}

void place_credit_columns(DrawList& list, const CreditState& state) {
    for (int k = 0; k < credit_image_count; ++k)
        for (int c = 0; c < 4; ++c) list.colours[4 * static_cast<size_t>(k) + c] = {1, 1, 1, state.alpha[k]};
    list.moves.resize(credit_move_count);
    credit_moves(state, list.moves.data());
}

CreditsScene credits_scene = {.images = credit_start_state()};

void init_credits() {
    build_credit_columns(credits_scene.columns);
    reset_credits();
}

// The field's box: x and y -75 ... 75, z from 75 down to -75.
void reset_credits() {
    credits_scene.images = credit_start_state();
    init_particle_field(-75, 150, -75, 150, 75, -150, 0.5f, 80, 0.1f, 1.2f);
}

void draw_credits(int a, int32_t t) {
    glTranslatef(0, 0, -eye_distance);
    glPushMatrix();
    draw_particle_field(particle_step, t);
    glPopMatrix();

    // Start-up already keeps the divisor at 1 or more; a value below would
    // swing the images ever further past their targets.
    advance_credits(credits_scene.images, a, std::max(1.0f, credits_ease_divisor));
    place_credit_columns(credits_scene.columns, credits_scene.images);
    // The images leave texturing on.
    glEnable(GL_TEXTURE_2D);
    draw_list(credits_scene.columns);
}

// The closing letters: three pictures side by side in perspective that drift
// apart, sway, recede and fade out over six seconds; the timeline draws them
// through the zoom blur 'g'.
#include <GL/gl.h>

#include <cmath>

#include "scenes/titles/titles.h"

namespace {

// One letter is 180 x 250 units in its own z = 0 plane; texture row 0 (the
// picture's top row) goes to the upper edge. No normal: the scene is unlit.
const FlatCorner letter_corners[4] = {
    {0, 1, 0, 0},
    {0, 0, 0, 250},
    {1, 0, 180, 250},
    {1, 1, 180, 0},
};

// Left to right: F moves left, I up, N right.
const TextureSlot letter_slots[3] = {tex_fin_f, tex_fin_i, tex_fin_n};

}  // namespace

ClosingMotion closing_motion(int a) {
    const float time = static_cast<float>(a);
    ClosingMotion m;
    m.sway_x = 200.0f * std::sin(0.0025f * time);
    m.depth_z = -300.0f - 0.1f * time;
    m.drift = 0.033333335f * time;
    // Negative after 6000 ms; the additive blend then adds nothing at all.
    m.alpha = 1.0f - 0.00016666666f * time;
    return m;
}

void build_closing_letters(DrawList& list) {
    clear_draw_list(list);
    for (TextureSlot slot : letter_slots) {
        begin_part(list);
        begin_batch(list, &scene_textures[slot], {.additive = true, .normals = false});
        add_flat_picture(list, letter_corners, 0, 0);
    }
}

void place_closing_letters(DrawList& list, const ClosingMotion& m) {
    for (Colour& c : list.colours) c = {1, 1, 1, m.alpha};
    list.moves = {
        translate_move(m.sway_x, 0, m.depth_z), push_move(), translate_move(-200, 0, 0),
        push_move(), translate_move(-90 - m.drift, -125, 0), part_move(0), pop_move(),
        translate_move(200, 0, 0),
        push_move(), translate_move(-90, m.drift - 125, 0), part_move(1), pop_move(),
        translate_move(200, 0, 0),
        push_move(), translate_move(m.drift - 90, -125, 0), part_move(2), pop_move(),
        pop_move(),
    };
}

void draw_closing_titles(int a) {
    glEnable(GL_TEXTURE_2D);
    place_closing_letters(titles_scene.letters, closing_motion(a));
    draw_list(titles_scene.letters);
}

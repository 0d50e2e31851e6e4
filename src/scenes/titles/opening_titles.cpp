// The opening title cards: five pictures one after another, each flashing once
// a beat and shaking at the start of every flash with an offset that dies away.
// The timeline wraps every frame of it in the capture with zoom blur 'h'.
#include <GL/gl.h>

#include "scenes/titles/titles.h"

namespace {

// Each card is shown while the music time is below its end.
struct TitleCard {
    int slot;
    int ends_at;
};

const TitleCard title_cards[] = {
    {tex_title_kardel, 5333},
    {tex_title_demo, 7999},
    {tex_title_for, 10666},
    {tex_title_ostrel, 15999},
    {tex_title_zelvo, 21332},
};

constexpr int visible_from = 165;
constexpr int visible_to = 665;
constexpr int jitter_duration = 500;
constexpr int jitter_range = 70;

// The card rectangle before the 144 lift: x 40 ... 760, y 60 ... 250.02.
// Texture row 0 is the picture's top row, so t = 0 goes to the upper edge.
const FlatCorner card_corners[4] = {
    {0, 1, 40, 60},
    {0, 0, 40, 250.02f},
    {1, 0, 760, 250.02f},
    {1, 1, 760, 60},
};

}  // namespace

int title_card_slot(int t) {
    for (const TitleCard& card : title_cards)
        if (t < card.ends_at) return card.slot;
    return -1;
}

bool title_phase_visible(int phase) { return phase >= visible_from && phase <= visible_to; }

bool title_phase_jitters(int phase) { return title_phase_visible(phase) && phase < jitter_duration; }

int title_jitter(int rand_value, int phase) {
    const float scaled = static_cast<float>(rand_value % jitter_range) *
                         static_cast<float>(jitter_duration - phase) / static_cast<float>(jitter_duration);
    return static_cast<int>(scaled);
}

TitlesScene titles_scene;

void add_flat_picture(DrawList& list, const FlatCorner corners[4], float dx, float dy) {
    TexturedQuad q;
    for (int k = 0; k < 4; ++k) {
        q.corners[k] = {corners[k].x + dx, corners[k].y + dy, 0};
        q.texcoords[k][0] = corners[k].s;
        q.texcoords[k][1] = corners[k].t;
    }
    const Colour white[4] = {{1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}};
    add_coloured_quad(list, q, white);
}

void init_titles() { build_closing_letters(titles_scene.letters); }

void fill_title_card(DrawList& list, const TextureId* texture, bool visible, int jitter_x, int jitter_y) {
    clear_draw_list(list);
    begin_batch(list, texture, {.additive = true, .normals = false});
    if (visible) add_flat_picture(list, card_corners, static_cast<float>(jitter_x), static_cast<float>(jitter_y));
}

void draw_opening_titles(int phase, int t) {
    set_ortho_screen();
    glColor4f(1, 1, 1, 1);
    // After the last card nothing is bound: whatever texture was bound last stays.
    const int slot = title_card_slot(t);
    const TextureId* texture = slot >= 0 ? &scene_textures[slot] : nullptr;
    int jitter_x = 0;
    int jitter_y = 0;
    if (title_phase_jitters(phase)) {
        // Two separate draws, x first: the shared sequence depends on the order.
        jitter_x = title_jitter(demo_rand(), phase);
        jitter_y = title_jitter(demo_rand(), phase);
    }
    fill_title_card(titles_scene.card, texture, title_phase_visible(phase), jitter_x, jitter_y);
    glTranslatef(0, 144, 0);
    glPushMatrix();
    draw_list(titles_scene.card);
    glPopMatrix();
}

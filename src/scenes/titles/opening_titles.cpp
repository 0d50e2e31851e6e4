// The opening title cards: five pictures one after another, each flashing once
// a beat and shaking at the start of every flash with an offset that dies away.
// The timeline wraps every frame of it in the capture with zoom blur 'h'.
#include <GL/gl.h>

#include "render/render.h"
#include "resources/resources.h"
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
struct CardCorner {
    float s, t, x, y;
};

// Texture row 0 is the picture's top row, so t = 0 goes to the upper edge.
const CardCorner card_corners[] = {
    {0, 1, 40, 60},
    {0, 0, 40, 250.02f},
    {1, 0, 760, 250.02f},
    {1, 1, 760, 60},
};

void draw_card(int jitter_x, int jitter_y) {
    glBegin(GL_QUADS);
    for (const CardCorner& c : card_corners) {
        glTexCoord2f(c.s, c.t);
        glVertex2f(c.x + static_cast<float>(jitter_x), c.y + static_cast<float>(jitter_y));
    }
    glEnd();
}

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

void draw_opening_titles(int phase, int t) {
    set_ortho_screen();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1, 1, 1, 1);
    // After the last card nothing is bound: whatever texture was bound last stays.
    const int slot = title_card_slot(t);
    if (slot >= 0) glBindTexture(GL_TEXTURE_2D, scene_textures[slot]);
    glTranslatef(0, 144, 0);
    glPushMatrix();
    if (title_phase_visible(phase)) {
        int jitter_x = 0;
        int jitter_y = 0;
        if (title_phase_jitters(phase)) {
            // Two separate draws, x first: the shared sequence depends on the order.
            jitter_x = title_jitter(demo_rand(), phase);
            jitter_y = title_jitter(demo_rand(), phase);
        }
        draw_card(jitter_x, jitter_y);
    }
    glPopMatrix();
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}

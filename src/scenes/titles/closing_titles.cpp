// The closing letters: three pictures side by side in perspective that drift
// apart, sway, recede and fade out over six seconds; the timeline draws them
// through the zoom blur 'g'.
#include <GL/gl.h>

#include <cmath>

#include "render/render.h"
#include "resources/resources.h"
#include "scenes/titles/titles.h"

namespace {

// One letter is 180 x 250 units in its own z = 0 plane; texture row 0 (the
// picture's top row) goes to the upper edge. No normal: the scene is unlit.
struct LetterCorner {
    float s, t, x, y;
};

const LetterCorner letter_corners[] = {
    {0, 1, 0, 0},
    {0, 0, 0, 250},
    {1, 0, 180, 250},
    {1, 1, 180, 0},
};

void draw_letter(int slot, float alpha) {
    glColor4f(1, 1, 1, alpha);
    glBindTexture(GL_TEXTURE_2D, scene_textures[slot]);
    glBegin(GL_QUADS);
    for (const LetterCorner& c : letter_corners) {
        glTexCoord2f(c.s, c.t);
        glVertex3f(c.x, c.y, 0);
    }
    glEnd();
}

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

void draw_closing_titles(int a) {
    const ClosingMotion m = closing_motion(a);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);

    glTranslatef(m.sway_x, 0, m.depth_z);
    glPushMatrix();
    glTranslatef(-200, 0, 0);

    // Left letter moves left.
    glPushMatrix();
    glTranslatef(-90 - m.drift, -125, 0);
    draw_letter(tex_fin_f, m.alpha);
    glPopMatrix();

    // Middle letter moves up.
    glTranslatef(200, 0, 0);
    glPushMatrix();
    glTranslatef(-90, m.drift - 125, 0);
    draw_letter(tex_fin_i, m.alpha);
    glPopMatrix();

    // Right letter moves right.
    glTranslatef(200, 0, 0);
    glPushMatrix();
    glTranslatef(m.drift - 90, -125, 0);
    draw_letter(tex_fin_n, m.alpha);
    glPopMatrix();

    glPopMatrix();
}

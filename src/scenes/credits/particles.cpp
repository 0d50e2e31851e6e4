// The particle field behind the credits: 500 additive sprites drifting through
// a box, fading out once they leave it and reborn at random.
#include <GL/gl.h>

#include "scenes/credits/credits.h"

ParticleField particle_field{};

namespace {

// rand's range 0 ... 32767 scaled to 0 ... 1 inclusive.
constexpr float rand_scale = 3.0518509e-05f;

constexpr float grow_step = 0.01f;
constexpr float brighten_step = 0.01f;
constexpr float fade_step = 0.1f;

const float sprite_colour[3] = {0.4f, 0.6f, 0.8f};

float unit_rand() { return static_cast<float>(demo_rand()) * rand_scale; }

// The z test keeps the field's own reading, z > z_min and z < z_min + z_range:
// with the negative z_range the show passes it is the box's z span.
bool outside_box(const Particle& p, const ParticleFieldParams& f) {
    return p.x < f.x_min || p.x > f.x_min + f.x_range || p.y < f.y_min || p.y > f.y_min + f.y_range ||
           p.z > f.z_min || p.z < f.z_min + f.z_range || p.size < f.size_min || p.size > f.size_max;
}

// Sprites turn to face the viewer about the vertical axis: the first and third
// columns of the rotation become the unit x and z axes.
void load_billboard() {
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    m[0] = 1, m[1] = 0, m[2] = 0;
    m[8] = 0, m[9] = 0, m[10] = 1;
    glLoadMatrixf(m);
}

}  // namespace

void init_particle_field(float x_min, float x_range, float y_min, float y_range, float z_min, float z_range,
                         float size_min, float size_max, float life_min, float life_max) {
    particle_field.params = {x_min, x_range, y_min, y_range, z_min, z_range, size_min, size_max, life_min, life_max};
    for (int i = 0; i < particle_count; ++i) spawn_particle(i);
}

void spawn_particle(int index) {
    const ParticleFieldParams& f = particle_field.params;
    Particle& p = particle_field.particles[index];
    // Eight separate draws in this order: the shared sequence depends on it.
    p.x = unit_rand() * f.x_range + f.x_min;
    p.y = unit_rand() * f.y_range + f.y_min;
    p.z = unit_rand() * f.z_range + f.z_min;
    p.size = unit_rand() * (f.size_max - f.size_min) + f.size_min;
    p.life = unit_rand() * (f.life_max - f.life_min) + f.life_min;
    // The velocity comes from the same box as the position.
    p.vx = unit_rand() * f.x_range + f.x_min;
    p.vy = unit_rand() * f.y_range + f.y_min;
    p.vz = unit_rand() * f.z_range + f.z_min;
}

bool particle_field_moves(int32_t t, int32_t modulus) {
    if (modulus <= 0) return true;
    return t % modulus != 0;
}

void update_particle(int index, float dt) {
    const ParticleFieldParams& f = particle_field.params;
    Particle& p = particle_field.particles[index];
    p.x += dt * p.vx;
    p.y += dt * p.vy;
    p.z += dt * p.vz;
    p.size += grow_step;
    p.life += brighten_step;
    if (outside_box(p, f)) {
        p.life -= fade_step;
    } else if (p.life > f.life_max) {
        p.life -= fade_step;
    }
    if (p.life < f.life_min) spawn_particle(index);
}

void sprite_corners(float x, float y, float size, SpriteCorner corners[4]) {
    corners[0] = {0, 1, x - size, y - size};
    corners[1] = {0, 0, x - size, y};
    corners[2] = {1, 0, x, y};
    corners[3] = {1, 1, x, y - size};
}

void draw_particle(float x, float y, float z, float size, float alpha, float r, float g, float b) {
    glPushMatrix();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(r, g, b, alpha);
    glPushMatrix();
    // The corners repeat x and y after this translation, so the field shows
    // twice as wide and tall as its box while its depth is not doubled.
    glTranslatef(x, y, z);
    SpriteCorner corners[4];
    sprite_corners(x, y, size, corners);
    glBegin(GL_QUADS);
    for (const SpriteCorner& c : corners) {
        glTexCoord2f(c.s, c.t);
        glVertex3f(c.x, c.y, 0);
    }
    glEnd();
    glPopMatrix();
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
}

namespace {

// A sprite corner as sent in one batch: texture coordinate, colour, position.
struct SpriteVertex {
    float s, t;
    float r, g, b, a;
    float x, y, z;
};

SpriteVertex sprite_batch[particle_count * 4];

// Every sprite in one batch under the state they all share, set once. Each
// corner is moved by its sprite's offset here rather than by a translation of
// the matrix, which GL would fold into the matrix in a different order of
// rounding: an edge pixel of a sprite may come out one level apart.
void draw_sprites(float dt, bool moves) {
    for (int i = 0; i < particle_count; ++i) {
        if (moves) update_particle(i, dt);
        const Particle& p = particle_field.particles[i];
        SpriteCorner corners[4];
        sprite_corners(p.x, p.y, p.size, corners);
        for (int k = 0; k < 4; ++k) {
            const SpriteCorner& c = corners[k];
            sprite_batch[4 * i + k] = {c.s, c.t, sprite_colour[0], sprite_colour[1], sprite_colour[2], p.life,
                                       p.x + c.x, p.y + c.y, p.z};
        }
    }
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, sizeof(SpriteVertex), &sprite_batch[0].s);
    glColorPointer(4, GL_FLOAT, sizeof(SpriteVertex), &sprite_batch[0].r);
    glVertexPointer(3, GL_FLOAT, sizeof(SpriteVertex), &sprite_batch[0].x);
    glDrawArrays(GL_QUADS, 0, particle_count * 4);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    // The colour stays the last sprite's, as one glColor4f a sprite leaves it.
    glColor4f(sprite_colour[0], sprite_colour[1], sprite_colour[2], particle_field.particles[particle_count - 1].life);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}

}  // namespace

void draw_particle_field(float dt, TextureId texture) {
    glEnable(GL_TEXTURE_2D);
    glPushMatrix();
    load_billboard();
    glBindTexture(GL_TEXTURE_2D, texture);
    const bool moves = particle_field_moves(music_time, credits_particle_modulus);
    if (reference_drawing) {
        for (int i = 0; i < particle_count; ++i) {
            if (moves) update_particle(i, dt);
            const Particle& p = particle_field.particles[i];
            draw_particle(p.x, p.y, p.z, p.size, p.life, sprite_colour[0], sprite_colour[1], sprite_colour[2]);
        }
    } else {
        draw_sprites(dt, moves);
    }
    glPopMatrix();
}

// The particle field behind the credits: 500 additive sprites drifting through
// a box, fading out once they leave it and reborn at random.
#include <GL/gl.h>

#include "scenes/credits/credits.h"

namespace {

constexpr float grow_step = 0.01f;
constexpr float brighten_step = 0.01f;
constexpr float fade_step = 0.1f;

const float sprite_colour[3] = {0.4f, 0.6f, 0.8f};

float unit_rand() { return static_cast<float>(demo_rand()) * demo_rand_scale; }

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
    credits_scene.field.params = {x_min, x_range, y_min, y_range, z_min, z_range, size_min, size_max, life_min, life_max};
    for (int i = 0; i < particle_count; ++i) spawn_particle(i);
}

void spawn_particle(int index) {
    const ParticleFieldParams& f = credits_scene.field.params;
    Particle& p = credits_scene.field.particles[index];
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
    if (modulus == 0) return true;
    // Every time is a multiple of 1; and INT32_MIN % -1 would overflow.
    if (modulus == -1) return false;
    return t % modulus != 0;
}

void update_particle(int index, float dt) {
    const ParticleFieldParams& f = credits_scene.field.params;
    Particle& p = credits_scene.field.particles[index];
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

void fill_sprites(DrawList& list, const ParticleField& field, const TextureId* texture) {
    clear_draw_list(list);
    begin_batch(list, texture, {.additive = true, .normals = false});
    for (const Particle& p : field.particles) {
        SpriteCorner corners[4];
        sprite_corners(p.x, p.y, p.size, corners);
        // The corners repeat x and y after the sprite's offset, so the field
        // shows twice as wide and tall as its box while its depth is not
        // doubled. The offset is added to the corners rather than folded into
        // the matrix, where GL would round in another order: against a
        // translated sprite an edge pixel may come out one level apart.
        TexturedQuad q;
        Colour colours[4];
        for (int k = 0; k < 4; ++k) {
            q.corners[k] = {p.x + corners[k].x, p.y + corners[k].y, p.z};
            q.texcoords[k][0] = corners[k].s;
            q.texcoords[k][1] = corners[k].t;
            colours[k] = {sprite_colour[0], sprite_colour[1], sprite_colour[2], p.life};
        }
        add_coloured_quad(list, q, colours);
    }
}

void draw_particle_field(float dt, int32_t t) {
    glEnable(GL_TEXTURE_2D);
    glPushMatrix();
    load_billboard();
    if (particle_field_moves(t, credits_particle_modulus))
        for (int i = 0; i < particle_count; ++i) update_particle(i, dt);
    fill_sprites(credits_scene.sprites, credits_scene.field, &scene_textures[tex_credits_particle]);
    draw_list(credits_scene.sprites);
    glPopMatrix();
}

// Credits scene: three crew names take turns in a right-hand column while the
// roles of each slide, cross and fade in a left-hand column, over a field of
// 500 additive light-blue sprites drifting through a box in front of the eye.
//
// Unlike every other scene it moves by a fixed step per drawn frame, not by
// elapsed time: each image eases toward its target by a fraction of the
// remaining way and fades by fixed steps, and every particle moves by its
// velocity times a fixed step, so the pace follows the frame rate. Only the
// choice of phase follows the music. The sixteen image floats and the
// particles are made at start-up (reset_credits) and never reset by the show
// itself: it plays the scene once. Easing, phases, fades, spawning and the particle update
// are pure (apart from the shared rand) so they are checked without GL; the
// sprites and the columns are refilled into draw lists each frame, and the
// frame draws those lists. Its state lives in credits_scene. Needs the credits
// textures and the shared rand; music time arrives as an argument.
#pragma once

#include <cstdint>

#include "render/render.h"
#include "resources/resources.h"

// The two values of settings.ini, written once by start-up; only this scene
// reads them. credits_ease_divisor is always >= 1. credits_particle_modulus may
// be 0 (the file is the user's): the particle field then moves its particles on
// every frame and never divides by it; a negative one acts as its magnitude.
extern float credits_ease_divisor;
extern int32_t credits_particle_modulus;

// ---- The credit images ----

enum CreditImageId { credit_mirl, credit_rennic, credit_vek, credit_cod, credit_gfx, credit_mdl, credit_sync,
                     credit_zik, credit_image_count };

struct CreditImage {
    TextureSlot texture;
    float width, height;
    float start_pos;  // offset along the column; the screen height is -pos
};

// In drawing order: the three names of the right column, then the five roles of the left.
extern const CreditImage credit_images[credit_image_count];

// Each image's offset and alpha, kept for the whole run.
struct CreditState {
    float pos[credit_image_count];
    float alpha[credit_image_count];
};

// The state the show starts from: the table's offsets, every alpha 0.
CreditState credit_start_state();

// x - (x - target) / divisor in single precision.
float credit_ease(float x, float target, float divisor);

// The phase 1 ... 4 of scene-local time a (phases change at 5333, 10666, 15999).
int credit_phase(int a);

// One frame's step of every move and fade of a's phase, each ease only when
// its guard holds, each fade-in or crossing only while its guard alpha <= 1.
void advance_credits(CreditState& state, int a, float divisor);

// The columns as a chain of moves from the eye 200 units in: turned a quarter
// about x, the names at x = +150, the roles at x = -150, image k at its
// offset as part k.
constexpr int credit_move_count = 37;
void credit_moves(const CreditState& state, Move moves[credit_move_count]);

// An image's quad in the y = 0 plane, texture row 0 on the -z edge, which the
// column's turn brings to the top facing the viewer.
TexturedQuad credit_image_quad(float width, float height);

// ---- The particle field ----

struct ParticleFieldParams {
    float x_min, x_range;
    float y_min, y_range;
    float z_min, z_range;  // z runs from z_min by z_range (which may be negative)
    float size_min, size_max;
    float life_min, life_max;  // rebirth below life_min; pulled down above life_max
};

// A sprite; life is also its alpha.
struct Particle {
    float x, y, z;
    float size;
    float life;
    float vx, vy, vz;
};

constexpr int particle_count = 500;

struct ParticleField {
    ParticleFieldParams params;
    Particle particles[particle_count];
};

// Stores the ten values and spawns every particle in order (8 rand draws each).
// Called by init_credits.
void init_particle_field(float x_min, float x_range, float y_min, float y_range, float z_min,
                         float z_range, float size_min, float size_max, float life_min,
                         float life_max);

// Gives particle index new random values: eight rand draws, in the order x, y,
// z, size, life, vx, vy, vz, each scaled to 0 ... 1 on its own.
void spawn_particle(int index);

// Whether the field moves on a frame at music time t: not on exact multiples
// of the modulus (of either sign); on every frame when the modulus is 0.
bool particle_field_moves(int32_t t, int32_t modulus);

// One step of particle index: move by dt times its velocity, grow and
// brighten, fade when outside the box, too large or too bright, and respawn
// once dimmer than life_min.
void update_particle(int index, float dt);

// A sprite's corners in drawing order: texture coordinate, then vertex.
struct SpriteCorner {
    float s, t;
    float x, y;
};
void sprite_corners(float x, float y, float size, SpriteCorner corners[4]);

// The sprites' list: one additive batch with the texture, no normals, each
// sprite's corners at its place with its colour (life as alpha).
void fill_sprites(DrawList& list, const ParticleField& field, const TextureId* texture);

// ---- The scene ----

struct CreditsScene {
    CreditState images;     // advanced once per drawn frame
    ParticleField field{};  // moved once per drawn frame
    DrawList sprites{};     // refilled every frame
    DrawList columns{};     // the eight images; colours and moves refilled every frame
};
extern CreditsScene credits_scene;

// Builds the columns' list and resets the scene. Called once by start-up after
// the textures load (tests call it too).
void init_credits();
// The images back at their starting offsets, the field spawned afresh from the shared rand.
void reset_credits();

// The columns' list: image k is part k, an additive batch with its texture.
void build_credit_columns(DrawList& list);
// Each image's alpha as its corners' colour (white) and the columns' moves for the state.
void place_credit_columns(DrawList& list, const CreditState& state);

// ---- Drawing ----

// One frame of the credits at scene-local time a (1 ... 21312) and music time
// t. Called by the timeline after the frame start's 90 degree perspective;
// lighting is off.
void draw_credits(int a, int32_t t);

// Turns the sprites toward the viewer, moves the field unless t is a frozen
// frame, and draws every particle with its texture.
void draw_particle_field(float dt, int32_t t);

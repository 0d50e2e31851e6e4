// Credits scene: credit images easing and fading in two columns over a field of
// additive sprites.
#pragma once

#include <cstdint>

// The two values of settings.ini, written once by start-up; only this scene
// reads them. credits_ease_divisor is always >= 1. credits_particle_modulus may
// be 0 or negative (the file is the user's): the particle field must then move
// its particles on every frame and never divide by it.
extern float credits_ease_divisor;
extern int32_t credits_particle_modulus;

// Creates the particle field; called once by start-up after the textures load.
void init_particle_field(float x_min, float x_range, float y_min, float y_range, float z_min,
                         float z_range, float size_min, float size_max, float life_min,
                         float life_max);
// One frame of the credits at scene-local time a.
void draw_credits(int a);

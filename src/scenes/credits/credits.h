// Credits scene: credit images easing and fading in two columns over a field of
// additive sprites.
#pragma once

// Creates the particle field; called once by start-up after the textures load.
void init_particle_field(float x_min, float x_range, float y_min, float y_range, float z_min,
                         float z_range, float size_min, float size_max, float life_min,
                         float life_max);
// One frame of the credits at scene-local time a.
void draw_credits(int a);

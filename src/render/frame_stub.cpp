// Placeholder until the frame operations land.
#include "render/render.h"

void set_ortho_screen() {}
void set_perspective(float) {}
void set_perspective_short(float) {}
void fade_overlay(float, float, float, float, float) {}
void apply_light_preset(char) {}

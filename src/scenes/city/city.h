// City scene: the town of block buildings, streets and street lamps around a
// crossing, and the camera flight over it (two visits of one 21.3 s flight).
#pragma once

#include <cstdint>

// One frame of the city at scene-local time a (0 ... 21301).
void draw_city(uint32_t a);

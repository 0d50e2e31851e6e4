// Placeholder until the city lands.
#include "scenes/city/city.h"

void draw_city(uint32_t) {}

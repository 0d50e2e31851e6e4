// The demo's own rand: the classic 32-bit linear congruential generator, so the
// title jitter, the particles and the cube colours draw the same sequence on
// every machine.
#include "resources/resources.h"

static uint32_t rand_state = 1;

int demo_rand() {
    rand_state = rand_state * 214013u + 2531011u;
    return static_cast<int>((rand_state >> 16) & 0x7fff);
}

void reset_demo_rand() { rand_state = 1; }

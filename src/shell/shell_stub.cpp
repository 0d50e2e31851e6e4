// Placeholder until the shell lands.
#include "shell/shell.h"

#include <cstdio>
#include <cstdlib>

int32_t music_time = 0;
float credits_ease_divisor = 10.0f;
int32_t credits_particle_modulus = 1000;

void fatal_error(const std::string& text, const std::string& caption, int exit_status) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::exit(exit_status);
}

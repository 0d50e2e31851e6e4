#include "scenes/lattice/lattice.h"

// The cube lattice is not drawn yet.
void cube_lattice_scene(int) {}

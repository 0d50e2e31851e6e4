// Cube lattice scene: translucent, randomly coloured cubes switched on the beat
// between a zoom blur and a colour negative.
#pragma once

// One frame of the lattice at music time t.
void cube_lattice_scene(int t);

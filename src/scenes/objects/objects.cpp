#include "scenes/objects/objects.h"

// The object room is not drawn yet.
void object_scene(int) {}

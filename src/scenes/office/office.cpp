#include "scenes/office/office.h"

// The office scene is not drawn yet.
void draw_office_scene(int) {}

// Object scene: a textured room with rocking mesh sculptures and spiked balls.
#pragma once

// One frame of the object room at scene-local time a.
void object_scene(int a);

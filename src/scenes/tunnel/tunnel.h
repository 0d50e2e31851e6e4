// Tunnel scene: a flight through a tube whose ring outlines morph.
#pragma once

// One frame of the tunnel at scene-local time a.
void tunnel_scene(int a);

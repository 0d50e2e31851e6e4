#include "scenes/tunnel/tunnel.h"

// The tunnel is not drawn yet.
void tunnel_scene(int) {}

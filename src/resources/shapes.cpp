// The turned shapes the scenes build once at start-up: the street lamp's tubes
// and shade, and the sphere grids of the balls and door knobs. Every angle is a whole
// degree (round half up) so all trigonometry goes through the degree tables.
#include "resources/resources.h"

namespace {

// The whole-degree angle of step k out of steps, scaled to span degrees.
int step_angle(int k, int steps, float span) {
    return round_half_up(static_cast<float>(k) / static_cast<float>(steps) * span);
}

Vec3 ring_point(float radius, float y, int degrees) {
    return {radius * sin_deg(degrees), y, radius * cos_deg(degrees)};
}

}  // namespace

Shape build_tube_rings(float r1, float r2, float h, uint16_t n) {
    Shape rings(2 * static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) {
        int theta = step_angle(k, n, 360.0f);
        rings[k] = ring_point(r1, -h / 2, theta);
        rings[n + k] = ring_point(r2, h / 2, theta);
    }
    return rings;
}

Shape build_shell_rings(float a, float b, float c, float d, float e, uint16_t n) {
    Shape rings(4 * static_cast<size_t>(n));
    for (int k = 0; k < n; ++k) {
        int theta = step_angle(k, n, 360.0f);
        rings[k] = ring_point(a, -e / 2, theta);          // outer bottom
        rings[n + k] = ring_point(b, e / 2, theta);       // outer top
        rings[2 * n + k] = ring_point(c, -e / 2, theta);  // inner bottom
        rings[3 * n + k] = ring_point(d, e / 2, theta);   // inner top
    }
    return rings;
}

Shape build_sphere_grid(float R, uint16_t n) {
    // An odd count is rounded up so that the columns come in opposite pairs.
    int columns = n + (n & 1);
    int rows = columns / 2;
    Shape grid(static_cast<size_t>(rows) * columns);
    for (int i = 0; i < rows; ++i) {
        int phi = step_angle(i, rows, 180.0f);
        for (int j = 0; j < columns; ++j) {
            int lambda = step_angle(j, rows, 180.0f);
            grid[static_cast<size_t>(i) * columns + j] = {R * sin_deg(phi) * sin_deg(lambda), R * cos_deg(phi),
                                                          R * sin_deg(phi) * cos_deg(lambda)};
        }
    }
    return grid;
}

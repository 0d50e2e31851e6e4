// The curve evaluators and the camera-path rule. Weights are rounded to float
// before use, as the flights were tuned with.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "render/render.h"

Vec3 bezier_point(Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, float t) {
    float u = 1.0f - t;
    float w0 = static_cast<float>(std::pow(u, 3));
    float w1 = static_cast<float>(3.0 * t * std::pow(u, 2));
    float w2 = static_cast<float>(3.0 * std::pow(t, 2) * u);
    float w3 = static_cast<float>(std::pow(t, 3));
    return {w3 * p3.x + w2 * p2.x + w1 * p1.x + w0 * p0.x,
            w3 * p3.y + w2 * p2.y + w1 * p1.y + w0 * p0.y,
            w3 * p3.z + w2 * p2.z + w1 * p1.z + w0 * p0.z};
}

// The 1, 3, 9, 9, 3, 1 weights are not binomial and sum to less than one
// between the ends: that pull toward the axis is what shapes the tunnel.
Point2 profile_point(Point2 q0, Point2 q1, Point2 q2, Point2 q3, Point2 q4, Point2 q5, float t) {
    float u = 1.0f - t;
    float w0 = static_cast<float>(std::pow(u, 5));
    float w1 = static_cast<float>(3.0 * t * std::pow(u, 4));
    float w2 = static_cast<float>(9.0 * std::pow(t, 2) * std::pow(u, 3));
    float w3 = static_cast<float>(9.0 * std::pow(t, 3) * std::pow(u, 2));
    float w4 = static_cast<float>(3.0 * std::pow(t, 4) * u);
    float w5 = static_cast<float>(std::pow(t, 5));
    return {w5 * q5.x + w4 * q4.x + w3 * q3.x + w2 * q2.x + w1 * q1.x + w0 * q0.x,
            w5 * q5.y + w4 * q4.y + w3 * q3.y + w2 * q2.y + w1 * q1.y + w0 * q0.y};
}

void camera_path_update(CameraPath& path, uint32_t a) {
    for (int k = 0; k < path.segment_count; ++k) {
        uint32_t start = path.windows[k][0];
        uint32_t end = path.windows[k][1];
        if (!(start <= a && a < end)) continue;
        // long double holds the quotient closely enough that the one rounding
        // that matters is the final one to float.
        float f = static_cast<float>(static_cast<long double>(a - start) / static_cast<long double>(end - start));
        const Vec3* e = path.eye_points[k];
        const Vec3* c = path.centre_points[k];
        path.held_eye = bezier_point(e[0], e[1], e[2], e[3], f);
        path.held_centre = bezier_point(c[0], c[1], c[2], c[3], f);
    }
}

// Past the last window nothing matches and the camera holds where it was.
void camera_path_look(CameraPath& path, uint32_t a) {
    camera_path_update(path, a);
    const Vec3& eye = path.held_eye;
    const Vec3& centre = path.held_centre;
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, 0.0, 1.0, 0.0);
}

// Faces: the one normal every corner of a face carries, and the drawing path.
#include "render/render.h"

bool reference_drawing = false;

Vec3 face_normal(Vec3 a, Vec3 b, Vec3 c) {
    Vec3 n = vec3_cross(vec3_sub(b, a), vec3_sub(c, a));
    vec3_normalize(n);
    return n;
}

// Face arrays: the emitters' faces kept as corners, each with its face's
// normal, so a draw list can send them in one call or face by face.
#include "render/render.h"

namespace {

ArrayVertex corner(float s, float t, Vec3 n, Vec3 v) { return {s, t, n.x, n.y, n.z, v.x, v.y, v.z}; }

}  // namespace

void quad_corners(const Quad& q, ArrayVertex corners[4]) {
    const Vec3* c = q.corners;
    const Vec3 n = face_normal(c[0], c[1], c[2]);
    for (int k = 0; k < 4; ++k) corners[k] = corner(0, 0, n, c[k]);
}

void textured_quad_corners(const TexturedQuad& q, ArrayVertex corners[4]) {
    const Vec3* c = q.corners;
    const Vec3 n = face_normal(c[0], c[1], c[2]);
    for (int k = 0; k < 4; ++k) corners[k] = corner(q.texcoords[k][0], q.texcoords[k][1], n, c[k]);
}

void append_quad(FaceArray& array, const Quad& q) {
    ArrayVertex corners[4];
    quad_corners(q, corners);
    array.insert(array.end(), corners, corners + 4);
}

void append_textured_quad(FaceArray& array, const TexturedQuad& q) {
    ArrayVertex corners[4];
    textured_quad_corners(q, corners);
    array.insert(array.end(), corners, corners + 4);
}

void append_triangle(FaceArray& array, Vec3 a, Vec3 b, Vec3 c) {
    const Vec3 n = face_normal(a, b, c);
    for (Vec3 v : {a, b, c}) array.push_back(corner(0, 0, n, v));
}

// Face arrays: the emitters' faces kept as corners for glDrawArrays, so
// constant geometry is computed once and sent in one call instead of five
// immediate-mode calls a corner.
#include <GL/gl.h>

#include <algorithm>

#include "render/render.h"

namespace {

ArrayVertex corner(float s, float t, Vec3 n, Vec3 v) { return {s, t, n.x, n.y, n.z, v.x, v.y, v.z}; }

void draw_corners(GLenum mode, const ArrayVertex* corners, size_t count) {
    if (count == 0) return;
    glInterleavedArrays(GL_T2F_N3F_V3F, 0, corners);
    glDrawArrays(mode, 0, static_cast<GLsizei>(count));
    end_array_draws();
}

void draw_range(GLenum mode, const FaceArray& array, size_t first, size_t count) {
    if (first >= array.size()) return;
    draw_corners(mode, array.data() + first, std::min(count, array.size() - first));
}

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

void draw_quad_array(const ArrayVertex* corners, size_t count) { draw_corners(GL_QUADS, corners, count); }

void draw_triangle_array(const ArrayVertex* corners, size_t count) { draw_corners(GL_TRIANGLES, corners, count); }

void draw_quad_array(const FaceArray& array, size_t first, size_t count) { draw_range(GL_QUADS, array, first, count); }

void draw_triangle_array(const FaceArray& array, size_t first, size_t count) {
    draw_range(GL_TRIANGLES, array, first, count);
}

void begin_array_draws(const FaceArray& array) { glInterleavedArrays(GL_T2F_N3F_V3F, 0, array.data()); }

void draw_array_quads(size_t first, size_t count) {
    glDrawArrays(GL_QUADS, static_cast<GLint>(first), static_cast<GLsizei>(count));
}

void end_array_draws() {
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

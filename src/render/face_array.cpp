// Face arrays: the emitters' faces kept as corners for glDrawArrays, so
// constant geometry is computed once and sent in one call instead of five
// immediate-mode calls a corner.
#include <GL/gl.h>

#include <algorithm>

#include "render/render.h"

namespace {

void append_corner(FaceArray& array, float s, float t, Vec3 n, Vec3 v) {
    array.push_back({s, t, n.x, n.y, n.z, v.x, v.y, v.z});
}

void draw_array(GLenum mode, const FaceArray& array, size_t first, size_t count) {
    if (first >= array.size()) return;
    count = std::min(count, array.size() - first);
    if (count == 0) return;
    glInterleavedArrays(GL_T2F_N3F_V3F, 0, array.data());
    glDrawArrays(mode, static_cast<GLint>(first), static_cast<GLsizei>(count));
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

}  // namespace

void append_quad(FaceArray& array, const Quad& q) {
    const Vec3* c = q.corners;
    const Vec3 n = face_normal(c[0], c[1], c[2]);
    for (int k = 0; k < 4; ++k) append_corner(array, 0, 0, n, c[k]);
}

void append_textured_quad(FaceArray& array, const TexturedQuad& q) {
    const Vec3* c = q.corners;
    const Vec3 n = face_normal(c[0], c[1], c[2]);
    for (int k = 0; k < 4; ++k) append_corner(array, q.texcoords[k][0], q.texcoords[k][1], n, c[k]);
}

void append_triangle(FaceArray& array, Vec3 a, Vec3 b, Vec3 c) {
    const Vec3 n = face_normal(a, b, c);
    for (Vec3 v : {a, b, c}) append_corner(array, 0, 0, n, v);
}

void draw_quad_array(const FaceArray& array, size_t first, size_t count) {
    draw_array(GL_QUADS, array, first, count);
}

void draw_triangle_array(const FaceArray& array, size_t first, size_t count) {
    draw_array(GL_TRIANGLES, array, first, count);
}

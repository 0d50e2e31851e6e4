// The face emitters: one flat normal from the first three corners, then the
// corners. Callers bracket runs of faces with one glBegin/glEnd pair, so the
// emitters never open a primitive or touch any other state.
#include <GL/gl.h>

#include "render/render.h"

bool reference_drawing = false;

namespace {

void send_normal(Vec3 n) { glNormal3f(n.x, n.y, n.z); }

void send_vertex(Vec3 v) { glVertex3f(v.x, v.y, v.z); }

}  // namespace

Vec3 vec3_make(float x, float y, float z) { return {x, y, z}; }

Vec3 face_normal(Vec3 a, Vec3 b, Vec3 c) {
    Vec3 n = vec3_cross(vec3_sub(b, a), vec3_sub(c, a));
    vec3_normalize(n);
    return n;
}

void emit_triangle(Vec3 a, Vec3 b, Vec3 c) {
    send_normal(face_normal(a, b, c));
    send_vertex(a);
    send_vertex(b);
    send_vertex(c);
}

// A non-planar quad is shaded with the plane of its first three corners.
void emit_quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d) {
    send_normal(face_normal(a, b, c));
    send_vertex(a);
    send_vertex(b);
    send_vertex(c);
    send_vertex(d);
}

void emit_textured_quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, float sa, float ta, float sb, float tb,
                        float sc, float tc, float sd, float td) {
    send_normal(face_normal(a, b, c));
    glTexCoord2f(sa, ta);
    send_vertex(a);
    glTexCoord2f(sb, tb);
    send_vertex(b);
    glTexCoord2f(sc, tc);
    send_vertex(c);
    glTexCoord2f(sd, td);
    send_vertex(d);
}

void emit_plain(const Quad& q) { emit_quad(q.corners[0], q.corners[1], q.corners[2], q.corners[3]); }

void emit_textured(const TexturedQuad& q) {
    emit_textured_quad(q.corners[0], q.corners[1], q.corners[2], q.corners[3], q.texcoords[0][0],
                       q.texcoords[0][1], q.texcoords[1][0], q.texcoords[1][1], q.texcoords[2][0],
                       q.texcoords[2][1], q.texcoords[3][0], q.texcoords[3][1]);
}

// The textured box: six faces wound counter-clockwise from outside, the bound
// texture stretched once over each, t = 0 along the top edge of the side faces.
#include <GL/gl.h>

#include "render/render.h"

namespace {

// Corner signs of (hx, hy, hz) per face, corners c1 ... c4 in emission order.
const float box_corner_signs[6][4][3] = {
    {{-1, -1, +1}, {+1, -1, +1}, {+1, +1, +1}, {-1, +1, +1}},  // front, z = +hz
    {{+1, -1, -1}, {-1, -1, -1}, {-1, +1, -1}, {+1, +1, -1}},  // back, z = -hz
    {{-1, -1, -1}, {-1, -1, +1}, {-1, +1, +1}, {-1, +1, -1}},  // left, x = -hx
    {{+1, -1, +1}, {+1, -1, -1}, {+1, +1, -1}, {+1, +1, +1}},  // right, x = +hx
    {{-1, +1, +1}, {+1, +1, +1}, {+1, +1, -1}, {-1, +1, -1}},  // top, y = +hy
    {{-1, -1, -1}, {+1, -1, -1}, {+1, -1, +1}, {-1, -1, +1}},  // bottom, y = -hy
};

}  // namespace

const float box_face_texcoords[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};

void textured_box_faces(float width, float height, float depth, BoxFace faces[6]) {
    float hx = width * 0.5f;
    float hy = height * 0.5f;
    float hz = depth * 0.5f;
    for (int f = 0; f < 6; ++f) {
        for (int c = 0; c < 4; ++c) {
            const float* s = box_corner_signs[f][c];
            faces[f].corners[c] = {s[0] * hx, s[1] * hy, s[2] * hz};
        }
    }
}

void draw_textured_box(float width, float height, float depth) {
    BoxFace faces[6];
    textured_box_faces(width, height, depth, faces);
    const auto& t = box_face_texcoords;
    if (!reference_drawing) {
        ArrayVertex corners[24];
        for (int f = 0; f < 6; ++f) {
            const Vec3* c = faces[f].corners;
            const TexturedQuad q = {{c[0], c[1], c[2], c[3]},
                                    {{t[0][0], t[0][1]}, {t[1][0], t[1][1]}, {t[2][0], t[2][1]}, {t[3][0], t[3][1]}}};
            textured_quad_corners(q, corners + 4 * f);
        }
        draw_quad_array(corners, 24);
        return;
    }
    glBegin(GL_QUADS);
    for (const BoxFace& face : faces) {
        const Vec3* c = face.corners;
        emit_textured_quad(c[0], c[1], c[2], c[3], t[0][0], t[0][1], t[1][0], t[1][1], t[2][0], t[2][1], t[3][0],
                           t[3][1]);
    }
    glEnd();
}

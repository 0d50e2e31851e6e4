// The box every part of the show is built from: eight corners, six faces
// wound counter-clockwise from outside.
#include "render/render.h"

namespace {

// Corner signs c0 ... c7 of (hx, hy, hz): the +z square counter-clockwise from
// (-, -), then the -z square in the same order.
const float box_corner_signs[8][3] = {
    {-1, -1, +1}, {+1, -1, +1}, {+1, +1, +1}, {-1, +1, +1},
    {-1, -1, -1}, {+1, -1, -1}, {+1, +1, -1}, {-1, +1, -1},
};

// Faces in drawing order, corners in emission order.
const int box_face_corners[6][4] = {
    {0, 1, 2, 3},  // front, +z
    {5, 4, 7, 6},  // back, -z
    {4, 0, 3, 7},  // left, -x
    {1, 5, 6, 2},  // right, +x
    {3, 2, 6, 7},  // top, +y
    {4, 5, 1, 0},  // bottom, -y
};

}  // namespace

const float box_face_texcoords[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};

void box_faces(float width, float height, float depth, Quad faces[6]) {
    const float half[3] = {width * 0.5f, height * 0.5f, depth * 0.5f};
    for (int f = 0; f < 6; ++f) {
        for (int c = 0; c < 4; ++c) {
            const float* s = box_corner_signs[box_face_corners[f][c]];
            faces[f].corners[c] = {s[0] * half[0], s[1] * half[1], s[2] * half[2]};
        }
    }
}

void textured_box_faces(float width, float height, float depth, TexturedQuad faces[6]) {
    Quad plain[6];
    box_faces(width, height, depth, plain);
    for (int f = 0; f < 6; ++f) {
        for (int c = 0; c < 4; ++c) {
            faces[f].corners[c] = plain[f].corners[c];
            faces[f].texcoords[c][0] = box_face_texcoords[c][0];
            faces[f].texcoords[c][1] = box_face_texcoords[c][1];
        }
    }
}

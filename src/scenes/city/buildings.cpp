// The block building: a box whose facade repeats once per unit, under a plain roof.
#include "scenes/city/city.h"

void building_faces(int width, int height, int depth, TexturedQuad faces[6]) {
    Quad plain[6];
    box_faces(static_cast<float>(width), static_cast<float>(height), static_cast<float>(depth), plain);
    float w = static_cast<float>(width), h = static_cast<float>(height), d = static_cast<float>(depth);
    // (across, up) repeats of each face; t = 0, the picture's top row, at the top edge.
    const float repeats[6][2] = {{w, h}, {w, h}, {d, h}, {d, h}, {w, d}, {w, d}};
    for (int f = 0; f < 6; ++f) {
        float s = repeats[f][0], t = repeats[f][1];
        const float texcoords[4][2] = {{0, t}, {s, t}, {s, 0}, {0, 0}};
        for (int c = 0; c < 4; ++c) {
            faces[f].corners[c] = plain[f].corners[c];
            faces[f].texcoords[c][0] = texcoords[c][0];
            faces[f].texcoords[c][1] = texcoords[c][1];
        }
    }
}

Quad building_roof(int width, int height, int depth) {
    float hw = width * 0.5f, hd = depth * 0.5f;
    float y = height * 0.5f + 0.01f;
    return {{{-hw, y, -hd}, {-hw, y, +hd}, {+hw, y, +hd}, {+hw, y, -hd}}};
}

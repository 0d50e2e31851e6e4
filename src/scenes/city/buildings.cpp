// The block building: a box whose facade repeats once per unit, under a plain roof.
#include <GL/gl.h>

#include "scenes/city/city.h"

// Corner indices of each face in emission order (front, back, left, right,
// top, bottom); every face is counter-clockwise seen from outside.
static const int building_face_corners[6][4] = {
    {0, 1, 2, 3},
    {5, 4, 7, 6},
    {4, 0, 3, 7},
    {1, 5, 6, 2},
    {3, 2, 6, 7},
    {4, 5, 1, 0},
};

void building_faces(int width, int height, int depth, TexturedQuad faces[6]) {
    float hw = width * 0.5f, hh = height * 0.5f, hd = depth * 0.5f;
    const Vec3 corners[8] = {
        {-hw, -hh, +hd}, {+hw, -hh, +hd}, {+hw, +hh, +hd}, {-hw, +hh, +hd},
        {-hw, -hh, -hd}, {+hw, -hh, -hd}, {+hw, +hh, -hd}, {-hw, +hh, -hd},
    };
    float w = static_cast<float>(width), h = static_cast<float>(height), d = static_cast<float>(depth);
    // (across, up) repeats of each face; t = 0, the picture's top row, at the top edge.
    const float repeats[6][2] = {{w, h}, {w, h}, {d, h}, {d, h}, {w, d}, {w, d}};
    for (int f = 0; f < 6; ++f) {
        float s = repeats[f][0], t = repeats[f][1];
        const float texcoords[4][2] = {{0, t}, {s, t}, {s, 0}, {0, 0}};
        for (int c = 0; c < 4; ++c) {
            faces[f].corners[c] = corners[building_face_corners[f][c]];
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

void draw_building(int width, int height, int depth) {
    TexturedQuad faces[6];
    building_faces(width, height, depth, faces);
    if (!reference_drawing) {
        ArrayVertex corners[28];
        for (int f = 0; f < 6; ++f) textured_quad_corners(faces[f], corners + 4 * f);
        quad_corners(building_roof(width, height, depth), corners + 24);
        draw_quad_array(corners, 24);
        glDisable(GL_TEXTURE_2D);
        draw_quad_array(corners + 24, 4);
        glEnable(GL_TEXTURE_2D);
        return;
    }
    glBegin(GL_QUADS);
    for (const TexturedQuad& q : faces) emit_textured(q);
    glEnd();

    // The roof hides the textured top face from the camera above.
    Quad roof = building_roof(width, height, depth);
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    emit_plain(roof);
    glEnd();
    glEnable(GL_TEXTURE_2D);
}

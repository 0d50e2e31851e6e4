#include <gtest/gtest.h>

#include "render/render.h"

namespace {

void expect_point(Vec3 p, Vec3 expected) {
    EXPECT_EQ(p.x, expected.x);
    EXPECT_EQ(p.y, expected.y);
    EXPECT_EQ(p.z, expected.z);
}

}  // namespace

TEST(TexturedBox, FacesOfATwoUnitCubeInEmissionOrder) {
    const struct {
        const char* name;
        Vec3 corners[4];
        Vec3 normal;
    } expected[6] = {
        {"front", {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}}, {0, 0, 1}},
        {"back", {{1, -1, -1}, {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}}, {0, 0, -1}},
        {"left", {{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}}, {-1, 0, 0}},
        {"right", {{1, -1, 1}, {1, -1, -1}, {1, 1, -1}, {1, 1, 1}}, {1, 0, 0}},
        {"top", {{-1, 1, 1}, {1, 1, 1}, {1, 1, -1}, {-1, 1, -1}}, {0, 1, 0}},
        {"bottom", {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}}, {0, -1, 0}},
    };
    Quad faces[6];
    box_faces(2, 2, 2, faces);
    for (int f = 0; f < 6; ++f) {
        SCOPED_TRACE(expected[f].name);
        for (int c = 0; c < 4; ++c) expect_point(faces[f].corners[c], expected[f].corners[c]);
        const Vec3* c = faces[f].corners;
        expect_point(face_normal(c[0], c[1], c[2]), expected[f].normal);
    }
}

TEST(TexturedBox, HalfExtentsFollowEachAxis) {
    Quad faces[6];
    box_faces(1, 2, 0.05f, faces);  // an office door leaf
    expect_point(faces[0].corners[0], {-0.5f, -1.0f, 0.025f});
    expect_point(faces[0].corners[2], {0.5f, 1.0f, 0.025f});
    expect_point(faces[1].corners[0], {0.5f, -1.0f, -0.025f});
}

// Side faces show the picture upright: the first two corners (t = 1) are at the
// bottom and the last two (t = 0) at the top.
TEST(TexturedBox, SideFacesCarryThePictureUpright) {
    Quad faces[6];
    box_faces(3, 0.75f, 0.05f, faces);
    for (int f = 0; f < 4; ++f) {
        SCOPED_TRACE(f);
        for (int c = 0; c < 4; ++c) {
            float t = box_face_texcoords[c][1];
            EXPECT_EQ(faces[f].corners[c].y, t == 1.0f ? -0.375f : 0.375f);
        }
    }
}

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "render/render.h"
#include "resources/resources.h"
#include "scenes/lattice/lattice.h"
#include "support/vec_checks.h"

TEST(LatticeLayout, CoordinatesStepFourBelowZeroAndThreeAbove) {
    const int expected[] = {-30, -26, -22, -18, -14, -10, -6, -2, 1, 4, 7, 10, 13, 16, 19, 22, 25, 28};
    ASSERT_EQ(lattice_coordinates.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(lattice_coordinates[i], expected[i]) << i;
}

TEST(LatticeBeat, SwitchesBetweenNegativeAndBlurAtTheBeatPhases) {
    struct Case {
        int music_time;
        int phase;
        bool blurred;
    };
    const Case cases[] = {
        {87997, 19, false},   // the scene's first frame
        {88142, 164, false},
        {88143, 165, true},   // the first blurred frame
        {88643, 665, true},
        {88644, 666, false},
        {89310, 1332, false},
        {89311, 0, false},
        {109311, 5, false},   // the scene's last frame
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.music_time);
        EXPECT_EQ(lattice_beat_phase(c.music_time), c.phase);
        EXPECT_EQ(lattice_phase_blurred(c.phase), c.blurred);
    }
}

TEST(LatticeMotion, DriftsThenTurnsAboutTheDiagonal) {
    struct Case {
        int a;
        Vec3 drift;   // where the lattice origin lands
        Vec3 x_axis;  // where the lattice's +x direction points
    };
    // A third of a turn about (1, 1, 1) carries x to y, two thirds carry it to z.
    const Case cases[] = {
        {0, {0, 0, 0}, {1, 0, 0}},
        {2400, {-9.055784f, 9.129460f, -9.880316f}, {0, 1, 0}},
        {4800, {-7.682547f, 7.451106f, -3.048106f}, {0, 0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a);
        Move moves[2];
        lattice_motion_moves(c.a, moves);
        const Placement p = replay_moves(moves, 2, nullptr);
        expect_near_vec(placement_point(p, {0, 0, 0}), c.drift, 1e-3f, "origin");
        expect_near_vec(placement_direction(p, {1, 0, 0}), c.x_axis, 1e-4f, "x axis");
        expect_near_vec(placement_direction(p, {0.57735f, 0.57735f, 0.57735f}), {0.57735f, 0.57735f, 0.57735f},
                        1e-4f, "the diagonal stays put");
    }
}

TEST(LatticeColour, DrawsBlueThenGreenThenRedFromTheSharedSequence) {
    DrawList cubes;
    build_lattice_cubes(cubes);
    reset_demo_rand();  // the sequence starts 41, 18467, 6334, 26500, 19169, 15724
    colour_lattice_cubes(cubes);
    const float scale = 3.0518509e-05f;
    // Every corner of a cube takes the cube's colour.
    const Colour first = cubes.colours[23];
    const Colour second = cubes.colours[24];
    EXPECT_FLOAT_EQ(first.b, 41 * scale);
    EXPECT_FLOAT_EQ(first.g, 18467 * scale);
    EXPECT_FLOAT_EQ(first.r, 6334 * scale);
    EXPECT_FLOAT_EQ(first.a, 0.03f);
    EXPECT_FLOAT_EQ(second.b, 26500 * scale);
    EXPECT_FLOAT_EQ(second.r, 15724 * scale);
    reset_demo_rand();
}

TEST(LatticeCubes, EveryCubeStandsAtItsCoordinatesInXThenYThenZOrder) {
    DrawList cubes;
    build_lattice_cubes(cubes);
    ASSERT_EQ(cubes.batches.size(), 1u);
    EXPECT_TRUE(cubes.batches[0].state.additive);
    EXPECT_TRUE(cubes.batches[0].state.untextured);
    ASSERT_EQ(cubes.corners.size(), 24u * 18 * 18 * 18);
    const auto& c = lattice_coordinates;
    const struct {
        size_t cube;
        Vec3 centre;
    } cases[] = {
        {0, {-30, -30, -30}}, {1, {-30, -30, -26}}, {18, {-30, -26, -30}}, {324, {-26, -30, -30}},
        {5831, {28, 28, 28}}, {18 * 18 * 8 + 18 * 8 + 8, {float(c[8]), float(c[8]), float(c[8])}},
    };
    for (const auto& k : cases) {
        Vec3 low = {1e9f, 1e9f, 1e9f}, high = {-1e9f, -1e9f, -1e9f};
        for (size_t i = 24 * k.cube; i < 24 * k.cube + 24; ++i) {
            const ArrayVertex& v = cubes.corners[i];
            low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
            high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
        }
        const Vec3 l = {k.centre.x - 1.75f, k.centre.y - 1.75f, k.centre.z - 1.75f};
        const Vec3 h = {k.centre.x + 1.75f, k.centre.y + 1.75f, k.centre.z + 1.75f};
        expect_near_vec(low, l, 0, "low corner");
        expect_near_vec(high, h, 0, "high corner");
    }
}

TEST(LatticeBox, FacesLieOnTheirSidesAndFaceOutwardInOrder) {
    // Unequal extents, so a face on the wrong axis shows.
    Quad faces[6];
    box_faces(2, 4, 6, faces);
    struct Side {
        Vec3 normal;
        float distance;  // from the centre to the face
    };
    const Side sides[6] = {
        {{0, 0, 1}, 3}, {{0, 0, -1}, 3}, {{-1, 0, 0}, 1}, {{1, 0, 0}, 1}, {{0, 1, 0}, 2}, {{0, -1, 0}, 2},
    };
    for (int f = 0; f < 6; ++f) {
        SCOPED_TRACE(f);
        const Vec3* c = faces[f].corners;
        // Both halves of the quad face the same way, so the corners go round, not across.
        expect_near_vec(face_normal(c[0], c[1], c[2]), sides[f].normal, 1e-6f, "first half");
        expect_near_vec(face_normal(c[2], c[3], c[0]), sides[f].normal, 1e-6f, "second half");
        for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(dot(c[k], sides[f].normal), sides[f].distance) << k;
    }
}

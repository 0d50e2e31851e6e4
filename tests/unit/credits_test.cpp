// The credits' moves, fades, columns and particle field, without GL.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "render/render.h"
#include "resources/resources.h"
#include "scenes/credits/credits.h"

namespace {


// The rand values at positions 1 and 9 of the fresh sequence.
constexpr int first_rand = 41;
constexpr int ninth_rand = 26962;

}  // namespace

TEST(CreditEase, DivisorTenCoversNinetyPercentIn22StepsAndOneArrivesAtOnce) {
    float x = -150;
    for (int step = 1; step <= 22; ++step) {
        x = credit_ease(x, 0, 10);
        if (step == 21) {
            EXPECT_LT(x, -15) << "not yet 90% after 21 steps";
        }
    }
    EXPECT_GE(x, -15);
    EXPECT_EQ(credit_ease(-150, 75, 1), 75);
    EXPECT_EQ(credit_ease(120, 0, 1), 0);
}

TEST(CreditPhases, ChangeAtTheirFirstMillisecond) {
    const int rows[][2] = {{1, 1},     {5332, 1},  {5333, 2},  {10665, 2},
                           {10666, 3}, {15998, 3}, {15999, 4}, {21312, 4}};
    for (const auto& row : rows) EXPECT_EQ(credit_phase(row[0]), row[1]) << "a = " << row[0];
}

TEST(CreditPhases, EaseOnlyWhileItsGuardHolds) {
    struct Row {
        int a;
        CreditImageId image;
        float from, to;
    };
    // Guards that read < or > leave an image on the far side of its target alone.
    const Row rows[] = {
        {1, credit_mirl, -120, -108},   {1, credit_zik, -80, -79.5f},  // != guards move from either side
        {6000, credit_gfx, -100, -90},  {6000, credit_gfx, 10, 10},
        {6000, credit_cod, 80, 80},     {6000, credit_sync, -80, -80},
        {6000, credit_rennic, -5, -5},  {6000, credit_rennic, 120, 108},
        {12000, credit_cod, 10, 9},     {12000, credit_gfx, 80, 80},
        {12000, credit_mdl, -80, -80},  {12000, credit_vek, 5, 5},
        {12000, credit_vek, -120, -108}, {16000, credit_vek, -50, -50},  // phase 4 moves nothing
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "a " << row.a << " image " << row.image << " from " << row.from);
        CreditState s = credit_start_state();
        s.pos[row.image] = row.from;
        advance_credits(s, row.a, 10);
        EXPECT_FLOAT_EQ(s.pos[row.image], row.to);
    }
}

// The whole scene played frame by frame at 60 frames per second.
TEST(CreditPhases, PlayedThroughEveryImageEndsInItsLastPlace) {
    struct Checkpoint {
        int a;  // the last frame played
        float pos[credit_image_count];
        float alpha[credit_image_count];
    };
    // mirl, rennic, vek, cod, gfx, mdl, sync, zik
    const Checkpoint checkpoints[] = {
        {5332, {0, 120, -120, -150, -75, 0, 75, -75}, {1, 0, 0, 0, 0, 0, 1, 1}},
        {10665, {0, 0, -120, 75, 0, 0, -75, -75}, {0, 1, 0, 1, 1, 0, 1, 0}},
        {15998, {0, 0, 0, 0, 75, -75, -75, -75}, {0, 0, 1, 1, 1, 1, 0, 0}},
    };
    CreditState s = credit_start_state();
    int a = 1;
    for (const Checkpoint& c : checkpoints) {
        for (; a <= c.a; a += 16) advance_credits(s, a, 10);
        for (int k = 0; k < credit_image_count; ++k) {
            SCOPED_TRACE(testing::Message() << "a " << c.a << " image " << k);
            EXPECT_NEAR(s.pos[k], c.pos[k], 1e-3);
            EXPECT_NEAR(s.alpha[k], c.alpha[k], 1e-5);
        }
        // Twenty steps of 0.05 end just above 1, where the fade's guard stops it.
        if (c.a == 5332) {
            EXPECT_EQ(s.alpha[credit_mirl], 1.0000001f);
        }
    }
    // Phase 4 keeps fading the last four by 0.03 a frame, far below 0.
    CreditState before = s;
    advance_credits(s, a, 10);
    for (CreditImageId id : {credit_vek, credit_mdl, credit_gfx, credit_cod})
        EXPECT_FLOAT_EQ(s.alpha[id], before.alpha[id] - 0.03f) << id;
    for (; a <= 21312; a += 16) advance_credits(s, a, 10);
    for (CreditImageId id : {credit_vek, credit_mdl, credit_gfx, credit_cod}) EXPECT_LT(s.alpha[id], -5) << id;
}

TEST(CreditColumns, ImagesStandUprightFacingTheViewerInTheirColumns) {
    struct Row {
        CreditImageId image;
        Vec3 centre;  // in eye space; the screen height is minus the offset
    };
    const Row rows[] = {
        {credit_mirl, {150, 120, -200}}, {credit_rennic, {150, -120, -200}}, {credit_vek, {150, 120, -200}},
        {credit_cod, {-150, 150, -200}}, {credit_gfx, {-150, 75, -200}},     {credit_mdl, {-150, 0, -200}},
        {credit_sync, {-150, 75, -200}}, {credit_zik, {-150, -150, -200}},
    };
    Move moves[credit_move_count + 1];
    moves[0] = translate_move(0, 0, -200);
    credit_moves(credit_start_state(), moves + 1);
    std::vector<Placement> parts;
    Placement after = replay_moves(moves, credit_move_count + 1, &parts);
    ASSERT_EQ(parts.size(), size_t(credit_image_count));
    EXPECT_FLOAT_EQ(after.m[14], -200) << "every push popped";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.image);
        const CreditImage& image = credit_images[row.image];
        const Placement& p = parts[row.image];
        Vec3 centre = placement_point(p, {0, 0, 0});
        EXPECT_NEAR(centre.x, row.centre.x, 1e-3);
        EXPECT_NEAR(centre.y, row.centre.y, 1e-3);
        EXPECT_NEAR(centre.z, row.centre.z, 1e-3);
        TexturedQuad q = credit_image_quad(image.width, image.height);
        Vec3 c[4];
        for (int k = 0; k < 4; ++k) c[k] = placement_point(p, q.corners[k]);
        EXPECT_GT(face_normal(c[0], c[1], c[2]).z, 0.999f) << "counter-clockwise toward the eye";
        for (int k = 0; k < 4; ++k) {
            EXPECT_NEAR(c[k].z, -200, 1e-3);
            // Texture row 0, the picture's top, on the upper edge; s = 0 on the left.
            EXPECT_NEAR(c[k].y - centre.y, q.texcoords[k][1] == 0 ? image.height / 2 : -image.height / 2, 1e-3);
            EXPECT_NEAR(c[k].x - centre.x, q.texcoords[k][0] == 0 ? -image.width / 2 : image.width / 2, 1e-3);
        }
    }
}

TEST(ParticleField, SpawnDrawsEightValuesInOrder) {
    reset_demo_rand();
    reset_credits();
    reset_demo_rand();
    spawn_particle(3);
    EXPECT_EQ(demo_rand(), ninth_rand) << "the ninth value belongs to the next particle";
    const Particle& p = credits_scene.field.particles[3];
    const float expected[8] = {-74.8123093f, 9.53780365f, 46.004364f, 64.7948685f,
                               0.743510306f, -3.01904297f, -22.4562798f, -59.3943634f};
    const float got[8] = {p.x, p.y, p.z, p.size, p.life, p.vx, p.vy, p.vz};
    for (int k = 0; k < 8; ++k) EXPECT_FLOAT_EQ(got[k], expected[k]) << "value " << k;
}

TEST(ParticleField, FadesOutsideTheBoxAndIsRebornBelowLifeMin) {
    struct Row {
        const char* name;
        Particle p;  // at rest, so its place stays where the row puts it
        float life;  // after one step, unless reborn
        bool reborn;
    };
    const Row rows[] = {
        {"x at the upper bound", {75, 0, 0, 10, 0.5f, 0, 0, 0}, 0.51f, false},
        {"x past it", {75.0001f, 0, 0, 10, 0.5f, 0, 0, 0}, 0.41f, false},
        {"x past the lower bound", {-75.0001f, 0, 0, 10, 0.5f, 0, 0, 0}, 0.41f, false},
        {"y past the upper bound", {0, 75.0001f, 0, 10, 0.5f, 0, 0, 0}, 0.41f, false},
        {"z at z_min", {0, 0, 75, 10, 0.5f, 0, 0, 0}, 0.51f, false},
        {"z past z_min", {0, 0, 75.0001f, 10, 0.5f, 0, 0, 0}, 0.41f, false},
        {"z at z_min + z_range", {0, 0, -75, 10, 0.5f, 0, 0, 0}, 0.51f, false},
        {"z past it", {0, 0, -75.0001f, 10, 0.5f, 0, 0, 0}, 0.41f, false},
        {"too small", {0, 0, 0, 0.48f, 0.5f, 0, 0, 0}, 0.41f, false},
        {"too large", {0, 0, 0, 80, 0.5f, 0, 0, 0}, 0.41f, false},
        {"too bright", {0, 0, 0, 10, 1.2f, 0, 0, 0}, 1.11f, false},
        {"lands on life_min inside", {0, 0, 0, 10, 0.09f, 0, 0, 0}, 0.1f, false},
        {"lands on life_min outside", {80, 0, 0, 10, 0.19f, 0, 0, 0}, 0.1f, false},
        {"falls below life_min", {80, 0, 0, 10, 0.15f, 0, 0, 0}, 0, true},
    };
    reset_credits();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        credits_scene.field.particles[0] = row.p;
        reset_demo_rand();
        update_particle(0, 0.02f);
        EXPECT_EQ(demo_rand(), row.reborn ? ninth_rand : first_rand);
        if (row.reborn) {
            EXPECT_FLOAT_EQ(credits_scene.field.particles[0].x, -74.8123093f);
        } else {
            EXPECT_FLOAT_EQ(credits_scene.field.particles[0].life, row.life);
            EXPECT_FLOAT_EQ(credits_scene.field.particles[0].size, row.p.size + 0.01f);
        }
    }
    // A moving sprite travels dt times its velocity.
    credits_scene.field.particles[1] = {10, 20, 30, 10, 0.5f, 50, -25, 10};
    update_particle(1, 0.02f);
    EXPECT_FLOAT_EQ(credits_scene.field.particles[1].x, 11);
    EXPECT_FLOAT_EQ(credits_scene.field.particles[1].y, 19.5f);
    EXPECT_FLOAT_EQ(credits_scene.field.particles[1].z, 30.2f);
}

TEST(ParticleField, FrozenOnlyOnMultiplesOfTheModulus) {
    struct Row {
        int32_t t, modulus;
        bool moves;
    };
    const Row rows[] = {
        {1000, 2, false}, {1001, 2, true}, {-4, 2, false}, {35000, 1000, false}, {35001, 1000, true},
        {5, 1, false},    {7, 0, true},    {6, -3, false}, {7, -3, true}, {INT32_MIN, -1, false}, {0, 0, true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(particle_field_moves(row.t, row.modulus), row.moves) << row.t << " rem " << row.modulus;
}

TEST(ParticleField, SpriteCornersRepeatThePlaceSoTheFieldShowsDoubled) {
    ParticleField field{};
    field.particles[0] = {10, -20, 30, 5, 1, 0, 0, 0};
    DrawList sprites;
    fill_sprites(sprites, field, nullptr);
    ASSERT_EQ(sprites.corners.size(), 4u * particle_count);
    EXPECT_FALSE(sprites.batches[0].state.normals);
    const Move eye = translate_move(0, 0, -200);
    const Placement placement = replay_moves(&eye, 1, nullptr);
    for (int k = 0; k < 4; ++k) {
        const ArrayVertex& c = sprites.corners[k];
        Vec3 at = placement_point(placement, {c.x, c.y, c.z});
        EXPECT_FLOAT_EQ(at.z, -170);
        // The top-right corner at (2x, 2y); texture row 0 along the top edge.
        EXPECT_FLOAT_EQ(at.x, c.s == 1 ? 20 : 15);
        EXPECT_FLOAT_EQ(at.y, c.t == 0 ? -40 : -45);
        EXPECT_FLOAT_EQ(sprites.colours[k].a, 1) << "the life is the alpha";
    }
}

// The object room as data: its rocking, its camera sweep, its faces and where
// the sculptures and balls stand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "render/render.h"
#include "resources/resources.h"
#include "scenes/objects/objects.h"
#include "support/vec_checks.h"

namespace {

bool inside_room(Vec3 p) { return std::fabs(p.x) < 6 && std::fabs(p.y) < 3 && std::fabs(p.z) < 6; }

std::vector<Placement> replay_parts(const Move* moves, int count, Placement* end = nullptr) {
    std::vector<Placement> parts;
    Placement last = replay_moves(moves, count, &parts);
    if (end) *end = last;
    return parts;
}

void expect_identity(const Placement& p) {
    const Placement id = placement_identity();
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(p.m[i], id.m[i], 1e-6f) << i;
}

std::vector<Vec3> ball_centres() {
    std::vector<Vec3> centres;
    for (const Placement& p : replay_parts(ball_moves, ball_move_count)) centres.push_back(placement_point(p, {0, 0, 0}));
    return centres;
}

class ObjectRoom : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        build_angle_tables();
        init_objects();
    }
};

}  // namespace

TEST_F(ObjectRoom, SculpturesRockWithTheTruncatedPhaseOfMusicTime) {
    const struct {
        int32_t t;
        float degrees;
    } cases[] = {
        {130625, 139.886f},  // the scene's first frame: phase 6531.25, 51 degrees past a turn
        {30, 3.1414f},       // phase 1.5 truncates to 1, not 2
        {7199, -3.1414f},    // 359.95: the last degree before the first wrap
        {7200, 0},           // 360 wraps to 0
        {7220, 3.1414f},     // 361
        {9000, 180},         // 450: the far end of the rock
        {14400, 0},          // 720
        {14420, 3.1414f},    // 721
    };
    for (const auto& c : cases) EXPECT_NEAR(sculpture_rock_degrees(c.t), c.degrees, 2e-3f) << c.t;
}

TEST_F(ObjectRoom, CameraSweepsThroughTheRoomWithoutJumping) {
    const struct {
        uint32_t a;
        Vec3 eye, centre;
        float tolerance;
    } cases[] = {
        {1, {5.9f, 2.3f, 5.7f}, {0, 0.8f, 0}, 0.01f},
        {10657, {-5.4f, 2.4f, 5.6f}, {-1.3f, -0.5f, 0.2f}, 0.01f},
        {10658, {-5.4f, 2.4f, 5.6f}, {-1.3f, -0.5f, 0.2f}, 1e-5f},  // segment 1 starts at f = 0
        {21316, {5.9f, 1.7f, -4}, {3, 1.1f, -4}, 0.01f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.a);
        camera_path_update(objects_scene.camera, c.a);
        expect_near_vec(objects_scene.camera.held_eye, c.eye, c.tolerance, "eye");
        expect_near_vec(objects_scene.camera.held_centre, c.centre, c.tolerance, "centre");
    }
    // Every local time the timeline hands over has a window, and the eye never leaves the room.
    for (uint32_t a = 1; a <= 21316; ++a) {
        const Vec3 before = objects_scene.camera.held_eye;
        objects_scene.camera.held_eye = {100, 100, 100};
        camera_path_update(objects_scene.camera, a);
        ASSERT_TRUE(inside_room(objects_scene.camera.held_eye)) << a;
        if (a > 1) {
            ASSERT_LT(distance(before, objects_scene.camera.held_eye), 0.01f) << a;
        }
    }
}

TEST_F(ObjectRoom, FacesLineTheRoomInOrderFacingIn) {
    // Floor, ceiling, walls x = -6, x = 6, z = -6, z = 6: the middle of each.
    const Vec3 middles[6] = {{0, -3, 0}, {0, 3, 0}, {-6, 0, 0}, {6, 0, 0}, {0, 0, -6}, {0, 0, 6}};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const Vec3* c = object_room_faces[i].corners;
        const Vec3 middle = {(c[0].x + c[2].x) / 2, (c[0].y + c[2].y) / 2, (c[0].z + c[2].z) / 2};
        expect_near_vec(middle, middles[i], 1e-6f, "middle");
        const float size = std::sqrt(dot(middles[i], middles[i]));
        const Vec3 inward = {-middles[i].x / size, -middles[i].y / size, -middles[i].z / size};
        expect_near_vec(face_normal(c[0], c[1], c[2]), inward, 1e-6f, "normal");
    }
}

TEST_F(ObjectRoom, SculpturesHangInAThreeByThreeGridTurnedAboutTheDiagonal) {
    Placement end;
    const auto moves = sculpture_grid_moves(120);
    const std::vector<Placement> parts = replay_parts(moves.data(), sculpture_grid_move_count, &end);
    ASSERT_EQ(parts.size(), 9u);
    for (int n = 0; n < 9; ++n) {
        SCOPED_TRACE(n);
        const float x = 4.0f * static_cast<float>(n % 3 - 1), z = 4.0f * static_cast<float>(n / 3 - 1);
        expect_near_vec(placement_point(parts[n], {0, 0, 0}), {x, 0.5f, z}, 1e-5f, "centre");
        // A third of a turn about (1, 1, 1) carries x onto y.
        expect_near_vec(placement_direction(parts[n], {1, 0, 0}), {0, 1, 0}, 1e-5f, "turn");
    }
    expect_identity(end);

    // Inside one sculpture: the body's +z end hangs down, the arm's twin reaches
    // the other way, and the matrix comes back as it was found.
    const std::vector<Placement> inner = replay_parts(sculpture_moves, sculpture_move_count, &end);
    ASSERT_EQ(inner.size(), 3u);
    expect_near_vec(placement_direction(inner[0], {0, 0, 1}), {0, -1, 0}, 1e-6f, "body");
    expect_near_vec(placement_direction(inner[1], {1, 0, 0}), {1, 0, 0}, 1e-6f, "arm");
    expect_near_vec(placement_direction(inner[2], {1, 0, 0}), {-1, 0, 0}, 1e-6f, "twin");
    expect_identity(end);
}

TEST_F(ObjectRoom, BallsStandInTheGapsWithSpikesAtTopAndBottom) {
    const std::vector<Vec3> centres = ball_centres();
    const Vec3 expected[4] = {{-2, 0.5f, -2}, {2, 0.5f, -2}, {2, 0.5f, 2}, {-2, 0.5f, 2}};
    ASSERT_EQ(centres.size(), 4u);
    for (int b = 0; b < 4; ++b) expect_near_vec(centres[b], expected[b], 1e-6f, "ball");

    // The ball at (2, 0.5, 2) as drawn: spikes 1.0 above and below its centre.
    std::vector<TexturedQuad> quads;
    ASSERT_TRUE(grid_sphere_quads(ball_sphere_grid, ball_pole_distance, ball_segments, &quads));
    float top = -10, bottom = 10;
    for (const TexturedQuad& q : quads)
        for (Vec3 c : q.corners) top = std::max(top, c.y + centres[2].y), bottom = std::min(bottom, c.y + centres[2].y);
    EXPECT_FLOAT_EQ(top, 1.5f);
    EXPECT_FLOAT_EQ(bottom, -0.5f);
}

// The default meshes as the show loads them, in the room's list as drawn at
// every angle of the rock: they must stay inside the room and clear of the balls' spikes.
TEST_F(ObjectRoom, DefaultSculpturesFitBetweenTheWallsAndTheBalls) {
    std::string error;
    ASSERT_TRUE(load_mesh(campfer_mesh_file, &campfer_mesh, &error)) << error;
    ASSERT_TRUE(load_mesh(hose_mesh_file, &hose_mesh, &error)) << error;
    DrawList room;
    build_object_room(room);
    const std::vector<Vec3> balls = ball_centres();
    float nearest_ball = 100;
    size_t corners = 0;
    for (int degrees = -180; degrees <= 180; degrees += 15) {
        place_object_room(room, static_cast<float>(degrees));
        for (const PlacedBatch& placed : placed_batches(room)) {
            if (placed.batch->primitive != Primitive::triangles) continue;  // the sculptures' meshes
            for (Vec3 p : placed_corners(room, placed)) {
                ASSERT_TRUE(inside_room(p)) << degrees;
                for (Vec3 b : balls) nearest_ball = std::min(nearest_ball, distance(p, b));
                ++corners;
            }
        }
    }
    // Nine sculptures, each its body once and its arm twice, at 25 angles.
    EXPECT_EQ(corners, 25u * 9 * 3 * (size_t(campfer_mesh.face_count) + 2 * size_t(hose_mesh.face_count)));
    EXPECT_GT(nearest_ball, ball_pole_distance);
}

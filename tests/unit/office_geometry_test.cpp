#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render/render.h"
#include "resources/resources.h"
#include "scenes/office/office.h"
#include "support/vec_checks.h"

namespace {

constexpr float tight = 1e-4f;

// Every turn along the outline goes the same way round the face's normal.
bool convex(const Vec3 c[4]) {
    Vec3 n = normal_of(c);
    for (int i = 0; i < 4; ++i) {
        Vec3 e1 = vec3_sub(c[(i + 1) % 4], c[i]);
        Vec3 e2 = vec3_sub(c[(i + 2) % 4], c[(i + 1) % 4]);
        if (dot(vec3_cross(e1, e2), n) <= 0) return false;
    }
    return true;
}

// The placements of the building chain's parts, in drawing order (24 doors, 3 storeys).
std::vector<Placement> building_parts() {
    const std::vector<Move>& moves = office_building_moves();
    std::vector<Placement> parts;
    replay_moves(moves.data(), static_cast<int>(moves.size()), &parts);
    return parts;
}

std::vector<Placement> part_placements(const Move* moves, int count) {
    std::vector<Placement> parts;
    replay_moves(moves, count, &parts);
    return parts;
}

// A face of the building placed in the middle storey's frame.
struct Face {
    Vec3 c[4];
};

// Whether the open segment from a to b passes through the face.
bool crosses(const Face& f, Vec3 a, Vec3 b) {
    Vec3 n = normal_of(f.c);
    float da = dot(n, vec3_sub(a, f.c[0])), db = dot(n, vec3_sub(b, f.c[0]));
    if (std::fabs(da) < 1e-4f || std::fabs(db) < 1e-4f || (da > 0) == (db > 0)) return false;
    Vec3 hit = add(a, scale(vec3_sub(b, a), da / (da - db)));
    for (int i = 0; i < 4; ++i) {
        Vec3 edge = vec3_sub(f.c[(i + 1) % 4], f.c[i]);
        if (dot(vec3_cross(edge, vec3_sub(hit, f.c[i])), n) < -1e-5f) return false;
    }
    return true;
}

}  // namespace

TEST(OfficeCamera, FlightPassesItsKeyPointsAndHoldsAfterTheEnd) {
    struct Case {
        uint32_t a;
        Vec3 eye, centre;
        float tolerance;
    };
    const Case cases[] = {
        {0, {6, 2, 7}, {6, 1, 0}, tight},                          // far end of the hall
        {6599, {5.5f, 2, -5}, {6.5f, 1.9f, -8.7f}, 0.01f},         // facing door 1
        {6600, {5.5f, 2, -5}, {6.5f, 1.9f, -8.7f}, tight},         // the climb starts where the zoom ended
        {8000, {5, 5.6f, -2.1f}, {5.6f, 4.1f, -6.6f}, tight},      // arrived on the storey above
        {21313, {-15.6f, 5.2f, -7}, {-17.3f, 5.3f, -7}, 0.01f},    // last frame inside the path
        {23993, {-15.6f, 5.2f, -7}, {-17.3f, 5.3f, -7}, 0.01f},    // held still while the view closes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a);
        camera_path_update(office_scene.camera, c.a);
        expect_near_vec(office_scene.camera.held_eye, c.eye, c.tolerance, "eye");
        expect_near_vec(office_scene.camera.held_centre, c.centre, c.tolerance, "centre");
    }
}

TEST(OfficeCamera, FieldOfViewZoomsOnDoorOneAndClosesToATelephoto) {
    struct Case {
        int32_t a;
        bool sets;
        float fov;
    };
    const Case cases[] = {
        {5399, false, 0}, {5400, true, 90}, {5600, true, 60}, {5800, true, 30}, {6000, true, 30},
        {6200, true, 30}, {6400, true, 60}, {6600, true, 90}, {6601, false, 0}, {21313, false, 0},
        {21314, true, 90}, {22000, true, 90 - 686 * 0.00025119318f * 170}, {23375, true, 2}, {23993, true, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a);
        float fov = -1;
        EXPECT_EQ(office_field_of_view(c.a, &fov), c.sets);
        if (c.sets) {
            EXPECT_NEAR(fov, c.fov, 0.02f);
        }
    }
    // The darkening: nothing at its start, about two thirds at the scene's last millisecond.
    EXPECT_EQ(office_closing_progress(21314), 0.0f);
    EXPECT_LT(office_closing_progress(21313), 0.0f);
    EXPECT_NEAR(office_closing_progress(23993), 0.673f, 0.001f);
}

TEST(OfficeDoors, StandOnTheirFloorsClearOfTheWallFacingTheCorridor) {
    const Vec3 centres[office_door_count] = {
        {5.5f, 1, -8.46f},   {1.5f, 1, -8.46f},   {1.5f, 1, -5.56f},   {1.5f, 4, -5.56f},   {-2.5f, 4, -5.56f},
        {-6.5f, 4, -5.56f},  {-10.5f, 4, -5.56f}, {-14.5f, 4, -5.56f}, {-18.5f, 4, -5.56f}, {-22.5f, 4, -5.56f},
        {-26.5f, 4, -5.56f}, {-30.5f, 4, -5.56f}, {-34.5f, 4, -5.56f}, {-34.5f, 4, -8.46f}, {-30.5f, 4, -8.46f},
        {-26.5f, 4, -8.46f}, {-22.5f, 4, -8.46f}, {-18.5f, 4, -8.46f}, {-14.5f, 4, -8.46f}, {-10.5f, 4, -8.46f},
        {-6.5f, 4, -8.46f},  {-2.5f, 4, -8.46f},  {1.5f, 4, -8.46f},   {5.5f, 4, -8.46f},
    };
    const std::vector<Placement> parts = building_parts();
    ASSERT_EQ(parts.size(), size_t(office_door_count + 3));
    for (int d = 0; d < office_door_count; ++d) {
        SCOPED_TRACE(d + 1);
        const Placement& door = parts[d];
        Vec3 centre = placement_point(door, {0, 0, 0});
        expect_near_vec(centre, centres[d], tight, "centre");
        // Its wall: the corridor's far wall (z -8.5) or near wall (z -5.5).
        const RepeatedQuad& wall = office_wall_quads[centre.z < -7 ? 0 : 4];
        Vec3 into_corridor = normal_of(wall.corners);
        Vec3 front = placement_direction(door, {0, 0, 1});
        EXPECT_NEAR(dot(front, into_corridor), 1, tight) << "plate and knob face the corridor";
        float back_clearance = dot(vec3_sub(centre, wall.corners[0]), into_corridor) - door_leaf_size.z / 2;
        EXPECT_GT(back_clearance, 0.01f) << "leaf stands clear of its wall";
        EXPECT_LT(back_clearance, 0.04f);
    }
    // The plates in their order: door 1 the fourteenth group, door 24 the seventh, 9 to 18 our own.
    EXPECT_EQ(office_door_plates[0], tex_greet_14);
    EXPECT_EQ(office_door_plates[23], tex_greet_07);
    for (int d = 0; d < office_door_count; ++d)
        EXPECT_EQ(office_door_plates[d] == tex_greet_zelvo, d >= 8 && d <= 17) << d + 1;
}

TEST(OfficeDoors, PlateAndKnobSitOnTheFront) {
    const std::vector<Placement> doors = building_parts();
    const std::vector<Placement> model = part_placements(door_model_moves, door_model_move_count);
    ASSERT_EQ(model.size(), 3u);
    struct Case {
        int door;
        Vec3 plate, knob;
    };
    const Case cases[] = {
        {0, {5.5f, 1.7f, -8.44f}, {5.1f, 0.9f, -8.40f}},
        {2, {1.5f, 1.7f, -5.58f}, {1.9f, 0.9f, -5.62f}},  // turned to face -z: the knob swaps sides
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.door + 1);
        const Placement& door = doors[c.door];
        expect_near_vec(placement_point(door, placement_point(model[door_part_plate], {0, 0, 0})), c.plate, tight,
                        "plate");
        expect_near_vec(placement_point(door, placement_point(model[door_part_knob], {0, 0, 0})), c.knob, tight,
                        "knob");
    }
    expect_near_vec(placement_point(model[door_part_leaf], {0, 0, 0}), {0, 0, 0}, 0, "leaf centred");
}

TEST(OfficeDoors, KnobSphereTakesElevenAsTwelveAndRefusesBadCounts) {
    const Shape grid = build_sphere_grid(knob_radius, knob_segments);
    auto v = [&](int r, int k) { return grid[r * 12 + k]; };
    // The quads a door's knob batch holds, for a grid and count.
    auto grid_sphere_faces = [](const Shape& g, float radius, uint16_t segments) {
        DrawList list;
        add_grid_sphere(list, nullptr, g, radius, segments, {.untextured = true});
        std::vector<Quad> quads;
        for (size_t c = 0; c < list.corners.size(); c += 4) {
            Quad q;
            for (int k = 0; k < 4; ++k) q.corners[k] = {list.corners[c + k].x, list.corners[c + k].y, list.corners[c + k].z};
            quads.push_back(q);
        }
        return quads;
    };
    const std::vector<Quad> quads = grid_sphere_faces(grid, 0.025f, 11);
    ASSERT_EQ(quads.size(), 72u);
    const Vec3 first[4] = {v(1, 0), v(2, 0), v(2, 1), v(1, 1)};
    const Vec3 last[4] = {v(5, 0), v(5, 11), {0, -0.025f, 0}, {0, -0.025f, 0}};
    for (int c = 0; c < 4; ++c) {
        expect_near_vec(quads.front().corners[c], first[c], 0, "first band quad");
        expect_near_vec(quads.back().corners[c], last[c], 0, "bottom closing quad");
    }
    // Counts below 4, or not the grid's own, would read outside it: nothing is drawn.
    for (uint16_t segments : {0, 2, 3, 14, 24}) EXPECT_TRUE(grid_sphere_faces(grid, 0.025f, segments).empty());
    EXPECT_TRUE(grid_sphere_faces(Shape{}, 0.025f, 12).empty());
    EXPECT_EQ(grid_sphere_faces(grid, 0.025f, 12).size(), 72u) << "a refusal does not stick";
}

TEST(OfficeStairs, StepBatchFollowsItsFlags) {
    struct Case {
        int steps, head, foot, underside;
        int count;
    };
    const Case cases[] = {{0, 0, 0, 0, 0}, {1, 0, 0, 0, 20}, {1, 0, 1, 1, 22}, {0, 1, 1, 1, 3}, {1, 1, 1, 1, 23}};
    for (const Case& c : cases) {
        Quad quads[stair_step_batch_max];
        EXPECT_EQ(stair_step_batch(c.steps, c.head, c.foot, c.underside, quads), c.count);
    }
    Quad quads[stair_step_batch_max];
    ASSERT_EQ(stair_step_batch(1, 0, 0, 0, quads), 20);
    // The top riser closes the head tread's front, from 0.6 to 0.75 at z 1.2.
    for (const Vec3& c : quads[0].corners) {
        EXPECT_NEAR(c.z, 1.2f, tight);
        EXPECT_TRUE(std::fabs(c.y - 0.6f) < tight || std::fabs(c.y - 0.75f) < tight);
    }
    expect_near_vec(normal_of(quads[0].corners), {0, 0, -1}, tight, "riser faces the foot");
    // The lowest tread at -0.6 over z -1.5 ... -1.2, facing up.
    for (const Vec3& c : quads[19].corners) {
        EXPECT_NEAR(c.y, -0.6f, tight);
        EXPECT_TRUE(std::fabs(c.z + 1.5f) < tight || std::fabs(c.z + 1.2f) < tight);
    }
    expect_near_vec(normal_of(quads[19].corners), {0, 1, 0}, tight, "tread faces up");
    // The office's flags: the face under the head stays open, the foot and the underside close the body.
    ASSERT_EQ(stair_step_batch(1, 0, 1, 1, quads), 22);
    expect_near_vec(normal_of(quads[20].corners), {0, -1, 0}, tight, "foot face");
    Vec3 underside = normal_of(quads[21].corners);
    EXPECT_LT(underside.y, 0);
    EXPECT_GT(underside.z, 0) << "underside faces down towards the head";
}

TEST(OfficeStairs, PanelsAndRailsAreConvexSlabsFacingOutAndPostsReachTheRailTops) {
    for (bool rail : {false, true}) {
        for (int side = 0; side < 2; ++side) {
            Quad slab[6];
            Vec3 middle = {0, 0, 0};
            for (int i = 0; i < 6; ++i) {
                const Quad& panel = stair_panel_quads[side * 6 + i];
                slab[i] = rail ? stair_rail_quad(panel) : panel;
                middle = add(middle, scale(centroid(slab[i].corners), 1.0f / 6));
            }
            for (int i = 0; i < 6; ++i) {
                SCOPED_TRACE(testing::Message() << (rail ? "rail " : "panel ") << side * 6 + i + 1);
                EXPECT_TRUE(convex(slab[i].corners));
                EXPECT_GT(dot(normal_of(slab[i].corners), vec3_sub(centroid(slab[i].corners), middle)), 0);
            }
        }
    }
    // Each post runs from the foot of its panel to the top of the rail above it.
    for (const Vec3& post : stair_post_centres) {
        float bottom = post.y - stair_post_size.y / 2, top = post.y + stair_post_size.y / 2;
        float panel_bottom = 2.0f, rail_top = -2.0f;
        for (const Quad& q : stair_panel_quads) {
            for (const Vec3& c : q.corners) {
                if (c.z * post.z < 0 || c.x * post.x < 0) continue;  // the post's own corner
                panel_bottom = std::fmin(panel_bottom, c.y);
            }
            for (const Vec3& c : stair_rail_quad(q).corners)
                if (c.z * post.z > 0 && c.x * post.x > 0) rail_top = std::fmax(rail_top, c.y);
        }
        EXPECT_NEAR(bottom, panel_bottom, tight);
        EXPECT_NEAR(top, rail_top, tight);
    }
}

TEST(OfficeStorey, FlightsJoinFloorsAndLandingsIntoOneStaircase) {
    const std::vector<Placement> parts = part_placements(office_storey_moves, office_storey_move_count);
    ASSERT_EQ(parts.size(), 4u);
    const Placement end = replay_moves(office_storey_moves, office_storey_move_count, nullptr);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(end.m[i], placement_identity().m[i]) << "matrix left as found";

    const Vec3 head = {0, 0.75f, 1.5f}, foot = {0, -0.75f, -1.5f};
    const Placement& landing = parts[storey_part_landing];
    const Placement& lower = parts[storey_part_lower_flight];
    const Placement& upper = parts[storey_part_upper_flight];
    float landing_top = placement_point(landing, {0, office_landing_size.y / 2, 0}).y;
    float landing_east = placement_point(landing, {office_landing_size.x / 2, 0, 0}).x;
    struct Case {
        Vec3 at, expected;
        const char* what;
    };
    const Case cases[] = {
        {placement_point(lower, head), {4, 0, -2.3f}, "lower flight's head on this floor"},
        {placement_point(lower, foot), {landing_east, landing_top - 3, -2.3f}, "its foot on the landing below"},
        {placement_point(upper, foot), {4, 0, -4.4f}, "upper flight's foot on this floor"},
        {placement_point(upper, head), {landing_east, landing_top, -4.4f}, "its head on this landing"},
        // Across the stairwell: the lower flight between the dividing wall and the wall
        // at -1.3, the upper between the dividing wall and the wall at -5.4.
        {placement_point(lower, {1, 0, 0}), {2.5f, -0.75f, -3.3f}, "lower flight's side"},
        {placement_point(lower, {-1, 0, 0}), {2.5f, -0.75f, -1.3f}, "lower flight's other side"},
        {placement_point(upper, {1, 0, 0}), {2.5f, 0.75f, -3.4f}, "upper flight's side"},
        {placement_point(upper, {-1, 0, 0}), {2.5f, 0.75f, -5.4f}, "upper flight's other side"},
    };
    for (const Case& c : cases) expect_near_vec(c.at, c.expected, tight, c.what);
    const Placement& wall = parts[storey_part_dividing_wall];
    EXPECT_NEAR(placement_point(wall, {0, 0, office_dividing_wall_size.z / 2}).z, -3.3f, tight);
    EXPECT_NEAR(placement_point(wall, {0, 0, -office_dividing_wall_size.z / 2}).z, -3.4f, tight);
}

// Where the camera can see the middle of a floor, ceiling or wall quad of any
// of the three storeys as the building's list places them, it sees the quad's front.
TEST(OfficeStorey, CameraSeesEveryQuadFromTheFront) {
    // The building exactly as drawn: the storey's floors, ceilings and walls are
    // the list's first three batches, its landing and dividing wall the next two.
    DrawList building;
    build_office_building(building);
    std::vector<Face> quads, blockers;
    for (const PlacedBatch& p : placed_batches(building)) {
        const size_t batch = static_cast<size_t>(p.batch - building.batches.data());
        if (batch > 4) continue;
        const std::vector<Vec3> corners = placed_corners(building, p);
        for (size_t i = 0; i + 3 < corners.size(); i += 4)
            (batch < 3 ? quads : blockers).push_back({{corners[i], corners[i + 1], corners[i + 2], corners[i + 3]}});
    }
    ASSERT_EQ(quads.size(), 3u * 14);
    // The landing and the dividing wall hide what lies behind them too.
    blockers.insert(blockers.end(), quads.begin(), quads.end());

    int seen = 0;
    std::vector<bool> ever_seen(quads.size(), false);
    for (uint32_t a = 0; a < uint32_t(office_closing_start); a += 50) {
        camera_path_update(office_scene.camera, a);
        const Vec3 eye = office_scene.camera.held_eye;
        for (size_t q = 0; q < quads.size(); ++q) {
            const Vec3 middle = centroid(quads[q].c);
            bool hidden = false;
            for (const Face& b : blockers) hidden = hidden || crosses(b, eye, middle);
            if (hidden) continue;
            ++seen;
            ever_seen[q] = true;
            EXPECT_GT(dot(normal_of(quads[q].c), vec3_sub(eye, middle)), 0)
                << "quad " << q % 14 << " of storey " << q / 14 << " seen from behind at " << a;
        }
    }
    EXPECT_GT(seen, 1000);
    // The corridor and hall of the middle storey and the corridor above are all in view at some time.
    for (size_t q : {0u, 1u, 2u, 3u, 5u, 6u, 7u, 9u, 28u, 30u, 33u, 37u})
        EXPECT_TRUE(ever_seen[q]) << q;
}

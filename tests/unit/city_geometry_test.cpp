#include <gtest/gtest.h>

#include <cmath>

#include "render/render.h"
#include "resources/resources.h"
#include "scenes/city/city.h"
#include "support/vec_checks.h"

namespace {

constexpr float tight = 1e-5f;

// The lamp shapes and the model as start-up builds them.
class CityLamp : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        build_angle_tables();
        init_city();
    }
};

}  // namespace

TEST(CityCamera, FollowsTheFlightAtItsKeyTimes) {
    struct Case {
        uint32_t a;
        Vec3 eye, centre;
        float tolerance;
    };
    const Case cases[] = {
        {0, {9, 17, 18}, {0, 0, -5}, tight},          // high above, looking at the crossing
        {7000, {0, 1, 5}, {0, 0, -5}, tight},         // down at street level
        {10658, {0, 0.5f, 1}, {0, 0, -5}, 0.001f},    // last frame of the first visit
        {10659, {0, 0.5f, 1}, {0, 0, -5}, tight},     // the second visit begins where the first ended
        {16500, {0, 0.5f, 0}, {5, 1, 0}, tight},      // turning into the +x street
        {21301, {9, 0.2f, 0.5f}, {10, 10, -3}, 0.2f}, // looking up at the sign board
    };
    for (const Case& c : cases) {
        camera_path_update(city_scene.camera, c.a);
        SCOPED_TRACE(c.a);
        expect_near_vec(city_scene.camera.held_eye, c.eye, c.tolerance, "eye");
        expect_near_vec(city_scene.camera.held_centre, c.centre, c.tolerance, "centre");
    }
    EXPECT_GT(city_scene.camera.held_centre.y - city_scene.camera.held_eye.y, 9.0f);
}

TEST(CityCamera, NeverJumpsAtASegmentBoundary) {
    for (int k = 1; k < city_camera_segment_count; ++k) {
        uint32_t boundary = city_camera_windows[k][0];
        EXPECT_EQ(boundary, city_camera_windows[k - 1][1]);
        camera_path_update(city_scene.camera, boundary - 1);
        Vec3 eye_before = city_scene.camera.held_eye;
        camera_path_update(city_scene.camera, boundary);
        EXPECT_LT(distance(eye_before, city_scene.camera.held_eye), 0.01f) << boundary;
    }
}

TEST(CityLayout, LampRowsStandOnTheKerbWithGrowingGaps) {
    Vec3 row_a[city_lamps_per_row], row_b[city_lamps_per_row];
    lamp_row_positions(city_lamp_rows[0], row_a);
    lamp_row_positions(city_lamp_rows[1], row_b);
    const float along[city_lamps_per_row] = {1, 3, 6, 10, 15};
    for (int k = 0; k < city_lamps_per_row; ++k) {
        expect_near_vec(row_a[k], {-0.8f, 0, along[k]}, tight, "row A");
        expect_near_vec(row_b[k], {along[k], 0, -0.8f}, tight, "row B");
    }
}

TEST(CityLayout, LampArmsReachOverTheStreet) {
    // The shade hangs 0.12 along the lamp's +x; the streets are 0.75 either side of their axes.
    Vec3 row_a[city_lamps_per_row], row_b[city_lamps_per_row];
    lamp_row_positions(city_lamp_rows[0], row_a);
    lamp_row_positions(city_lamp_rows[1], row_b);
    Vec3 shade_a = add(row_a[0], scale(lamp_row_arm_direction(city_lamp_rows[0]), 0.12f));
    Vec3 shade_b = add(row_b[0], scale(lamp_row_arm_direction(city_lamp_rows[1]), 0.12f));
    EXPECT_LT(std::fabs(shade_a.x), 0.75f);  // row A: the street along the z axis
    EXPECT_LT(std::fabs(shade_b.z), 0.75f);  // row B: the street along the x axis
    expect_near_vec(lamp_row_arm_direction(city_lamp_rows[1]), {0, 0, 1}, tight, "row B arm");
}

TEST(CityLayout, BuildingsStandOnTheGroundFlushWithTheKerb) {
    const Vec3 expected[city_building_count] = {
        {2.5f, 2.5f, -2}, {4.5f, 1, -1.5f}, {6.5f, 1.5f, -2}, {9.5f, 2, -3}, {13, 1, -2}, {2, 1.5f, -4},
        {2.5f, 2, -7},    {2, 3, -10},      {2, 1, -11.5f},   {2, 3, -13},   {2, 1.5f, -15},
    };
    Vec3 centres[city_building_count];
    city_building_centres(centres);
    for (int i = 0; i < city_building_count; ++i) {
        const CityBuilding& b = city_buildings[i];
        SCOPED_TRACE(i + 1);
        expect_near_vec(centres[i], expected[i], tight, "centre");
        EXPECT_NEAR(centres[i].y - b.height * 0.5f, 0, tight) << "stands on the ground";
        if (i < 5)
            EXPECT_NEAR(centres[i].z + b.depth * 0.5f, -1, tight) << "front on z = -1";
        else
            EXPECT_NEAR(centres[i].x - b.width * 0.5f, 1, tight) << "front on x = 1";
    }
}

TEST(CityLayout, GroundFacesUpAndKerbFacesTheStreet) {
    for (const TexturedQuad& q : city_street_quads) expect_near_vec(normal_of(q.corners), {0, 1, 0}, tight, "street");
    expect_near_vec(normal_of(city_crossing_quad.corners), {0, 1, 0}, tight, "crossing");
    expect_near_vec(normal_of(city_kerb_quads[0].corners), {0, 1, 0}, tight, "kerb top -z");
    expect_near_vec(normal_of(city_kerb_quads[1].corners), {0, 1, 0}, tight, "kerb top +x");
    expect_near_vec(normal_of(city_kerb_quads[2].corners), {-1, 0, 0}, tight, "kerb face -z");
    expect_near_vec(normal_of(city_kerb_quads[3].corners), {0, 0, 1}, tight, "kerb face +x");
}

TEST(CityLayout, RoadPictureRunsFromTheStreetAxisToItsEdge) {
    // The picture's s = 0 edge carries the centre line, so it must lie on the axis.
    for (int c = 0; c < 4; ++c) {
        const TexturedQuad& along_z = city_street_quads[0];
        const TexturedQuad& along_x = city_street_quads[1];
        EXPECT_FLOAT_EQ(along_z.texcoords[c][0], along_z.corners[c].x / 0.75f);
        EXPECT_FLOAT_EQ(along_x.texcoords[c][0], -along_x.corners[c].z / 0.75f);
        // Once per unit of length along the street.
        EXPECT_FLOAT_EQ(along_z.texcoords[c][1], along_z.corners[c].z + 16);
        EXPECT_FLOAT_EQ(along_x.texcoords[c][1], along_x.corners[c].x - 2);
    }
}

TEST(CityBuilding, FacesAndRoofPointOutward) {
    const Vec3 outward[6] = {{0, 0, 1}, {0, 0, -1}, {-1, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}};
    TexturedQuad faces[6];
    building_faces(3, 5, 2, faces);
    for (int f = 0; f < 6; ++f) {
        SCOPED_TRACE(f);
        expect_near_vec(normal_of(faces[f].corners), outward[f], tight, "normal");
        Vec3 middle = centroid(faces[f].corners);
        EXPECT_NEAR(dot(middle, outward[f]), std::fabs(dot(Vec3{1.5f, 2.5f, 1}, outward[f])), tight);
    }
    Quad roof = building_roof(3, 5, 2);
    expect_near_vec(normal_of(roof.corners), {0, 1, 0}, tight, "roof normal");
    for (const Vec3& c : roof.corners) {
        EXPECT_NEAR(c.y, 2.51f, tight);
        EXPECT_NEAR(std::fabs(c.x), 1.5f, tight);
        EXPECT_NEAR(std::fabs(c.z), 1.0f, tight);
    }
}

TEST(CityBuilding, FacadeRepeatsOncePerUnitUpright) {
    struct Case {
        int w, h, d;
    };
    for (Case size : {Case{3, 5, 2}, Case{1, 1, 1}}) {
        TexturedQuad faces[6];
        building_faces(size.w, size.h, size.d, faces);
        const float across[4] = {float(size.w), float(size.w), float(size.d), float(size.d)};
        for (int f = 0; f < 4; ++f) {
            SCOPED_TRACE(f);
            const TexturedQuad& q = faces[f];
            float s_max = 0, t_max = 0;
            for (int c = 0; c < 4; ++c) {
                s_max = std::fmax(s_max, q.texcoords[c][0]);
                t_max = std::fmax(t_max, q.texcoords[c][1]);
                // The picture's top row (t = 0) runs along the top edge of the wall.
                float expected_t = q.corners[c].y > 0 ? 0.0f : float(size.h);
                EXPECT_FLOAT_EQ(q.texcoords[c][1], expected_t);
            }
            EXPECT_FLOAT_EQ(s_max, across[f]);
            EXPECT_FLOAT_EQ(t_max, float(size.h));
            // s grows to the right for a viewer outside facing the wall (not mirrored).
            Vec3 n = normal_of(q.corners);
            Vec3 right = vec3_cross(scale(n, -1), Vec3{0, 1, 0});
            Vec3 s_dir = vec3_sub(q.corners[1], q.corners[0]);
            EXPECT_GT(dot(s_dir, right), 0) << "facade mirrored";
            EXPECT_FLOAT_EQ(q.texcoords[1][0] - q.texcoords[0][0], across[f]);
        }
    }
}

TEST_F(CityLamp, IsTwoHundredFiftyTwoQuadsAboutSixTenthsTall) {
    std::vector<Quad> lamp = street_lamp_quads();
    EXPECT_EQ(lamp.size(), 252u);
    EXPECT_EQ(tube_side_quads(lamp_pole_tube, 12).size(), 12u);
    EXPECT_EQ(shade_shell_quads(lamp_shade_shell, 12).size(), 36u);
    EXPECT_EQ(torus_arc_quads(0.06f, 0.006f, 90, 270, 12, 15).size(), 180u);
    float low = 1, high = 0;
    for (const Quad& q : lamp) {
        for (const Vec3& c : q.corners) {
            low = std::fmin(low, c.y);
            high = std::fmax(high, c.y);
        }
    }
    EXPECT_NEAR(low, 0, tight);
    EXPECT_NEAR(high, 0.606f, 0.001f);
}

TEST_F(CityLamp, TubeAndShadeNormalsFaceTheRightWay) {
    for (const Shape* tube : {&lamp_base_tube, &lamp_collar_tube, &lamp_pole_tube}) {
        for (const Quad& q : tube_side_quads(*tube, 12)) {
            Vec3 c = centroid(q.corners);
            EXPECT_GT(dot(normal_of(q.corners), Vec3{c.x, 0, c.z}), 0) << "tube wall faces out";
        }
    }
    std::vector<Quad> shade = shade_shell_quads(lamp_shade_shell, 12);
    for (size_t i = 0; i < shade.size(); ++i) {
        Vec3 n = normal_of(shade[i].corners);
        Vec3 c = centroid(shade[i].corners);
        if (i < 24) {
            float outward = dot(n, Vec3{c.x, 0, c.z});
            if (i % 2 == 0)
                EXPECT_GT(outward, 0) << "outer wall " << i;
            else
                EXPECT_LT(outward, 0) << "inner wall " << i;
        } else {
            expect_near_vec(n, {0, -1, 0}, tight, "rim faces down");
        }
    }
}

TEST_F(CityLamp, ArmArchesFromThePoleTopToTheShadeTop) {
    std::vector<Quad> lamp = street_lamp_quads();
    // The pole's top ring and the shade's top ring, as placed in the lamp.
    const Quad& pole_quad = lamp[24 + 11];
    const Quad& shade_quad = lamp[36];
    EXPECT_NEAR(pole_quad.corners[0].y, 0.54f, tight);
    EXPECT_NEAR(shade_quad.corners[0].y, 0.54f, tight);
    EXPECT_NEAR(centroid(shade_quad.corners).x, 0.12f, 0.01f);

    const Vec3 shade_top = {0.12f, 0.54f, 0};
    const Vec3 pole_top = {0, 0.54f, 0};
    const Quad& first = lamp[72];
    const Quad& last = lamp.back();
    for (int c : {0, 1}) EXPECT_LE(distance(first.corners[c], shade_top), 0.006f + tight);
    for (int c : {2, 3}) EXPECT_LE(distance(last.corners[c], pole_top), 0.006f + tight);

    // The peak of the half ring, at 180 degrees, stands 0.06 above them at x = 0.06.
    const Quad& peak = lamp[72 + 7 * 12];
    Vec3 spine = centroid(peak.corners);
    EXPECT_NEAR(spine.x, 0.06f, 0.002f);
    EXPECT_GT(spine.y, 0.59f);
    for (const Quad& q : std::vector<Quad>(lamp.begin() + 72, lamp.end()))
        for (const Vec3& c : q.corners) EXPECT_NEAR(c.z, 0, 0.006f + tight) << "arc in the x-y plane";
}

TEST_F(CityLamp, ArcStepsAreWholeDegreesAndTubeFacesOut) {
    // With no tube radius each quad's first corner lies on the arc at theta1.
    std::vector<Quad> spine = torus_arc_quads(1, 0, 90, 270, 12, 15);
    for (int i = 0; i < 15; ++i) {
        const Vec3& p = spine[i * 12].corners[0];
        EXPECT_FLOAT_EQ(p.x, sin_deg(90 + 12 * i)) << i;
        EXPECT_FLOAT_EQ(p.z, cos_deg(90 + 12 * i)) << i;
    }
    for (const Quad& q : torus_arc_quads(0.06f, 0.006f, 90, 270, 12, 15)) {
        Vec3 c = centroid(q.corners);
        float ring = std::sqrt(c.x * c.x + c.z * c.z);
        Vec3 on_spine = {c.x / ring * 0.06f, 0, c.z / ring * 0.06f};
        EXPECT_GT(dot(normal_of(q.corners), vec3_sub(c, on_spine)), 0) << "arm tube faces out";
    }
}

TEST(CityLampShapes, MissingShapeDrawsNothingInsteadOfReadingPastIt) {
    Shape empty;
    EXPECT_TRUE(tube_side_quads(empty, 12).empty());
    EXPECT_TRUE(shade_shell_quads(empty, 12).empty());
    Shape short_tube(10, Vec3{0, 0, 0});
    EXPECT_EQ(tube_side_quads(short_tube, 12).size(), 5u);
}

// The sculpture meshes: closed, outward-wound, small enough to stand 4 units
// apart, and readable by the demo's own EF3 loader.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>

#include "meshes.h"
#include "resources/resources.h"

namespace {

struct Case {
    const char* name;
    TriangleMesh (*build)();
};

const Case cases[] = {
    {"campfer3 (body)", build_sculpture_body},
    {"hose3 (arm)", build_sculpture_arm},
};

// The mesh as the demo sees it, after writing and reading back its EF3 text.
Mesh round_trip(const TriangleMesh& built) {
    Mesh mesh;
    std::string error;
    EXPECT_TRUE(parse_ef3(ef3_text(built), &mesh, &error)) << error;
    return mesh;
}

Vec3 corner(const Mesh& m, int face, int k) { return m.vertices[m.faces[face * 3 + k]]; }

double signed_volume(const Mesh& m) {
    double volume = 0.0;
    for (int f = 0; f < m.face_count; ++f) {
        Vec3 a = corner(m, f, 0), b = corner(m, f, 1), c = corner(m, f, 2);
        volume += (a.x * (b.y * c.z - b.z * c.y) - a.y * (b.x * c.z - b.z * c.x) + a.z * (b.x * c.y - b.y * c.x)) / 6.0;
    }
    return volume;
}

TEST(SculptureMeshes, ParseWithEveryIndexInRange) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TriangleMesh built = c.build();
        Mesh m = round_trip(built);
        EXPECT_EQ(m.vertex_count, static_cast<int>(built.vertices.size()));
        EXPECT_EQ(m.face_count, static_cast<int>(built.triangles.size()));
        for (int32_t index : m.faces) {
            EXPECT_GE(index, 0);
            EXPECT_LT(index, m.vertex_count);
        }
    }
}

TEST(SculptureMeshes, EveryEdgeIsSharedByTwoTrianglesRunningOppositeWays) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Mesh m = round_trip(c.build());
        std::map<std::pair<int, int>, int> directed;
        for (int f = 0; f < m.face_count; ++f)
            for (int k = 0; k < 3; ++k) ++directed[{m.faces[f * 3 + k], m.faces[f * 3 + (k + 1) % 3]}];
        int bad = 0;
        for (const auto& [edge, count] : directed) {
            auto reverse = directed.find({edge.second, edge.first});
            if (count != 1 || reverse == directed.end() || reverse->second != 1) ++bad;
        }
        EXPECT_EQ(bad, 0);
    }
}

TEST(SculptureMeshes, AreWoundSoTheirFlatNormalsPointOut) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Mesh m = round_trip(c.build());
        EXPECT_GT(signed_volume(m), 0.01);
    }
}

TEST(SculptureMeshes, HaveNoDegenerateTriangles) {
    // A triangle without area would get a non-finite flat normal.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Mesh m = round_trip(c.build());
        for (int f = 0; f < m.face_count; ++f) {
            Vec3 n = vec3_cross(vec3_sub(corner(m, f, 1), corner(m, f, 0)), vec3_sub(corner(m, f, 2), corner(m, f, 0)));
            ASSERT_GT(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1e-6f) << "face " << f;
        }
    }
}

TEST(SculptureMeshes, StayWithinReachOfTheirOriginAndAreCheapToDraw) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Mesh m = round_trip(c.build());
        float reach = 0.0f;
        for (const Vec3& v : m.vertices) reach = std::fmax(reach, std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z));
        EXPECT_LE(reach, 1.6f);
        EXPECT_GT(reach, 1.0f);  // and big enough to be seen
        EXPECT_LE(m.face_count, 3000);
    }
}

TEST(SculptureMeshes, ArmReachesOutOnPlusXSoItsTurnedTwinTakesMinusX) {
    Mesh m = round_trip(build_sculpture_arm());
    float min_x = 1e9f, max_x = -1e9f;
    for (const Vec3& v : m.vertices) {
        min_x = std::fmin(min_x, v.x);
        max_x = std::fmax(max_x, v.x);
    }
    EXPECT_GT(max_x, 0.9f);
    EXPECT_GT(min_x, -0.1f);
}

TEST(Ef3Text, ListsCountsThenVerticesThenTriangles) {
    TriangleMesh m;
    m.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {-0.000001f, 0.5f, -2.25f}};
    m.triangles = {{0, 1, 2}, {3, 2, 1}};
    EXPECT_EQ(ef3_text(m),
              "4 2\n"
              "0.00000 0.00000 0.00000\n1.00000 0.00000 0.00000\n0.00000 1.00000 0.00000\n"
              "0.00000 0.50000 -2.25000\n"
              "0 1 2\n3 2 1\n");
}

}  // namespace

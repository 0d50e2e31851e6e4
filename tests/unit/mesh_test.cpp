#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

#include "render/render.h"
#include "resources/resources.h"
#include "support/test_paths.h"

namespace {

struct Parsed {
    bool ok;
    Mesh mesh;
    std::string error;
};

Parsed parse(const std::string& text) {
    Parsed p;
    p.ok = parse_ef3(text, &p.mesh, &p.error);
    return p;
}

}  // namespace

TEST(ParseEf3, OneTriangleCountsVerticesAndFacesInOrder) {
    // Line breaks carry no meaning (CRLF neither); anything after the last
    // triangle is ignored; a byte-order mark before it all is skipped.
    Parsed p = parse("\xEF\xBB\xBF" "3 1\r\n0 0 0  1 0 0\r\n0 1 0 0 1\n2 trailing words 7 7");
    ASSERT_TRUE(p.ok) << p.error;
    ASSERT_EQ(p.mesh.vertex_count, 3);
    ASSERT_EQ(p.mesh.face_count, 1);
    ASSERT_EQ(p.mesh.vertices.size(), 3u);
    ASSERT_EQ(p.mesh.faces.size(), 3u);
    EXPECT_EQ(p.mesh.vertices[1].x, 1.0f);
    EXPECT_EQ(p.mesh.vertices[2].y, 1.0f);
    Vec3 corners[3];
    mesh_triangle_corners(p.mesh.vertices.data(), p.mesh.faces.data(), 0, corners);
    Vec3 n = face_normal(corners[0], corners[1], corners[2]);
    EXPECT_EQ(n.x, 0.0f);
    EXPECT_EQ(n.y, 0.0f);
    EXPECT_EQ(n.z, 1.0f);
}

TEST(ParseEf3, TrianglesKeepTheirFileWinding) {
    Parsed p = parse("4 2  0 0 0  1 0 0  0 1 0  0 0 1   0 1 2  3 2 1");
    ASSERT_TRUE(p.ok) << p.error;
    const int32_t expected[6] = {0, 1, 2, 3, 2, 1};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(p.mesh.faces[i], expected[i]) << i;
    Vec3 corners[3];
    mesh_triangle_corners(p.mesh.vertices.data(), p.mesh.faces.data(), 1, corners);
    EXPECT_EQ(corners[0].z, 1.0f);
    EXPECT_EQ(corners[1].y, 1.0f);
    EXPECT_EQ(corners[2].x, 1.0f);
    EXPECT_EQ(p.mesh.vertices[0].x, 0.0f);
}

TEST(ParseEf3, ReadsNumbersTheWayScanfDoes) {
    Parsed p = parse("2 0 -1.5e1 +2 .25\t3.\n-0 1e-2");
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.mesh.vertices[0].x, -15.0f);
    EXPECT_EQ(p.mesh.vertices[0].y, 2.0f);
    EXPECT_EQ(p.mesh.vertices[0].z, 0.25f);
    EXPECT_EQ(p.mesh.vertices[1].x, 3.0f);
    EXPECT_EQ(p.mesh.vertices[1].z, 0.01f);
}

TEST(ParseEf3, AnEmptyMeshIsFine) {
    Parsed p = parse("0 0");
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.mesh.vertex_count, 0);
    EXPECT_EQ(p.mesh.face_count, 0);
    EXPECT_TRUE(p.mesh.vertices.empty());
    EXPECT_TRUE(p.mesh.faces.empty());
}

TEST(ParseEf3, RefusesCountsAndIndicesThatCannotBeReal) {
    const struct {
        const char* name;
        const char* text;
        const char* error_mentions;
    } cases[] = {
        {"negative vertex count", "-3 1  0 1 2", "vertex count -3 is negative"},
        {"negative triangle count", "3 -1  0 0 0 1 0 0 0 1 0", "triangle count -1 is negative"},
        {"huge vertex count", "10000001 0", "vertex count 10000001"},
        {"huge triangle count", "3 2000000000", "triangle count 2000000000"},
        {"count beyond 32 bits", "99999999999999999999 0", "vertex count"},
        {"index past the end", "3 1  0 0 0 1 0 0 0 1 0  0 1 3", "triangle 0 names vertex 3"},
        {"negative index", "3 2  0 0 0 1 0 0 0 1 0  0 1 2  2 -1 0", "triangle 1 names vertex -1"},
        {"index beyond 32 bits", "3 1  0 0 0 1 0 0 0 1 0  4294967296 1 2", "triangle 0 names vertex"},
        {"triangles without vertices", "0 1  0 0 0", "triangle 0 names vertex 0"},
        {"short file, no vertex 0 for the unread triangle", "0 2", "line 1: the file ends inside triangle 0 of 2"},
        {"fractional vertex count", "3.5 1  0 0 0 1 0 0 0 1 0  0 1 2", "the vertex count \"3.5\" is not a whole"},
        {"triangle count with a unit", "3 1x  0 0 0 1 0 0 0 1 0  0 1 2", "the triangle count \"1x\""},
        {"infinite coordinate", "3 1  0 0 0 1 inf 0 0 1 0  0 1 2", "vertex 1 has a coordinate that is not finite"},
        {"not a number", "3 1  0 0 0 1 0 0 0 1 nan  0 1 2", "vertex 2 has a coordinate"},
        {"overflowing coordinate", "3 1  1e39 0 0 1 0 0 0 1 0  0 1 2", "vertex 0 has a coordinate"},
        {"overflow in a vertex cut short", "3 1 1.5e302 1", "vertex 0 has a coordinate"},
        {"empty file", "", "line 1: the file is empty"},
        {"a byte-order mark alone", "\xEF\xBB\xBF", "line 1: the file is empty"},
        {"ends within the counts", "3", "line 1: the file ends before its triangle count"},
        {"ends inside the vertices", "3 2\n1 2 3\n4 5", "line 3: the file ends inside vertex 1 of 3"},
        {"ends inside the triangles", "3 2\n1 1 1 2 2 2 3 3 3\n2 1 0\n1\n", "line 5: the file ends inside triangle 1 of 2"},
        {"a comment line", "# sculpture\n3 1\n0 0 0 1 0 0 0 1 0 0 1 2", "line 1: the vertex count \"#\" is not a whole"},
        {"decimal commas", "3 1\n0 0 0\n1,5 0 0\n0 1 0\n0 1 2", "line 3: vertex 1 of 3: \"1,5\" is not a number"},
        {"a word in the triangles", "3 1\n0 0 0 1 0 0 0 1 0\n0 x 2", "line 3: triangle 0 of 1: \"x\" is not a whole"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Parsed p = parse(c.text);
        EXPECT_FALSE(p.ok);
        EXPECT_NE(p.error.find(c.error_mentions), std::string::npos) << p.error;
        EXPECT_TRUE(p.mesh.vertices.empty());
        EXPECT_TRUE(p.mesh.faces.empty());
    }
}

namespace {

std::string write_temp_mesh(const char* name, const char* text) {
    std::string path = build_path(std::string("mesh_test_") + name + ".ef3");
    std::ofstream(path) << text;
    return path;
}

}  // namespace

TEST(LoadMesh, ReadsAFile) {
    std::string good = write_temp_mesh("good", "3 1 0 0 0 1 0 0 0 1 0 0 1 2");
    Mesh mesh;
    std::string error;
    ASSERT_TRUE(load_mesh(good.c_str(), &mesh, &error)) << error;
    EXPECT_EQ(mesh.vertex_count, 3);
    EXPECT_EQ(mesh.face_count, 1);
    std::remove(good.c_str());
}

// The shell ends the program with these messages (see the end-to-end capture test).
TEST(LoadMesh, ARefusedFileIsReportedNamingIt) {
    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"negative", "-1 0"},
        {"huge", "4000000000 1"},
        {"bad_index", "3 1 0 0 0 1 0 0 0 1 0 0 1 7"},
        {"short", "3 1 0 0 0 1 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = write_temp_mesh(c.name, c.text);
        Mesh mesh;
        std::string error;
        EXPECT_FALSE(load_mesh(path.c_str(), &mesh, &error));
        EXPECT_EQ(error.rfind(path + ": line 1: ", 0), 0u) << error;
        std::remove(path.c_str());
    }
}

TEST(LoadMesh, AMissingFileIsAFileIoError) {
    Mesh mesh;
    std::string error;
    EXPECT_FALSE(load_mesh(build_path("no_such_mesh.ef3").c_str(), &mesh, &error));
    EXPECT_EQ(error, "File IO error");
}

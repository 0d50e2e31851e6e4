// The object scene's two sculpture meshes, built as closed faceted surfaces and
// written in the EF3 text format (counts, vertices, triangles, indices from 0).
//
// Each surface is closed (every edge shared by exactly two triangles running in
// opposite directions) and wound counter-clockwise seen from outside, so every
// flat normal points out. The body stands along the mesh's z axis; the arm is
// drawn twice, the second copy turned 180 degrees about z, so one arm curls out
// on +x and its twin on -x. Both stay within 1.6 units of the origin, so the
// sculptures 4 units apart never touch however they rock.
#pragma once

#include <array>
#include <string>
#include <vector>

struct MeshPoint {
    float x, y, z;
};

struct TriangleMesh {
    std::vector<MeshPoint> vertices;
    std::vector<std::array<int, 3>> triangles;
};

// A twisted six-pointed star column tapering to a point at each end.
TriangleMesh build_sculpture_body();

// A ribbed hose arching from the body's lower half out past x = 1 and back in
// at its upper half, with a sideways S-bend; both ends capped inside the body.
TriangleMesh build_sculpture_arm();

// The mesh as EF3 text.
std::string ef3_text(const TriangleMesh& mesh);

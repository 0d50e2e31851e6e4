// Sculpture meshes for the object scene.
#include "meshes.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr float pi = 3.14159265f;

MeshPoint add(MeshPoint a, MeshPoint b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
MeshPoint sub(MeshPoint a, MeshPoint b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
MeshPoint times(MeshPoint a, float f) { return {a.x * f, a.y * f, a.z * f}; }
float dot(MeshPoint a, MeshPoint b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
MeshPoint cross(MeshPoint a, MeshPoint b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
MeshPoint unit(MeshPoint a) { return times(a, 1.0f / std::sqrt(dot(a, a))); }

// Values that print as zero are written as a plain zero, never "-0.00000".
float tidy(float v) { return std::fabs(v) < 5e-6f ? 0.0f : v; }

// Joins rings of `sides` vertices stored one after another from `first`, each
// ring counter-clockwise about the direction in which the rings advance, and
// closes both ends with a fan to an end point: the result faces outward.
void stitch_rings(TriangleMesh& m, int first, int rings, int sides, int start_point, int end_point) {
    auto at = [&](int ring, int j) { return first + ring * sides + (j % sides); };
    for (int i = 0; i + 1 < rings; ++i)
        for (int j = 0; j < sides; ++j) {
            int a = at(i, j), b = at(i, j + 1), c = at(i + 1, j + 1), d = at(i + 1, j);
            m.triangles.push_back({a, b, c});
            m.triangles.push_back({a, c, d});
        }
    for (int j = 0; j < sides; ++j) {
        m.triangles.push_back({start_point, at(0, j + 1), at(0, j)});
        m.triangles.push_back({end_point, at(rings - 1, j), at(rings - 1, j + 1)});
    }
}

}  // namespace

TriangleMesh build_sculpture_body() {
    constexpr int rings = 22;
    constexpr int points = 6;
    constexpr int sides = 2 * points;
    constexpr float half_height = 1.2f;
    constexpr float twist = 9.0f * pi / 180.0f;  // per ring
    TriangleMesh m;
    for (int i = 0; i < rings; ++i) {
        float f = static_cast<float>(i) / (rings - 1);
        float z = -half_height + 2.0f * half_height * f;
        // Swelling in the middle, a waist above it, narrow at both ends.
        float swell = std::pow(std::fmax(0.0f, std::sin(pi * f)), 0.8f);
        float waist = std::exp(-std::pow((f - 0.68f) / 0.08f, 2.0f));
        float radius = 0.12f + 0.46f * swell - 0.09f * waist;
        for (int j = 0; j < sides; ++j) {
            float r = (j % 2 == 0) ? radius : radius * 0.62f;
            float angle = 2.0f * pi * j / sides + twist * i;
            m.vertices.push_back({r * std::cos(angle), r * std::sin(angle), z});
        }
    }
    int bottom = static_cast<int>(m.vertices.size());
    m.vertices.push_back({0.0f, 0.0f, -half_height - 0.22f});
    int top = bottom + 1;
    m.vertices.push_back({0.0f, 0.0f, half_height + 0.22f});
    stitch_rings(m, 0, rings, sides, bottom, top);
    return m;
}

TriangleMesh build_sculpture_arm() {
    constexpr int rings = 73;
    constexpr int sides = 10;
    constexpr int ribs = 18;
    auto path = [](float u) {
        float phi = pi * u;
        return MeshPoint{0.2f + 0.9f * std::sin(phi), 0.25f * std::sin(2.0f * phi), -0.75f * std::cos(phi)};
    };
    TriangleMesh m;
    // Rings follow the path with frames carried along it without twisting.
    MeshPoint tangent = unit(sub(path(0.001f), path(0.0f)));
    MeshPoint normal = unit(cross(tangent, {0.0f, 1.0f, 0.0f}));
    for (int i = 0; i < rings; ++i) {
        float u = static_cast<float>(i) / (rings - 1);
        MeshPoint centre = path(u);
        MeshPoint ahead = path(std::fmin(1.0f, u + 0.001f));
        MeshPoint behind = path(std::fmax(0.0f, u - 0.001f));
        tangent = unit(sub(ahead, behind));
        normal = unit(sub(normal, times(tangent, dot(normal, tangent))));
        MeshPoint binormal = cross(tangent, normal);
        float radius = 0.105f + 0.022f * std::cos(2.0f * pi * ribs * u);
        for (int j = 0; j < sides; ++j) {
            float angle = 2.0f * pi * j / sides;
            MeshPoint offset = add(times(normal, radius * std::cos(angle)), times(binormal, radius * std::sin(angle)));
            m.vertices.push_back(add(centre, offset));
        }
    }
    int start = static_cast<int>(m.vertices.size());
    m.vertices.push_back(path(0.0f));
    int end = start + 1;
    m.vertices.push_back(path(1.0f));
    stitch_rings(m, 0, rings, sides, start, end);
    return m;
}

std::string ef3_text(const TriangleMesh& mesh) {
    std::string out;
    char line[96];
    std::snprintf(line, sizeof line, "%d %d\n", static_cast<int>(mesh.vertices.size()),
                  static_cast<int>(mesh.triangles.size()));
    out += line;
    for (const MeshPoint& v : mesh.vertices) {
        std::snprintf(line, sizeof line, "%.5f %.5f %.5f\n", tidy(v.x), tidy(v.y), tidy(v.z));
        out += line;
    }
    for (const auto& t : mesh.triangles) {
        std::snprintf(line, sizeof line, "%d %d %d\n", t[0], t[1], t[2]);
        out += line;
    }
    return out;
}

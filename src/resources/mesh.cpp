// EF3 meshes: a plain-text vertex list and triangle list read as a stream of
// white-space-separated numbers; the render kit draws them one flat normal per triangle.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "resources/resources.h"

Mesh campfer_mesh;
Mesh hose_mesh;

namespace {

// Far beyond any sculpture (the demo's own meshes hold a few thousand), small
// enough that a corrupt count cannot ask for gigabytes.
constexpr long max_ef3_count = 10000000;

// Reads numbers the way the format always has been read (like scanf with "%d"
// and "%f"): leading white space skipped, the longest number prefix taken. The
// first token that is not a number, or the end of the text, stops all reading.
struct Ef3Reader {
    const char* cursor;
    bool stopped = false;

    const char* count_starts[2] = {nullptr, nullptr};  // where each of the two counts began and ended
    const char* count_ends[2] = {nullptr, nullptr};
    int ints_read = 0;

    bool read_int(long* value) {
        if (stopped) return false;
        char* end = nullptr;
        // Out of 32-bit range comes back pinned at LONG_MIN / LONG_MAX, which the
        // count and index checks then refuse.
        long parsed = std::strtol(cursor, &end, 10);
        if (end == cursor) return stop();
        if (ints_read < 2) {
            count_starts[ints_read] = cursor;
            count_ends[ints_read] = end;
        }
        ++ints_read;
        cursor = end;
        *value = parsed;
        return true;
    }

    bool read_float(float* value) {
        if (stopped) return false;
        char* end = nullptr;
        float parsed = std::strtof(cursor, &end);
        if (end == cursor) return stop();
        cursor = end;
        *value = parsed;
        return true;
    }

    bool stop() {
        stopped = true;
        return false;
    }
};

std::string count_problem(const char* what, long count) {
    if (count < 0) return std::string(what) + " count " + std::to_string(count) + " is negative";
    return std::string(what) + " count " + std::to_string(count) + " is larger than " +
           std::to_string(max_ef3_count);
}

}  // namespace

bool parse_ef3(const std::string& text, Mesh* mesh, std::string* error, std::string* warning) {
    *mesh = Mesh{};
    error->clear();
    warning->clear();
    Ef3Reader reader{text.c_str()};

    long vertex_count = 0;
    long face_count = 0;
    bool counts_read = reader.read_int(&vertex_count) && reader.read_int(&face_count);
    // A count must be a whole number standing alone: "3.5" would otherwise read
    // as 3 and leave ".5" to stop all reading.
    for (int i = 0; i < 2; ++i) {
        const char* end = reader.count_ends[i];
        if (end == nullptr || *end == '\0' || std::isspace(static_cast<unsigned char>(*end))) continue;
        const char* start = reader.count_starts[i];
        while (std::isspace(static_cast<unsigned char>(*start))) ++start;
        while (*end != '\0' && !std::isspace(static_cast<unsigned char>(*end)) && end - start < 24) ++end;
        *error = std::string(i == 0 ? "the vertex" : "the triangle") + " count \"" + std::string(start, end) +
                 "\" is not a whole number";
        return false;
    }
    if (vertex_count < 0 || vertex_count > max_ef3_count) {
        *error = count_problem("vertex", vertex_count);
        return false;
    }
    if (face_count < 0 || face_count > max_ef3_count) {
        *error = count_problem("triangle", face_count);
        return false;
    }
    mesh->vertex_count = static_cast<int32_t>(vertex_count);
    mesh->face_count = static_cast<int32_t>(face_count);
    mesh->vertices.assign(vertex_count, Vec3{0, 0, 0});
    mesh->faces.assign(3 * face_count, 0);

    long vertices_read = 0;
    for (; vertices_read < vertex_count; ++vertices_read) {
        Vec3& v = mesh->vertices[vertices_read];
        bool complete = true;
        for (float* c : {&v.x, &v.y, &v.z}) {
            if (!reader.read_float(c)) {
                complete = false;
                break;
            }
            // NaN or infinity would make every normal and the whole sculpture vanish.
            if (!std::isfinite(*c)) {
                *error = "vertex " + std::to_string(vertices_read) + " has a coordinate that is not finite";
                *mesh = Mesh{};
                return false;
            }
        }
        if (!complete) break;
    }
    long faces_read = 0;
    for (; faces_read < face_count; ++faces_read) {
        long index[3] = {0, 0, 0};
        bool complete = reader.read_int(&index[0]) && reader.read_int(&index[1]) && reader.read_int(&index[2]);
        for (int c = 0; c < 3; ++c) {
            if (index[c] < 0 || index[c] >= vertex_count) {
                *error = "triangle " + std::to_string(faces_read) + " names vertex " + std::to_string(index[c]) +
                         (vertex_count == 0 ? std::string(", but the file lists no vertices")
                                            : ", but the vertices are numbered 0 ... " +
                                                  std::to_string(vertex_count - 1));
                *mesh = Mesh{};
                return false;
            }
            mesh->faces[3 * faces_read + c] = static_cast<int32_t>(index[c]);
        }
        if (!complete) break;
    }

    // Triangles never read stay (0, 0, 0); the index check above has already
    // refused them when there is no vertex 0 to point at.
    if (!counts_read) {
        *warning = "the file ends within its two counts; the unread values stay 0";
    } else if (reader.stopped) {
        *warning = "the file ends early (or holds something that is not a number) after " +
                   std::to_string(vertices_read) + " of " + std::to_string(vertex_count) + " vertices and " +
                   std::to_string(faces_read) + " of " + std::to_string(face_count) + " triangles; the rest stay 0";
    }
    return true;
}

bool load_mesh(const char* path, Mesh* mesh, std::string* error, std::string* cause) {
    std::vector<uint8_t> bytes;
    if (!read_whole_file(path, SIZE_MAX, &bytes, error)) {
        if (cause) *cause = std::string(path) + ": " + *error;
        *error = "File IO error";
        return false;
    }
    std::string problem;
    std::string warning;
    if (!parse_ef3(std::string(bytes.begin(), bytes.end()), mesh, &problem, &warning)) {
        *error = std::string(path) + ": " + problem;
        return false;
    }
    if (!warning.empty()) std::fprintf(stderr, "warning: %s: %s\n", path, warning.c_str());
    return true;
}

void mesh_triangle_corners(const Vec3* vertices, const int32_t* faces, int32_t face, Vec3 corners[3]) {
    for (int c = 0; c < 3; ++c) corners[c] = vertices[faces[3 * face + c]];
}

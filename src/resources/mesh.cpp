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

// Reads the white-space-separated tokens of the text one at a time, counting
// lines for messages. Each number must be a whole token: "1,5", "2.5q" or a
// comment stop the reading with an error instead of quietly leaving the rest
// of the mesh at zero.
struct Ef3Reader {
    const char* cursor;
    int line = 1;
    std::string* error;

    // The next token, or an empty one at the end of the text.
    std::string next_token() {
        while (*cursor != '\0' && std::isspace(static_cast<unsigned char>(*cursor))) {
            if (*cursor == '\n') ++line;
            ++cursor;
        }
        const char* start = cursor;
        while (*cursor != '\0' && !std::isspace(static_cast<unsigned char>(*cursor))) ++cursor;
        return std::string(start, cursor);
    }

    bool fail(const std::string& what) {
        *error = "line " + std::to_string(line) + ": " + what;
        return false;
    }

    // what names the value for messages ("the vertex count", "triangle 3 of 10").
    // Out of 32-bit range comes back pinned at LONG_MIN / LONG_MAX, which the
    // count and index checks then refuse.
    bool read_int(long* value, const std::string& what, const std::string& at_end) {
        const std::string token = next_token();
        if (token.empty()) return fail(at_end);
        char* end = nullptr;
        *value = std::strtol(token.c_str(), &end, 10);
        if (end == token.c_str() || *end != '\0')
            return fail(what + " \"" + token.substr(0, 24) + "\" is not a whole number");
        return true;
    }

    bool read_float(float* value, const std::string& what, const std::string& at_end) {
        const std::string token = next_token();
        if (token.empty()) return fail(at_end);
        char* end = nullptr;
        *value = std::strtof(token.c_str(), &end);
        if (end == token.c_str() || *end != '\0')
            return fail(what + " \"" + token.substr(0, 24) + "\" is not a number");
        return true;
    }
};

std::string count_problem(const char* what, long count) {
    if (count < 0) return std::string(what) + " count " + std::to_string(count) + " is negative";
    return std::string(what) + " count " + std::to_string(count) + " is larger than " +
           std::to_string(max_ef3_count);
}

std::string of_text(long index, long count) { return std::to_string(index) + " of " + std::to_string(count); }

}  // namespace

bool parse_ef3(const std::string& text, Mesh* mesh, std::string* error) {
    *mesh = Mesh{};
    error->clear();
    // Editors on some systems begin a text file with a byte-order mark.
    const char* begin = text.c_str();
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) begin += 3;
    Ef3Reader reader{begin, 1, error};

    long vertex_count = 0;
    long face_count = 0;
    if (!reader.read_int(&vertex_count, "the vertex count",
                         text.size() == size_t(begin - text.c_str()) ? "the file is empty; a mesh begins with its vertex and triangle counts"
                                                                   : "the file holds no vertex count"))
        return false;
    if (!reader.read_int(&face_count, "the triangle count", "the file ends before its triangle count")) return false;
    if (vertex_count < 0 || vertex_count > max_ef3_count) return reader.fail(count_problem("vertex", vertex_count));
    if (face_count < 0 || face_count > max_ef3_count) return reader.fail(count_problem("triangle", face_count));
    mesh->vertex_count = static_cast<int32_t>(vertex_count);
    mesh->face_count = static_cast<int32_t>(face_count);
    mesh->vertices.assign(vertex_count, Vec3{0, 0, 0});
    mesh->faces.assign(3 * face_count, 0);

    for (long v = 0; v < vertex_count; ++v) {
        Vec3& vertex = mesh->vertices[v];
        const std::string what = "vertex " + of_text(v, vertex_count);
        for (float* c : {&vertex.x, &vertex.y, &vertex.z}) {
            bool ok = reader.read_float(c, what + ":", "the file ends inside " + what);
            // NaN or infinity would make every normal and the whole sculpture vanish.
            if (ok && !std::isfinite(*c))
                ok = reader.fail("vertex " + std::to_string(v) + " has a coordinate that is not finite");
            if (!ok) {
                *mesh = Mesh{};
                return false;
            }
        }
    }
    for (long f = 0; f < face_count; ++f) {
        const std::string what = "triangle " + of_text(f, face_count);
        for (int c = 0; c < 3; ++c) {
            long index = 0;
            bool ok = reader.read_int(&index, what + ":", "the file ends inside " + what);
            if (ok && (index < 0 || index >= vertex_count)) {
                ok = reader.fail("triangle " + std::to_string(f) + " names vertex " + std::to_string(index) +
                                 (vertex_count == 0 ? std::string(", but the file lists no vertices")
                                                    : ", but the vertices are numbered 0 ... " +
                                                          std::to_string(vertex_count - 1)));
            }
            if (!ok) {
                *mesh = Mesh{};
                return false;
            }
            mesh->faces[3 * f + c] = static_cast<int32_t>(index);
        }
    }
    return true;
}

bool load_mesh(const char* path, Mesh* mesh, std::string* error, std::string* cause) {
    std::vector<uint8_t> bytes;
    if (!read_whole_file(path, SIZE_MAX, &bytes, error)) {
        if (cause) *cause = shown_path(path) + ": " + *error;
        *error = "File IO error";
        return false;
    }
    std::string problem;
    if (!parse_ef3(std::string(bytes.begin(), bytes.end()), mesh, &problem)) {
        *error = shown_path(path) + ": " + problem;
        return false;
    }
    return true;
}

void mesh_triangle_corners(const Vec3* vertices, const int32_t* faces, int32_t face, Vec3 corners[3]) {
    for (int c = 0; c < 3; ++c) corners[c] = vertices[faces[3 * face + c]];
}

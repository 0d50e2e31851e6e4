// Placement chains: matrix moves kept as data, replayed by GL for drawing and
// on the CPU for checking where each part stands.
#include <GL/gl.h>

#include <cmath>

#include "render/render.h"

void apply_move(const Move& move) {
    switch (move.kind) {
    case MoveKind::push: glPushMatrix(); break;
    case MoveKind::pop: glPopMatrix(); break;
    case MoveKind::translate: glTranslatef(move.x, move.y, move.z); break;
    case MoveKind::rotate: glRotatef(move.degrees, move.x, move.y, move.z); break;
    case MoveKind::part: break;
    }
}

namespace {

// a = a * b, both column-major, as GL multiplies a move onto the current matrix.
void multiply(Placement& a, const float b[16]) {
    Placement r;
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b[col * 4 + k];
            r.m[col * 4 + row] = sum;
        }
    a = r;
}

void translate(Placement& p, float x, float y, float z) {
    const float t[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
    multiply(p, t);
}

// The rotation glRotatef describes: counter-clockwise by degrees about the normalised axis.
void rotate(Placement& p, float degrees, float x, float y, float z) {
    const double length = std::sqrt(double{x} * x + double{y} * y + double{z} * z);
    if (length == 0) return;
    const double ux = x / length, uy = y / length, uz = z / length;
    const double angle = degrees * 3.14159265358979323846 / 180.0;
    const double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
    const float r[16] = {
        float(t * ux * ux + c),      float(t * ux * uy + s * uz), float(t * ux * uz - s * uy), 0,
        float(t * ux * uy - s * uz), float(t * uy * uy + c),      float(t * uy * uz + s * ux), 0,
        float(t * ux * uz + s * uy), float(t * uy * uz - s * ux), float(t * uz * uz + c),      0,
        0,                           0,                           0,                           1,
    };
    multiply(p, r);
}

}  // namespace

Placement placement_identity() { return {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}; }

Vec3 placement_point(const Placement& p, Vec3 v) {
    const float* m = p.m;
    return {m[0] * v.x + m[4] * v.y + m[8] * v.z + m[12], m[1] * v.x + m[5] * v.y + m[9] * v.z + m[13],
            m[2] * v.x + m[6] * v.y + m[10] * v.z + m[14]};
}

Vec3 placement_direction(const Placement& p, Vec3 v) {
    const float* m = p.m;
    return {m[0] * v.x + m[4] * v.y + m[8] * v.z, m[1] * v.x + m[5] * v.y + m[9] * v.z,
            m[2] * v.x + m[6] * v.y + m[10] * v.z};
}

Placement replay_moves(const Move* moves, int count, std::vector<Placement>* parts) {
    std::vector<Placement> stack;
    Placement current = placement_identity();
    for (int i = 0; i < count; ++i) {
        const Move& move = moves[i];
        switch (move.kind) {
        case MoveKind::push: stack.push_back(current); break;
        case MoveKind::pop:
            // GL refuses a pop of an empty stack and keeps the matrix; so does this.
            if (!stack.empty()) {
                current = stack.back();
                stack.pop_back();
            }
            break;
        case MoveKind::translate: translate(current, move.x, move.y, move.z); break;
        case MoveKind::rotate: rotate(current, move.degrees, move.x, move.y, move.z); break;
        case MoveKind::part:
            if (parts) parts->push_back(current);
            break;
        }
    }
    return current;
}

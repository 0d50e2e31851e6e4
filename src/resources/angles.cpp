// Whole-degree sine and cosine tables, the round-half-up rule the shape
// builders turn fractional angles with, and the vector operations the face
// normals are built from.
#include <cmath>
#include <limits>

#include "resources/resources.h"

namespace {

// Entries for -359 ... 360 degrees; entry d lives at d + angle_offset.
constexpr int angle_offset = 359;
constexpr int angle_entries = 720;

float sin_table[angle_entries];
float cos_table[angle_entries];

// The look-up rule shared by sine and cosine: angles of 360 degrees and more
// (either sign) wrap by a truncating remainder, so entry 360 is never read.
float look_up_degrees(const float* table, int degrees) {
    if (abs_float(static_cast<float>(degrees)) < 360.0f) return table[degrees + angle_offset];
    int wrapped = degrees % 360;
    return table[round_half_up(static_cast<float>(wrapped)) + angle_offset];
}

}  // namespace

void build_angle_tables() {
    const double radians_per_degree = 0.017453292519943295;
    for (int d = -359; d <= 360; ++d) {
        double angle = d * radians_per_degree;
        sin_table[d + angle_offset] = static_cast<float>(std::sin(angle));
        cos_table[d + angle_offset] = static_cast<float>(std::cos(angle));
    }
}

int round_half_up(float x) {
    double y = x;
    double down = std::floor(y);
    double rounded = (y - down >= 0.5) ? std::ceil(y) : down;
    // Out-of-range and NaN inputs are pinned rather than left to an undefined conversion.
    if (!(rounded >= std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    if (rounded > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    return static_cast<int>(rounded);
}

float abs_float(float x) { return x < 0.0f ? -x : x; }

float sin_deg(int degrees) { return look_up_degrees(sin_table, degrees); }

float cos_deg(int degrees) { return look_up_degrees(cos_table, degrees); }

Vec3 vec3_sub(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Vec3 vec3_cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// No guard for a zero vector: a degenerate face gets a non-finite normal, which
// is what every caller has always drawn with.
void vec3_normalize(Vec3& v) {
    float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    v = {v.x / length, v.y / length, v.z / length};
}

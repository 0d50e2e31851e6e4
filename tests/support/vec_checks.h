// Small vector helpers and a near-equality check for the geometry tests.
#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "render/render.h"

inline void expect_near_vec(Vec3 actual, Vec3 expected, float tolerance, const char* what) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << what;
}

inline Vec3 add(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vec3 scale(Vec3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
inline float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline float distance(Vec3 a, Vec3 b) { return std::sqrt(dot(vec3_sub(a, b), vec3_sub(a, b))); }

inline Vec3 centroid(const Vec3 corners[4]) {
    Vec3 sum = {0, 0, 0};
    for (int i = 0; i < 4; ++i) sum = add(sum, corners[i]);
    return scale(sum, 0.25f);
}

// The normal the emitters send for a face: from its first three corners.
inline Vec3 normal_of(const Vec3 corners[4]) { return face_normal(corners[0], corners[1], corners[2]); }

// Frames of different sizes made comparable: a larger frame area-averaged
// down to a smaller one's size, as a box filter would (2 x 2 at twice the
// size, fractional boxes at 1440 x 1080), and the mean difference of two.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace frames {

// Each target pixel the average of the source area it covers, partly
// covered source pixels weighted by their share.
inline std::vector<uint8_t> shrink(const std::vector<uint8_t>& rgb, int width, int height, int to_width,
                                   int to_height) {
    std::vector<uint8_t> out(static_cast<size_t>(to_width) * to_height * 3);
    const double sx = static_cast<double>(width) / to_width, sy = static_cast<double>(height) / to_height;
    for (int ty = 0; ty < to_height; ++ty) {
        const double y0 = ty * sy, y1 = (ty + 1) * sy;
        for (int tx = 0; tx < to_width; ++tx) {
            const double x0 = tx * sx, x1 = (tx + 1) * sx;
            double sum[3] = {0, 0, 0}, weight = 0;
            for (int y = static_cast<int>(y0); y < std::min<double>(std::ceil(y1), height); ++y) {
                const double wy = std::min<double>(y + 1, y1) - std::max<double>(y, y0);
                for (int x = static_cast<int>(x0); x < std::min<double>(std::ceil(x1), width); ++x) {
                    const double w = wy * (std::min<double>(x + 1, x1) - std::max<double>(x, x0));
                    const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
                    for (int c = 0; c < 3; ++c) sum[c] += w * p[c];
                    weight += w;
                }
            }
            uint8_t* q = &out[(static_cast<size_t>(ty) * to_width + tx) * 3];
            for (int c = 0; c < 3; ++c) q[c] = static_cast<uint8_t>(std::lround(sum[c] / weight));
        }
    }
    return out;
}

// The mean absolute difference of two frames of one size, in levels of 255.
inline double mean_difference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size() || a.empty()) return 255;
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) sum += std::abs(a[i] - b[i]);
    return sum / static_cast<double>(a.size());
}

}  // namespace frames

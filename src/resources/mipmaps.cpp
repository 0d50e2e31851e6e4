// The mipmap chain of a picture, computed as GLU computes it, so every system
// (and the browser, which has no GLU) samples the same texels.
#include <algorithm>
#include <cstddef>

#include "resources/resources.h"

namespace {

// GLU's nearest power of two: the highest bit of the value, doubled when the
// bit below it is set too (3 gives 4, 5 gives 4, 6 gives 8).
int nearest_power(int value) {
    int power = 1;
    for (;;) {
        if (value == 1) return power;
        if (value == 3) return power * 4;
        value >>= 1;
        power *= 2;
    }
}

// Box-filters the picture to width x height: each new pixel averages the
// source area it covers, weighted by how much of each source pixel lies in it.
MipmapLevel rescale(const std::vector<uint8_t>& rgb, int width, int height, int new_width, int new_height) {
    MipmapLevel level{new_width, new_height, std::vector<uint8_t>(static_cast<size_t>(new_width) * new_height * 3)};
    const double x_step = static_cast<double>(width) / new_width;
    const double y_step = static_cast<double>(height) / new_height;
    for (int y = 0; y < new_height; ++y) {
        const double top = y * y_step, bottom = top + y_step;
        for (int x = 0; x < new_width; ++x) {
            const double left = x * x_step, right = left + x_step;
            double sum[3] = {0, 0, 0}, area = 0;
            for (int sy = static_cast<int>(top); sy < height && sy < bottom; ++sy) {
                const double h = std::min<double>(sy + 1, bottom) - std::max<double>(sy, top);
                for (int sx = static_cast<int>(left); sx < width && sx < right; ++sx) {
                    const double w = (std::min<double>(sx + 1, right) - std::max<double>(sx, left)) * h;
                    const uint8_t* p = &rgb[(static_cast<size_t>(sy) * width + sx) * 3];
                    for (int c = 0; c < 3; ++c) sum[c] += p[c] * w;
                    area += w;
                }
            }
            uint8_t* out = &level.rgb[(static_cast<size_t>(y) * new_width + x) * 3];
            for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(sum[c] / area + 0.5);
        }
    }
    return level;
}

MipmapLevel halve(const MipmapLevel& from) {
    const int width = from.width > 1 ? from.width / 2 : 1;
    const int height = from.height > 1 ? from.height / 2 : 1;
    MipmapLevel level{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
    // Two source columns and rows where the side halves, one where it is 1.
    const int dx = from.width > 1 ? 1 : 0, dy = from.height > 1 ? 1 : 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int sx = x * (1 + dx), sy = y * (1 + dy);
            auto at = [&](int px, int py, int c) {
                return static_cast<int>(from.rgb[(static_cast<size_t>(py) * from.width + px) * 3 + c]);
            };
            uint8_t* out = &level.rgb[(static_cast<size_t>(y) * width + x) * 3];
            for (int c = 0; c < 3; ++c) {
                if (dx && dy)
                    out[c] = static_cast<uint8_t>((at(sx, sy, c) + at(sx + 1, sy, c) + at(sx, sy + 1, c) +
                                                   at(sx + 1, sy + 1, c) + 2) / 4);
                else
                    out[c] = static_cast<uint8_t>((at(sx, sy, c) + at(sx + dx, sy + dy, c)) / 2);
            }
        }
    return level;
}

}  // namespace

std::vector<MipmapLevel> mipmap_chain(const std::vector<uint8_t>& rgb, int width, int height) {
    std::vector<MipmapLevel> chain;
    if (width <= 0 || height <= 0) return chain;
    const int new_width = nearest_power(width), new_height = nearest_power(height);
    if (new_width == width && new_height == height)
        chain.push_back(MipmapLevel{width, height, rgb});
    else
        chain.push_back(rescale(rgb, width, height, new_width, new_height));
    while (chain.back().width > 1 || chain.back().height > 1) chain.push_back(halve(chain.back()));
    return chain;
}

// Canvases, blurs and tileable noise for the generated pictures.
#include "image.h"

#include <algorithm>
#include <cmath>

float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

float mix(float a, float b, float f) { return a + (b - a) * f; }

Colour mix(Colour a, Colour b, float f) { return {mix(a.r, b.r, f), mix(a.g, b.g, f), mix(a.b, b.b, f)}; }

Colour scale(Colour c, float f) { return {c.r * f, c.g * f, c.b * f}; }

Colour add(Colour a, Colour b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }

float smoothstep(float edge0, float edge1, float x) {
    float t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

float distance_to_grid(float x, float period) {
    float f = x / period - std::floor(x / period);
    return std::min(f, 1.0f - f) * period;
}

Colour rgb255(int r, int g, int b) { return {r / 255.0f, g / 255.0f, b / 255.0f}; }

uint32_t hash_u32(uint32_t a, uint32_t b, uint32_t c) {
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

float hash_unit(int x, int y, uint32_t seed) {
    return static_cast<float>(hash_u32(static_cast<uint32_t>(x), static_cast<uint32_t>(y), seed) >> 8) /
           16777215.0f;
}

static int wrap(int i, int period) {
    int m = i % period;
    return m < 0 ? m + period : m;
}

static float quintic(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

float tile_noise(float x, float y, int period_x, int period_y, uint32_t seed) {
    float fx = std::floor(x);
    float fy = std::floor(y);
    int ix = static_cast<int>(fx);
    int iy = static_cast<int>(fy);
    float tx = quintic(x - fx);
    float ty = quintic(y - fy);
    int x0 = wrap(ix, period_x), x1 = wrap(ix + 1, period_x);
    int y0 = wrap(iy, period_y), y1 = wrap(iy + 1, period_y);
    float a = mix(hash_unit(x0, y0, seed), hash_unit(x1, y0, seed), tx);
    float b = mix(hash_unit(x0, y1, seed), hash_unit(x1, y1, seed), tx);
    return mix(a, b, ty);
}

// Octaves of tileable noise, each at twice the cells and half the weight of the
// one before, shaped by `shape` and averaged by weight.
template <typename Shaping>
static float tile_octaves(float u, float v, int cells_x, int cells_y, int octaves, uint32_t seed, Shaping shape) {
    float sum = 0.0f;
    float weight = 1.0f;
    float total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        int px = cells_x << o;
        int py = cells_y << o;
        sum += weight * shape(tile_noise(u * px, v * py, px, py, seed + 977u * o));
        total += weight;
        weight *= 0.5f;
    }
    return sum / total;
}

float tile_fbm(float u, float v, int cells_x, int cells_y, int octaves, uint32_t seed) {
    return tile_octaves(u, v, cells_x, cells_y, octaves, seed, [](float n) { return n; });
}

float tile_turbulence(float u, float v, int cells_x, int cells_y, int octaves, uint32_t seed) {
    return tile_octaves(u, v, cells_x, cells_y, octaves, seed, [](float n) { return std::fabs(2.0f * n - 1.0f); });
}

// One box pass along a line of n values spaced by stride; outside is zero, so
// light spreads out of a picture rather than piling up at its border.
static void box_line(float* data, int n, int stride, int half, std::vector<float>& scratch) {
    scratch.assign(n, 0.0f);
    float norm = 1.0f / (2 * half + 1);
    float acc = 0.0f;
    for (int i = -half; i <= half; ++i)
        if (i >= 0 && i < n) acc += data[i * stride];
    for (int i = 0; i < n; ++i) {
        scratch[i] = acc * norm;
        int out = i - half;
        int in = i + half + 1;
        if (out >= 0) acc -= data[out * stride];
        if (in < n) acc += data[in * stride];
    }
    for (int i = 0; i < n; ++i) data[i * stride] = scratch[i];
}

static int box_half_width(float sigma) {
    // Three passes of width w give a variance of (w*w - 1) / 4.
    float w = std::sqrt(4.0f * sigma * sigma + 1.0f);
    return std::max(0, static_cast<int>(std::lround((w - 1.0f) * 0.5f)));
}

Mask blur(const Mask& m, float radius_x, float radius_y) {
    Mask out = m;
    std::vector<float> scratch;
    int hx = box_half_width(radius_x);
    int hy = box_half_width(radius_y);
    for (int pass = 0; pass < 3; ++pass) {
        if (hx > 0)
            for (int y = 0; y < out.height; ++y) box_line(&out.at(0, y), out.width, 1, hx, scratch);
        if (hy > 0)
            for (int x = 0; x < out.width; ++x) box_line(&out.at(x, 0), out.height, out.width, hy, scratch);
    }
    return out;
}

void stamp_max(Mask& dst, const Mask& src, int x, int y) {
    for (int sy = 0; sy < src.height; ++sy) {
        int dy = y + sy;
        if (dy < 0 || dy >= dst.height) continue;
        for (int sx = 0; sx < src.width; ++sx) {
            int dx = x + sx;
            if (dx < 0 || dx >= dst.width) continue;
            dst.at(dx, dy) = std::max(dst.at(dx, dy), src.at(sx, sy));
        }
    }
}

void scale_mask(Mask& m, float f) {
    for (float& v : m.value) v *= f;
}

void fill(Image& img, Colour c) {
    for (size_t i = 0; i < img.rgb.size(); i += 3) {
        img.rgb[i] = c.r;
        img.rgb[i + 1] = c.g;
        img.rgb[i + 2] = c.b;
    }
}

void add_light(Image& img, const Mask& mask, Colour colour) {
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            float a = mask.at(x, y);
            float* p = img.at(x, y);
            p[0] += colour.r * a;
            p[1] += colour.g * a;
            p[2] += colour.b * a;
        }
}

void paint(Image& img, const Mask& mask, Colour colour) {
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            float a = clamp01(mask.at(x, y));
            float* p = img.at(x, y);
            p[0] = mix(p[0], colour.r, a);
            p[1] = mix(p[1], colour.g, a);
            p[2] = mix(p[2], colour.b, a);
        }
}

void fade_border(Image& img, float margin_x, float margin_y) {
    for (int y = 0; y < img.height; ++y) {
        float dy = std::min(y + 0.5f, img.height - y - 0.5f);
        float fy = smoothstep(1.0f, margin_y, dy);
        for (int x = 0; x < img.width; ++x) {
            float dx = std::min(x + 0.5f, img.width - x - 0.5f);
            float f = fy * smoothstep(1.0f, margin_x, dx);
            float* p = img.at(x, y);
            p[0] *= f;
            p[1] *= f;
            p[2] *= f;
        }
    }
}

float inside(float x, float lo, float hi, float soft) {
    return smoothstep(lo - soft, lo + soft, x) * (1.0f - smoothstep(hi - soft, hi + soft, x));
}

// Picture canvases for the data generator: floating-point RGB images and grey
// masks, the blurs and compositing the pictures are built from, and tileable
// noise. Row 0 of every canvas is the top of the picture as a person sees it
// (texture t = 0); only the TGA writer knows that the file stores rows the other
// way round. Everything here is pure and deterministic.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Colour {
    float r, g, b;
};

// RGB in 0 ... 1 (values outside are clamped when written), row 0 at the top.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<float> rgb;  // width * height * 3

    Image() = default;
    Image(int w, int h) : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3, 0.0f) {}
    float* at(int x, int y) { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    const float* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// One float per pixel (text coverage, glow strength), row 0 at the top.
struct Mask {
    int width = 0;
    int height = 0;
    std::vector<float> value;

    Mask() = default;
    Mask(int w, int h) : width(w), height(h), value(static_cast<size_t>(w) * h, 0.0f) {}
    float& at(int x, int y) { return value[static_cast<size_t>(y) * width + x]; }
    float at(int x, int y) const { return value[static_cast<size_t>(y) * width + x]; }
};

// ---- small maths ----

float clamp01(float v);
float mix(float a, float b, float f);
Colour mix(Colour a, Colour b, float f);
Colour scale(Colour c, float f);
Colour add(Colour a, Colour b);
float smoothstep(float edge0, float edge1, float x);
// Distance from x to the nearest multiple of period.
float distance_to_grid(float x, float period);
Colour rgb255(int r, int g, int b);

// ---- hashing and noise (no global state, so every picture is reproducible alone) ----

uint32_t hash_u32(uint32_t a, uint32_t b, uint32_t c);
// A value in 0 ... 1 for the lattice point (x, y) of the given seed.
float hash_unit(int x, int y, uint32_t seed);
// Smooth value noise in 0 ... 1 at (x, y) lattice units, repeating every
// period_x by period_y lattice cells, so a picture built from it tiles.
float tile_noise(float x, float y, int period_x, int period_y, uint32_t seed);
// Sum of octaves of tile_noise, each twice as fine and half as strong, in 0 ... 1.
// u and v run over 0 ... 1 across the picture; the coarsest octave has cells_x by
// cells_y cells.
float tile_fbm(float u, float v, int cells_x, int cells_y, int octaves, uint32_t seed);

// Like tile_fbm but summing |2 n - 1| per octave: sharp creases where the noise
// crosses its middle, the folds of marble veins. In 0 ... 1.
float tile_turbulence(float u, float v, int cells_x, int cells_y, int octaves, uint32_t seed);

// ---- masks ----

// Separable blur that approximates a Gaussian of the given radii (three box passes).
Mask blur(const Mask& m, float radius_x, float radius_y);
// Adds src into dst with its top-left at (x, y), clipped.
void stamp_max(Mask& dst, const Mask& src, int x, int y);
// Multiplies every value by f.
void scale_mask(Mask& m, float f);

// ---- images ----

void fill(Image& img, Colour c);
// img += colour * mask, the way an additive picture gains light.
void add_light(Image& img, const Mask& mask, Colour colour);
// img = img * (1 - mask) + colour * mask, paint over what is there.
void paint(Image& img, const Mask& mask, Colour colour);
// Multiplies every pixel by a factor that falls to 0 within `margin` pixels of
// the border, so a picture drawn additively shows no edge even where bilinear
// filtering reaches across the border into the other side.
void fade_border(Image& img, float margin_x, float margin_y);

// Paints every pixel with colour_at(u, v), u and v the pixel centre's position
// across and down the picture in 0 ... 1.
template <class ColourAt>
void shade(Image& img, ColourAt colour_at) {
    for (int y = 0; y < img.height; ++y) {
        float v = (y + 0.5f) / img.height;
        for (int x = 0; x < img.width; ++x) {
            Colour c = colour_at((x + 0.5f) / img.width, v);
            float* p = img.at(x, y);
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        }
    }
}

// 1 inside lo ... hi, 0 outside, with edges softened over +-soft.
float inside(float x, float lo, float hi, float soft);

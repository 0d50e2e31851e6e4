// The tunnel wall, the ball and the room's swirl.
#include <cmath>

#include "pictures.h"

namespace {

constexpr float two_pi = 6.2831853f;

float fract(float x) { return x - std::floor(x); }

// A cycle of colours from deep blue through violet, magenta and orange to gold and back.
Colour palette_at(float t) {
    static const Colour stops[] = {
        {0.04f, 0.05f, 0.28f}, {0.42f, 0.10f, 0.62f}, {0.88f, 0.18f, 0.50f},
        {1.0f, 0.55f, 0.12f},  {0.98f, 0.86f, 0.42f},
    };
    constexpr int count = sizeof stops / sizeof stops[0];
    float p = t * count;
    int i = static_cast<int>(p) % count;
    return mix(stops[i], stops[(i + 1) % count], smoothstep(0.0f, 1.0f, p - std::floor(p)));
}

}  // namespace

void paint_tunnel(Image& img) {
    // s (across the picture) runs along one 2-unit band of the tube, s = 1 at
    // its nearer ring; t (down the picture) runs once around the ring, some 40
    // units. So the picture is squeezed twenty-fold down: each of its 32 rows of
    // panels is about 1.25 units of wall around and 2 along. A glowing seam
    // rings the tube at every band, and pipes run along it.
    constexpr int panels = 32;
    shade(img, [&](float u, float v) {
        float b = v * panels;
        int k = static_cast<int>(b) % panels;
        float fb = b - std::floor(b);
        float tone = 0.85f + 0.3f * hash_unit(k, 0, 1001);
        float grain = tile_fbm(u, v, 8, 128, 4, 1002);
        Colour c = scale({0.40f, 0.46f, 0.54f}, tone * (0.8f + 0.4f * grain));
        // Grooves between panels around the tube (in units: 1.25 * fb) and across it.
        float around = std::fmin(fb, 1.0f - fb) * 1.25f;
        float along = std::fmin(u, 1.0f - u) * 2.0f;
        float groove = 1.0f - smoothstep(0.02f, 0.045f, std::fmin(around, along));
        c = scale(c, 1.0f - 0.6f * groove);
        // Bevel: the panel's edge toward the seam catches the light.
        c = add(c, scale({0.12f, 0.13f, 0.15f}, inside(along, 0.045f, 0.07f, 0.01f)));
        // Two pipes along the tube on every eighth panel, rounded by their shading.
        if (k % 8 == 3) {
            for (float centre : {0.3f, 0.7f}) {
                float d = std::fabs(fb - centre) / 0.14f;
                if (d < 1.0f) {
                    float round = std::sqrt(1.0f - d * d);
                    c = scale({0.55f, 0.42f, 0.22f}, 0.35f + 0.75f * round);
                }
            }
        }
        // The lit ring in the middle of each band, cool white with a cyan halo.
        float ring = std::fabs(u - 0.5f) * 2.0f;
        float core = 1.0f - smoothstep(0.05f, 0.07f, ring);
        float halo = std::exp(-ring * ring / 0.012f);
        c = add(c, scale({0.1f, 0.55f, 0.7f}, 0.6f * halo));
        return mix(c, {0.85f, 1.0f, 1.0f}, core);
    });
}

void paint_ball(Image& img) {
    // Wrapped around the ball once: s around, t from the north pole (0) to the
    // south pole (1). Sixteen by eight red and white checks, each a whole
    // number of pixels so every border, the seam at s = 0 too, is equally crisp.
    shade(img, [&](float u, float v) {
        int parity = (static_cast<int>(u * 16.0f) + static_cast<int>(v * 8.0f)) % 2;
        return parity ? Colour{0.85f, 0.08f, 0.06f} : Colour{0.95f, 0.95f, 0.93f};
    });
}

void paint_swirl(Image& img) {
    // Papered on the six faces of the room: five arms winding out of the centre
    // through a cycle of colours.
    shade(img, [&](float u, float v) {
        float dx = u - 0.5f, dy = v - 0.5f;
        float r = std::sqrt(dx * dx + dy * dy);
        float angle = std::atan2(dy, dx);
        float n = tile_fbm(u, v, 4, 4, 4, 1101);
        float arm = angle / two_pi * 5.0f + std::log(r + 0.03f) * 2.2f + 0.8f * n;
        Colour c = palette_at(fract(arm));
        float band = 0.6f + 0.4f * std::sin(two_pi * arm * 2.0f);
        c = scale(c, 0.35f + 0.55f * band);
        // The centre glows.
        return add(c, scale({1.0f, 0.85f, 0.6f}, 0.6f * std::exp(-r * r / 0.004f)));
    });
}

// The town's pictures: four facades, the road, the crossing and the sign board.
//
// A building repeats its facade once per unit of width and height, so one
// facade picture is one storey of one unit of frontage and tiles seamlessly.
// The road picture spans half a street (s = 0 on the axis, s = 1 at the kerb,
// 0.75 units) and repeats once per unit along it; the crossing picture is the
// quarter x 0 ... 2, z -2 ... 0 of the crossing square, with s along x and
// t = 0 at z = -2, turned four times about the crossing's centre.
#include <cmath>

#include "pictures.h"

namespace {

// Half a pixel of a 256-pixel tile, for softened edges.
constexpr float soft = 0.5f / 256.0f;

float grain(float u, float v, uint32_t seed) { return tile_fbm(u, v, 16, 16, 4, seed) - 0.5f; }

// Window glass reflecting a pale sky: lighter toward the top, one diagonal
// glint, darker in the recess under the lintel. lu, lv run 0 ... 1 over the pane.
Colour glass(float lu, float lv, Colour deep, Colour sky) {
    float gradient = 0.55f * (1.0f - lv);
    float d = lu * 0.8f + lv - 0.55f;
    float glint = 0.45f * std::exp(-(d * d) / 0.006f) + 0.2f * std::exp(-((d - 0.25f) * (d - 0.25f)) / 0.002f);
    Colour c = mix(deep, sky, clamp01(gradient + glint));
    return scale(c, 0.6f + 0.4f * smoothstep(0.0f, 0.12f, lv));
}

struct WindowBox {
    float u0, u1, v0, v1;  // outer edge of the frame
    float frame;           // frame width
};

// The frame and the panes split by a cross of glazing bars; false outside the
// window. The caller blends the result in by the window's softened outline.
bool window_colour(const WindowBox& w, float u, float v, Colour frame_colour, Colour deep, Colour sky,
                   float bar_v, Colour* out) {
    float in = inside(u, w.u0, w.u1, soft) * inside(v, w.v0, w.v1, soft);
    if (in <= 0.0f) return false;
    float pane_u0 = w.u0 + w.frame, pane_u1 = w.u1 - w.frame;
    float pane_v0 = w.v0 + w.frame, pane_v1 = w.v1 - w.frame;
    float pane = inside(u, pane_u0, pane_u1, soft) * inside(v, pane_v0, pane_v1, soft);
    float mid_u = (w.u0 + w.u1) * 0.5f;
    float bars = std::fmax(1.0f - smoothstep(w.frame * 0.3f - soft, w.frame * 0.3f + soft, std::fabs(u - mid_u)),
                           1.0f - smoothstep(w.frame * 0.3f - soft, w.frame * 0.3f + soft, std::fabs(v - bar_v)));
    pane *= 1.0f - bars;
    Colour g = glass((u - pane_u0) / (pane_u1 - pane_u0), (v - pane_v0) / (pane_v1 - pane_v0), deep, sky);
    *out = mix(frame_colour, g, pane);
    return true;
}

Colour over(Colour base, Colour top, float a) { return mix(base, top, clamp01(a)); }

// ---- road surface ----

// Asphalt at (u, v) of a picture whose noise repeats cells_x by cells_y.
Colour asphalt(float u, float v, int cells_x, int cells_y, int px, int py, uint32_t seed) {
    float coarse = tile_fbm(u, v, cells_x / 8, cells_y / 8, 3, seed) - 0.5f;
    float fine = tile_fbm(u, v, cells_x, cells_y, 3, seed + 11) - 0.5f;
    float speck = hash_unit(px, py, seed + 23);
    float g = 0.24f + 0.10f * coarse + 0.10f * fine + (speck > 0.93f ? 0.08f : 0.0f) - (speck < 0.05f ? 0.05f : 0.0f);
    return {g, g, g * 1.04f};
}

Colour road_paint(Colour under, float wear) { return over(under, {0.88f, 0.88f, 0.84f}, 0.92f - 0.35f * wear); }

constexpr Colour gutter{0.50f, 0.49f, 0.46f};

}  // namespace

void paint_facade_windows1(Image& img) {
    const Colour wall{0.82f, 0.75f, 0.60f};
    const Colour stone{0.70f, 0.68f, 0.63f};
    const Colour frame{0.92f, 0.91f, 0.86f};
    shade(img, [&](float u, float v) {
        float speckle = hash_unit(static_cast<int>(u * 256), static_cast<int>(v * 256), 104) - 0.5f;
        Colour c = scale(wall, 0.97f + 0.22f * grain(u, v, 101) + 0.05f * speckle);
        // The floor slab between storeys: a stone band with a shadowed groove.
        float band = std::fmax(inside(v, 0.9f, 2.0f, soft), inside(v, -1.0f, 0.02f, soft));
        c = over(c, scale(stone, 0.95f + 0.4f * grain(u, v, 102)), band);
        c = scale(c, 1.0f - 0.35f * inside(v, 0.895f, 0.905f, soft));
        for (int i = 0; i < 2; ++i) {
            float cu = 0.25f + 0.5f * i;
            // Sill with its shadow on the wall below.
            float sill = inside(u, cu - 0.155f, cu + 0.155f, soft) * inside(v, 0.775f, 0.805f, soft);
            float shadow = inside(u, cu - 0.15f, cu + 0.15f, soft) * inside(v, 0.805f, 0.85f, soft) *
                           (1.0f - (v - 0.805f) / 0.045f);
            c = scale(c, 1.0f - 0.35f * clamp01(shadow));
            c = over(c, scale({0.86f, 0.85f, 0.81f}, 1.0f - 0.25f * inside(v, 0.795f, 0.81f, soft)), sill);
            Colour w;
            WindowBox box{cu - 0.13f, cu + 0.13f, 0.2f, 0.775f, 0.022f};
            Colour deep = i == 0 ? Colour{0.08f, 0.11f, 0.18f} : Colour{0.12f, 0.1f, 0.08f};
            if (window_colour(box, u, v, frame, deep, {0.55f, 0.65f, 0.78f}, 0.38f, &w))
                c = over(c, w, inside(u, box.u0, box.u1, soft) * inside(v, box.v0, box.v1, soft));
        }
        return c;
    });
}

void paint_facade_windows2(Image& img) {
    const Colour panel{0.55f, 0.58f, 0.63f};
    const Colour metal{0.30f, 0.32f, 0.35f};
    shade(img, [&](float u, float v) {
        // Spandrel panel from 0.72 down to the next storey's glass at 0.08.
        Colour c = scale(panel, 0.95f + 0.25f * grain(u, v, 201) + 0.04f * std::sin(v * 6.2831853f * 40.0f));
        float glass_band = inside(v, 0.08f, 0.70f, soft);
        if (glass_band > 0.0f) {
            float lv = (v - 0.08f) / 0.62f;
            float clouds = tile_fbm(u, lv * 0.5f, 4, 2, 4, 202);
            float sky = clamp01(0.6f * (1.0f - lv) + 0.6f * (clouds - 0.4f));
            Colour g = mix({0.07f, 0.20f, 0.24f}, {0.45f, 0.62f, 0.68f}, sky);
            // Ceiling lights of the office behind the glass.
            g = add(g, scale({0.35f, 0.35f, 0.3f}, inside(lv, 0.05f, 0.08f, soft * 2.0f)));
            c = over(c, g, glass_band);
        }
        float mullion = 1.0f - smoothstep(0.011f - soft, 0.011f + soft, distance_to_grid(u, 0.5f));
        float transom = std::fmax(inside(v, 0.065f, 0.085f, soft), inside(v, 0.695f, 0.725f, soft));
        c = over(c, metal, std::fmax(mullion, transom));
        // A highlight on the lower lip of each transom.
        c = add(c, scale({0.15f, 0.15f, 0.15f}, inside(v, 0.722f, 0.727f, soft)));
        return c;
    });
}

void paint_facade_brick(Image& img) {
    const Colour mortar{0.72f, 0.70f, 0.66f};
    const Colour frame{0.90f, 0.90f, 0.88f};
    constexpr int courses = 16;
    constexpr int bricks = 4;
    shade(img, [&](float u, float v) {
        int row = static_cast<int>(v * courses) % courses;
        float offset = (row % 2) * (0.5f / bricks);
        float bu = (u + offset) * bricks;
        int col = static_cast<int>(std::floor(bu)) % bricks;
        float fu = bu - std::floor(bu);
        float fv = v * courses - std::floor(v * courses);
        float tone = hash_unit(col, row, 301);
        Colour brick = mix({0.50f, 0.20f, 0.13f}, {0.68f, 0.33f, 0.22f}, tone);
        brick = scale(brick, 0.85f + 0.5f * grain(u, v, 302));
        // Distances to the nearest joint in course heights (a brick is four courses long).
        float joint_u = std::fmin(fu, 1.0f - fu) * 4.0f;
        float joint_v = std::fmin(fv, 1.0f - fv);
        float m = 1.0f - smoothstep(0.07f, 0.13f, std::fmin(joint_u, joint_v));
        Colour c = over(brick, scale(mortar, 0.95f + 0.3f * grain(u, v, 303)), m);
        // Concrete lintel and sill around one window per storey.
        float lintel = inside(u, 0.28f, 0.72f, soft) * inside(v, 0.19f, 0.245f, soft);
        float sill = inside(u, 0.30f, 0.70f, soft) * inside(v, 0.755f, 0.785f, soft);
        Colour concrete = scale({0.74f, 0.73f, 0.70f}, 0.95f + 0.3f * grain(u, v, 304));
        c = over(c, concrete, std::fmax(lintel, sill));
        c = scale(c, 1.0f - 0.3f * inside(u, 0.30f, 0.70f, soft) * inside(v, 0.785f, 0.815f, soft));
        Colour w;
        WindowBox box{0.33f, 0.67f, 0.245f, 0.755f, 0.024f};
        if (window_colour(box, u, v, frame, {0.09f, 0.12f, 0.17f}, {0.58f, 0.66f, 0.76f}, 0.42f, &w))
            c = over(c, w, inside(u, box.u0, box.u1, soft) * inside(v, box.v0, box.v1, soft));
        return c;
    });
}

void paint_facade_concrete(Image& img) {
    const Colour frame{0.36f, 0.25f, 0.17f};
    shade(img, [&](float u, float v) {
        float stains = tile_fbm(u * 1.0f, v * 0.25f, 8, 2, 3, 401);
        float pits = hash_unit(static_cast<int>(u * 256), static_cast<int>(v * 256), 403);
        Colour c = scale({0.63f, 0.62f, 0.59f}, 0.95f + 0.18f * grain(u, v, 402) - 0.2f * (stains - 0.5f) -
                                                       (pits > 0.92f ? 0.08f : 0.0f));
        // Rain streaks below the window's corners.
        float streak = (inside(u, 0.17f, 0.2f, soft * 4) + inside(u, 0.8f, 0.83f, soft * 4)) *
                       inside(v, 0.70f, 0.98f, soft) * (1.0f - (v - 0.7f) / 0.28f);
        c = scale(c, 1.0f - 0.18f * clamp01(streak));
        // Panel joints along the tile's edges, where one precast slab meets the next.
        float joint = std::fmax(1.0f - smoothstep(0.006f, 0.006f + 2 * soft, distance_to_grid(u, 1.0f)),
                                1.0f - smoothstep(0.006f, 0.006f + 2 * soft, distance_to_grid(v, 1.0f)));
        c = scale(c, 1.0f - 0.55f * joint);
        Colour w;
        WindowBox box{0.16f, 0.84f, 0.30f, 0.68f, 0.025f};
        if (window_colour(box, u, v, frame, {0.10f, 0.12f, 0.15f}, {0.6f, 0.66f, 0.72f}, 0.45f, &w))
            c = over(c, w, inside(u, box.u0, box.u1, soft) * inside(v, box.v0, box.v1, soft));
        c = scale(c, 1.0f - 0.25f * inside(u, 0.16f, 0.84f, soft) * inside(v, 0.68f, 0.705f, soft));
        return c;
    });
}

void paint_road(Image& img) {
    // u = s across the half street (x = 0.75 u units from the axis), v = t along it (1 unit).
    for (int y = 0; y < img.height; ++y)
        for (int xp = 0; xp < img.width; ++xp) {
            float u = (xp + 0.5f) / img.width;
            float v = (y + 0.5f) / img.height;
            float x = 0.75f * u;
            Colour c = asphalt(u, v, 24, 32, xp, y, 501);
            // Wheel tracks polished a shade lighter.
            c = scale(c, 1.0f + 0.07f * (inside(x, 0.18f, 0.32f, 0.05f) + inside(x, 0.45f, 0.58f, 0.05f)));
            float wear = tile_fbm(u, v, 12, 16, 3, 502);
            // Dashes of the centre line, half of its width on this side of the axis;
            // centred in the tile so both halves of the street dash together.
            float line_soft = 0.5f / img.width * 0.75f;
            float dash = inside(x, -1.0f, 0.025f, line_soft) * inside(v, 0.25f, 0.75f, 0.5f / img.height);
            float edge = inside(x, 0.62f, 0.655f, line_soft);
            c = over(c, road_paint(c, wear), std::fmax(dash, edge));
            c = over(c, scale(gutter, 0.9f + 0.4f * grain(u, v, 503)), inside(x, 0.70f, 2.0f, line_soft));
            float* p = img.at(xp, y);
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        }
}

void paint_crossing(Image& img) {
    // s runs along x from 0 to 2, t along z from -2 (top row) to 0 (bottom row);
    // the crossing's centre is the bottom-left corner.
    for (int y = 0; y < img.height; ++y)
        for (int xp = 0; xp < img.width; ++xp) {
            float u = (xp + 0.5f) / img.width;
            float v = (y + 0.5f) / img.height;
            float x = 2.0f * u;
            float z = -2.0f + 2.0f * v;
            float px_soft = 1.0f / img.width;
            Colour c = asphalt(u, v, 64, 64, xp, y, 511);
            float wear = tile_fbm(u, v, 32, 32, 3, 512);
            // Zebra bars across the street along -z (x 0 ... 0.75 from its axis) and
            // the street along +x (distance -z from its axis), at the same distances
            // from the crossing's centre, so each quarter's bars meet the next quarter's.
            auto zebra = [&](float across, float along) {
                return inside(across, -1.0f, 0.74f, px_soft) * inside(along, 1.3f, 1.85f, px_soft) *
                       (1.0f - smoothstep(0.06f - px_soft, 0.06f + px_soft, distance_to_grid(across, 0.24f)));
            };
            float bars = std::fmax(zebra(x, -z), zebra(-z, x));
            // Edge lines run on into the crossing up to the zebra.
            float edge = std::fmax(inside(x, 0.62f, 0.655f, px_soft) * inside(-z, 1.9f, 3.0f, px_soft),
                                   inside(-z, 0.62f, 0.655f, px_soft) * inside(x, 1.9f, 3.0f, px_soft));
            c = over(c, road_paint(c, wear), std::fmax(bars, edge));
            // The gutters turn the corner under the kerbs.
            float gut = inside(x, 0.70f, 3.0f, px_soft) * inside(-z, 0.70f, 3.0f, px_soft);
            c = over(c, scale(gutter, 0.9f + 0.4f * grain(u, v, 513)), gut);
            float* p = img.at(xp, y);
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        }
}

void paint_sign(Image& img) {
    // The board is 3 x 0.75 units.
    Frame f = frame_for(img, 3.0f, 0.75f);
    shade(img, [&](float u, float v) {
        float x = 3.0f * u, y = 0.75f * v;
        float edge = std::fmin(std::fmin(x, 3.0f - x), std::fmin(y, 0.75f - y));
        Colour board = mix({0.10f, 0.11f, 0.22f}, {0.03f, 0.03f, 0.08f}, v);
        Colour frame_metal = scale({0.75f, 0.76f, 0.78f}, 0.9f + 0.3f * grain(u * 8.0f, v, 601));
        Colour c = over(board, frame_metal, 1.0f - smoothstep(0.045f, 0.05f, edge));
        c = over(c, {1.0f, 0.55f, 0.1f}, inside(edge, 0.085f, 0.1f, 0.004f));
        return c;
    });
    TextStyle style{Font::sans_bold, 0.5f, 0.06f, 0.008f};
    style.size = fit_size("KARDEL", style, 2.4f, 0.42f);
    float baseline = (0.375f + 0.365f * style.size) * f.sy;
    Mask letters = text_layer(img, "KARDEL", style, f, img.width * 0.5f, baseline);
    Mask shadow = blur(letters, 0.012f * f.sx, 0.012f * f.sy);
    scale_mask(shadow, 0.8f);
    paint(img, shadow, {0.0f, 0.0f, 0.0f});
    paint(img, letters, {1.0f, 0.72f, 0.18f});
    // A brighter top half on the letters, as if lit from above.
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            float lift = 0.25f * letters.at(x, y) * (1.0f - smoothstep(0.2f, 0.55f, (y + 0.5f) / img.height));
            float* p = img.at(x, y);
            p[0] = clamp01(p[0] + lift);
            p[1] = clamp01(p[1] + lift);
            p[2] = clamp01(p[2] + lift * 0.6f);
        }
}

// The office building's pictures: three woods, marble, brushed metal, the wall,
// the suspended ceiling and the door plates of the greeted groups.
//
// The floor repeats its marble 17 times along the 57-unit corridor and once
// across its 3 units, the ceiling 14 times along it, the walls 14 or 17 times;
// stair panels and handrails repeat their wood along their length. Each of these
// tiles seamlessly. Door leaves and plates show their picture once per face.
#include <cmath>

#include "pictures.h"

namespace {

float fract(float x) { return x - std::floor(x); }

// Wood whose grain runs along `along`, both in 0 ... 1 over the picture; the
// growth rings count `rings` across it, so the picture tiles both ways.
struct WoodLook {
    Colour light, dark;
    int rings;
    int cells_along, cells_across;
};

Colour wood(float along, float across, const WoodLook& look, uint32_t seed) {
    // The noise cells follow the picture's axes, whichever way the grain runs.
    float warp = tile_fbm(along, across, look.cells_along, look.cells_across, 4, seed);
    float ring = fract(across * look.rings + 2.2f * warp);
    float late = smoothstep(0.55f, 0.8f, ring) * (1.0f - smoothstep(0.85f, 1.0f, ring));
    float fibre = tile_fbm(along, across, 2, 96, 3, seed + 5);
    float pores = hash_unit(static_cast<int>(along * 2048.0f), static_cast<int>(across * 512.0f), seed + 9);
    float dark = clamp01(0.55f * late + 0.5f * (fibre - 0.35f) + (pores > 0.96f ? 0.15f : 0.0f));
    return mix(look.light, look.dark, dark);
}

constexpr WoodLook oak{{0.62f, 0.40f, 0.21f}, {0.36f, 0.20f, 0.09f}, 9, 2, 6};
constexpr WoodLook mahogany{{0.48f, 0.22f, 0.12f}, {0.25f, 0.10f, 0.05f}, 6, 2, 4};
constexpr WoodLook walnut{{0.40f, 0.27f, 0.17f}, {0.18f, 0.11f, 0.06f}, 5, 2, 4};

// A picture-edge softening of half a pixel for a picture `pixels` wide.
float edge_soft(int pixels) { return 0.5f / pixels; }

// ---- door plates: 600 x 200 units (millimetres) ----

enum class Finish { brushed, gloss, enamel };
enum class Accent { frame, underline, ring, stripes, bar, diamond };

struct PlateStyle {
    const char* name;
    Font font;
    bool upper;
    float tracking;  // mm
    Colour top, bottom;
    Finish finish;
    Colour ink;
    Accent accent;
};

// Fourteen groups of our own invention, one logo style each.
constexpr PlateStyle plate_styles[14] = {
    {"vortrane", Font::serif_bold, false, 2.0f, {0.86f, 0.70f, 0.36f}, {0.62f, 0.46f, 0.20f}, Finish::brushed,
     {0.10f, 0.07f, 0.03f}, Accent::frame},
    {"quilmax", Font::sans_bold, true, 6.0f, {0.12f, 0.12f, 0.14f}, {0.02f, 0.02f, 0.03f}, Finish::gloss,
     {0.20f, 0.85f, 1.0f}, Accent::underline},
    {"nebulith", Font::serif_italic, false, 1.0f, {0.36f, 0.16f, 0.50f}, {0.14f, 0.05f, 0.24f}, Finish::gloss,
     {0.98f, 0.95f, 1.0f}, Accent::ring},
    {"morgavel", Font::sans_condensed_bold, true, 8.0f, {0.80f, 0.81f, 0.83f}, {0.58f, 0.59f, 0.62f},
     Finish::brushed, {0.60f, 0.06f, 0.06f}, Accent::stripes},
    {"strelkon", Font::mono_bold, true, 2.0f, {0.96f, 0.96f, 0.94f}, {0.84f, 0.85f, 0.84f}, Finish::enamel,
     {0.08f, 0.22f, 0.62f}, Accent::bar},
    {"plixor", Font::sans_bold_oblique, false, 0.0f, {1.0f, 0.58f, 0.12f}, {0.86f, 0.36f, 0.04f}, Finish::enamel,
     {0.05f, 0.04f, 0.03f}, Accent::diamond},
    {"tundrava", Font::serif_bold, true, 7.0f, {0.10f, 0.32f, 0.20f}, {0.04f, 0.18f, 0.10f}, Finish::enamel,
     {0.95f, 0.90f, 0.74f}, Accent::frame},
    {"oxbrine", Font::serif_bold_italic, false, 1.0f, {0.10f, 0.14f, 0.32f}, {0.03f, 0.05f, 0.16f}, Finish::gloss,
     {0.98f, 0.80f, 0.34f}, Accent::underline},
    {"halvenix", Font::sans_extra_light, true, 16.0f, {0.84f, 0.85f, 0.87f}, {0.62f, 0.63f, 0.66f},
     Finish::brushed, {0.05f, 0.05f, 0.06f}, Accent::frame},
    {"cryostel", Font::sans_bold, false, 2.0f, {0.80f, 0.92f, 1.0f}, {0.50f, 0.70f, 0.88f}, Finish::gloss,
     {0.04f, 0.10f, 0.30f}, Accent::ring},
    {"drumlet", Font::sans_bold, false, 1.0f, {0.82f, 0.10f, 0.10f}, {0.55f, 0.04f, 0.05f}, Finish::enamel,
     {1.0f, 0.98f, 0.95f}, Accent::stripes},
    {"fennoria", Font::serif_italic, false, 2.0f, {0.95f, 0.91f, 0.80f}, {0.84f, 0.78f, 0.64f}, Finish::enamel,
     {0.30f, 0.16f, 0.06f}, Accent::diamond},
    {"glimmerax", Font::mono_bold, false, 0.0f, {0.08f, 0.08f, 0.08f}, {0.01f, 0.01f, 0.01f}, Finish::gloss,
     {1.0f, 0.25f, 0.75f}, Accent::underline},
    {"zorbique", Font::sans_condensed_bold, true, 5.0f, {0.88f, 0.72f, 0.38f}, {0.64f, 0.48f, 0.22f},
     Finish::brushed, {0.06f, 0.10f, 0.32f}, Accent::bar},
};

std::string upper_case(const char* s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// The plate itself: a gradient with its finish, a bevelled rim and two screws.
void paint_plate_body(Image& img, Colour top, Colour bottom, Finish finish) {
    shade(img, [&](float u, float v) {
        float x = 600.0f * u, y = 200.0f * v;
        Colour c = mix(top, bottom, v);
        if (finish == Finish::brushed) c = scale(c, 0.9f + 0.2f * tile_fbm(u, v, 2, 128, 3, 701));
        if (finish == Finish::gloss) c = add(c, scale({1, 1, 1}, 0.10f * std::exp(-std::pow((v - 0.2f) / 0.12f, 2))));
        float d_top = y, d_bottom = 200.0f - y, d_left = x, d_right = 600.0f - x;
        float edge = std::fmin(std::fmin(d_left, d_right), std::fmin(d_top, d_bottom));
        float rim = 1.0f - smoothstep(7.0f, 9.0f, edge);
        // Light falls from above: the upper bevel bright, the lower one dark.
        float light = edge == d_top ? 0.28f : edge == d_bottom ? -0.35f : edge == d_left ? 0.1f : -0.12f;
        c = scale(c, 1.0f + rim * light);
        for (float sx : {28.0f, 572.0f}) {
            float d = std::sqrt((x - sx) * (x - sx) + (y - 100.0f) * (y - 100.0f));
            float head = 1.0f - smoothstep(9.0f, 10.5f, d);
            Colour screw = scale({0.78f, 0.78f, 0.76f}, 1.15f - 0.5f * (y - 90.0f) / 20.0f);
            float slot = (1.0f - smoothstep(1.2f, 2.2f, std::fabs((x - sx) - (y - 100.0f)))) * (d < 8.0f ? 1.0f : 0.0f);
            c = mix(c, scale(screw, 1.0f - 0.6f * slot), head);
        }
        return c;
    });
}

// A mask of the accent drawn in plate millimetres, pre-squeezed like the picture.
Mask accent_mask(const Image& img, Accent accent, float text_left, float text_right, float baseline) {
    Mask m(img.width, img.height);
    for (int py = 0; py < img.height; ++py)
        for (int px = 0; px < img.width; ++px) {
            float x = (px + 0.5f) * 600.0f / img.width;
            float y = (py + 0.5f) * 200.0f / img.height;
            float s = 1.0f;  // about a pixel in mm
            float a = 0.0f;
            switch (accent) {
                case Accent::frame: {
                    float edge = std::fmin(std::fmin(x - 48.0f, 552.0f - x), std::fmin(y - 22.0f, 178.0f - y));
                    a = inside(edge, 0.0f, 3.0f, s);
                    break;
                }
                case Accent::underline:
                    a = inside(x, text_left, text_right, s) * inside(y, baseline + 12.0f, baseline + 19.0f, s);
                    break;
                case Accent::ring: {
                    float d = std::sqrt((x - 92.0f) * (x - 92.0f) + (y - 100.0f) * (y - 100.0f));
                    a = std::fmax(inside(d, 26.0f, 36.0f, s), 1.0f - smoothstep(9.0f, 10.0f + s, d));
                    break;
                }
                case Accent::stripes: {
                    float end = std::fmin(x - 50.0f, 550.0f - x);
                    float stripe = 1.0f - smoothstep(4.0f, 5.0f + s, distance_to_grid(x + y, 18.0f));
                    a = stripe * (end < 40.0f && end > 0.0f ? 1.0f : 0.0f) * inside(y, 30.0f, 170.0f, s);
                    break;
                }
                case Accent::bar:
                    a = inside(x, 52.0f, 70.0f, s) * inside(y, 30.0f, 170.0f, s);
                    break;
                case Accent::diamond: {
                    float d = std::fabs(x - 92.0f) + std::fabs(y - 100.0f);
                    a = 1.0f - smoothstep(34.0f, 35.0f + s, d);
                    break;
                }
            }
            m.at(px, py) = a;
        }
    return m;
}

bool accent_takes_left(Accent a) { return a == Accent::ring || a == Accent::bar || a == Accent::diamond; }

}  // namespace

const char* group_name(int group) { return plate_styles[group].name; }

void paint_plate(Image& img, int group) {
    const PlateStyle& style = plate_styles[group];
    Frame f = frame_for(img, 600.0f, 200.0f);
    paint_plate_body(img, style.top, style.bottom, style.finish);
    std::string text = style.upper ? upper_case(style.name) : std::string(style.name);
    float left = accent_takes_left(style.accent) ? 140.0f : style.accent == Accent::frame ? 80.0f : 70.0f;
    float right = style.accent == Accent::frame ? 520.0f : 530.0f;
    if (style.accent == Accent::stripes) left = 105.0f, right = 495.0f;
    TextStyle ts{style.font, 100.0f, style.tracking, 0.0f};
    ts.size = std::fmin(110.0f, fit_size(text, ts, right - left, style.accent == Accent::underline ? 80.0f : 100.0f));
    float text_w = 0.0f, text_h = 0.0f;
    measure_text(text, ts, &text_w, &text_h);
    float cx = (left + right) * 0.5f;
    // Tall letters centred, so plates with and without descenders sit alike.
    float baseline = 100.0f + 0.36f * ts.size - (style.accent == Accent::underline ? 10.0f : 0.0f);
    Mask ink = text_layer(img, text, ts, f, cx * f.sx, baseline * f.sy);
    Mask shade_mask = blur(ink, 1.5f * f.sx, 1.5f * f.sy);
    scale_mask(shade_mask, 0.45f);
    paint(img, shade_mask, scale(style.bottom, 0.4f));
    paint(img, ink, style.ink);
    Mask accent = accent_mask(img, style.accent, cx - text_w * 0.5f, cx + text_w * 0.5f, baseline);
    paint(img, accent, style.ink);
}

void paint_plate_zelvo(Image& img) {
    Frame f = frame_for(img, 600.0f, 200.0f);
    paint_plate_body(img, {0.10f, 0.10f, 0.12f}, {0.02f, 0.02f, 0.03f}, Finish::gloss);
    Colour gold{1.0f, 0.78f, 0.30f};
    TextStyle ts{Font::sans_bold, 120.0f, 6.0f, 1.5f};
    ts.size = std::fmin(120.0f, fit_size("zelvo", ts, 400.0f, 105.0f));
    Mask ink = text_layer(img, "zelvo", ts, f, img.width * 0.5f, (100.0f + 0.36f * ts.size) * f.sy);
    Mask halo = blur(ink, 6.0f * f.sx, 6.0f * f.sy);
    add_light(img, halo, scale(gold, 0.6f));
    paint(img, ink, gold);
    paint(img, accent_mask(img, Accent::frame, 0, 0, 0), scale(gold, 0.8f));
    for (float& v : img.rgb) v = clamp01(v);
}

void paint_wood_door(Image& img) {
    // The leaf is 1 x 2 units with the grain upright; two recessed panels, and
    // room above the upper one for the name plate.
    float s = edge_soft(img.width);
    shade(img, [&](float u, float v) {
        Colour c = wood(v, u, oak, 801);
        float y = 2.0f * v;
        for (auto [top, bottom] : {std::pair{0.50f, 0.95f}, std::pair{1.08f, 1.82f}}) {
            constexpr float left = 0.17f, right = 0.83f, width = 0.035f;
            float in = inside(u, left, right, s) * inside(y, top, bottom, s * 2);
            if (in <= 0.0f) continue;
            // Which rim of the recess is nearest decides its light: from above,
            // so the rim under the top edge is in shadow and the bottom one lit.
            float d_top = y - top, d_bottom = bottom - y, d_left = u - left, d_right = right - u;
            float nearest = std::fmin(std::fmin(d_top, d_bottom), std::fmin(d_left, d_right));
            float light = nearest == d_top ? -0.40f : nearest == d_bottom ? 0.25f : nearest == d_left ? -0.25f : 0.18f;
            float rim = 1.0f - smoothstep(width - s * 2, width + s * 2, nearest);
            c = scale(c, 1.0f + in * (rim * light - (1.0f - rim) * 0.07f));
        }
        // The leaf's edge band, slightly darker where it is handled.
        float edge = std::fmin(std::fmin(u, 1.0f - u), std::fmin(v, 1.0f - v) * 2.0f);
        return scale(c, 1.0f - 0.25f * (1.0f - smoothstep(0.0f, 0.03f, edge)));
    });
}

void paint_wood_rail(Image& img) {
    // Handrails run their grain along s, five times along a flight.
    shade(img, [&](float u, float v) {
        Colour c = wood(u, v, mahogany, 811);
        // A rounded top: lit along the upper third, darker underneath.
        return scale(c, 1.15f - 0.35f * v + 0.2f * std::exp(-std::pow((v - 0.18f) / 0.08f, 2)));
    });
}

void paint_wood_planks(Image& img) {
    // Four walnut planks across, each its own cut of the wood.
    shade(img, [&](float u, float v) {
        int plank = static_cast<int>(v * 4.0f) % 4;
        float shift = hash_unit(plank, 0, 821);
        Colour c = wood(u, fract(v + shift), walnut, 822);
        c = scale(c, 0.85f + 0.3f * hash_unit(plank, 1, 823));
        float joint = distance_to_grid(v, 0.25f);
        return scale(c, 1.0f - 0.6f * (1.0f - smoothstep(0.002f, 0.006f, joint)));
    });
}

void paint_marble(Image& img) {
    // One repeat covers about 3.35 x 3 units of floor: four polished slabs, each
    // cut from another part of the block.
    float s = edge_soft(img.width);
    shade(img, [&](float u, float v) {
        int slab = (u < 0.5f ? 0 : 1) + (v < 0.5f ? 0 : 2);
        float phase = 6.2831853f * hash_unit(slab, 0, 901);
        float turb = tile_turbulence(u, v, 3, 3, 5, 902);
        float cloud = tile_fbm(u, v, 6, 6, 4, 903);
        float vein = std::fabs(std::sin(6.2831853f * (1.0f * u + 1.0f * v) + 3.5f * turb + phase));
        float fine = std::fabs(std::sin(6.2831853f * (2.0f * u - 1.0f * v) + 5.0f * cloud + 2.0f * phase));
        Colour base = mix({0.94f, 0.92f, 0.88f}, {0.86f, 0.85f, 0.83f}, smoothstep(0.3f, 0.8f, cloud));
        Colour c = mix(base, {0.74f, 0.75f, 0.77f}, 0.6f * (1.0f - smoothstep(0.0f, 0.35f, vein)));
        c = mix(c, {0.38f, 0.40f, 0.44f}, 0.85f * (1.0f - smoothstep(0.0f, 0.07f, vein)));
        c = mix(c, {0.66f, 0.60f, 0.55f}, 0.45f * (1.0f - smoothstep(0.0f, 0.04f, fine)));
        float joint = std::fmin(distance_to_grid(u, 0.5f), distance_to_grid(v, 0.5f));
        return scale(c, 1.0f - 0.45f * (1.0f - smoothstep(0.0015f, 0.0015f + 2 * s, joint)));
    });
}

void paint_metal(Image& img) {
    // Brushed steel for the stair posts, the brushing upright along the posts.
    shade(img, [&](float u, float v) {
        float streak = tile_fbm(u, v, 48, 2, 4, 911);
        float scratch = tile_fbm(u, v, 128, 1, 2, 912);
        float g = 0.58f + 0.22f * (streak - 0.5f) + 0.12f * (scratch - 0.5f) +
                  0.08f * std::cos(6.2831853f * u);
        return Colour{g, g * 1.01f, g * 1.04f};
    });
}

void paint_office_wall(Image& img) {
    // One repeat is about 4 units wide and the full 3 units of the storey high:
    // t = 0 at the next floor, t = 1 on the floor; the ceiling hides the top 0.3.
    float sv = edge_soft(img.height);
    shade(img, [&](float u, float v) {
        float h = 3.0f * (1.0f - v);
        float plaster = tile_fbm(u, v, 16, 12, 4, 921);
        Colour c = scale({0.87f, 0.85f, 0.79f}, 0.94f + 0.12f * plaster);
        // The lower part is painted a darker grey-blue below a wooden rail.
        Colour low = scale({0.56f, 0.62f, 0.68f}, 0.94f + 0.12f * plaster);
        c = mix(c, low, 1.0f - smoothstep(0.9f - 3 * sv, 0.9f + 3 * sv, h));
        float rail = inside(h, 0.9f, 0.96f, 3 * sv);
        c = mix(c, scale(wood(u, v * 0.3f, oak, 922), 1.0f + 0.2f * (h - 0.9f) / 0.06f), rail);
        c = scale(c, 1.0f - 0.25f * inside(h, 0.85f, 0.9f, 3 * sv) * (1.0f - (0.9f - h) / 0.05f));
        // Skirting board.
        float skirting = 1.0f - smoothstep(0.1f - 3 * sv, 0.1f + 3 * sv, h);
        c = mix(c, scale({0.22f, 0.20f, 0.19f}, 1.0f + 0.5f * inside(h, 0.09f, 0.1f, 2 * sv)), skirting);
        // Faint joints of the wall boards, three to a repeat.
        float joint = distance_to_grid(u, 1.0f / 3.0f);
        return scale(c, 1.0f - 0.08f * (1.0f - smoothstep(0.0005f, 0.002f, joint)) * (h > 0.96f ? 1.0f : 0.0f));
    });
}

void paint_ceiling(Image& img) {
    // One repeat covers about 4 x 3 units: six by five tiles in a metal grid,
    // with a pair of them a luminous light panel.
    constexpr int cols = 6, rows = 5;
    shade(img, [&](float u, float v) {
        float tu = u * cols, tv = v * rows;
        int ci = static_cast<int>(tu), ri = static_cast<int>(tv);
        float fu = tu - ci, fv = tv - ri;
        float edge = std::fmin(std::fmin(fu, 1.0f - fu) * 0.68f, std::fmin(fv, 1.0f - fv) * 0.6f);  // in units
        bool light = (ci == 2 || ci == 3) && ri == 2;
        Colour c;
        if (light) {
            float louvre = 1.0f - 0.25f * (1.0f - smoothstep(0.004f, 0.008f, distance_to_grid(fu, 0.125f) * 0.68f));
            c = scale({1.0f, 0.99f, 0.94f}, louvre);
        } else {
            float dots = hash_unit(static_cast<int>(u * 512), static_cast<int>(v * 512), 931);
            float g = 0.86f + 0.05f * (tile_fbm(u, v, 12, 10, 3, 932) - 0.5f) - (dots > 0.8f ? 0.12f : 0.0f);
            c = {g, g, g * 0.98f};
            // Each tile lies a little recessed in the grid: a soft shade at its rim.
            c = scale(c, 1.0f - 0.12f * (1.0f - smoothstep(0.01f, 0.04f, edge)));
        }
        float bar = 1.0f - smoothstep(0.008f, 0.012f, edge);
        return mix(c, {0.93f, 0.93f, 0.92f}, bar);
    });
}

// The pictures that are added to the frame: light on pure black. Title cards,
// credit names and roles, the closing letters, the particle and the loading
// picture. Each is designed at the size the demo draws it.
#include <cmath>

#include "pictures.h"

namespace {

// Linear up to 0.8, then a soft shoulder: overlapping glows saturate instead of clipping flat.
float shoulder(float v) {
    if (v <= 0.8f) return v;
    return 0.8f + 0.2f * (1.0f - std::exp(-(v - 0.8f) / 0.2f));
}

void tone_map(Image& img) {
    for (float& v : img.rgb) v = shoulder(v);
}

// A thin horizontal line of light fading toward both ends, in design units.
void add_streak(Image& img, Frame f, float cx, float cy, float half_length, float thickness, Colour colour) {
    for (int y = 0; y < img.height; ++y) {
        float dy = ((y + 0.5f) / f.sy - cy) / thickness;
        float across = std::exp(-dy * dy);
        if (across < 1e-4f) continue;
        for (int x = 0; x < img.width; ++x) {
            float dx = std::fabs((x + 0.5f) / f.sx - cx) / half_length;
            if (dx >= 1.0f) continue;
            float along = (1.0f - dx) * (1.0f - dx);
            float* p = img.at(x, y);
            p[0] += colour.r * across * along;
            p[1] += colour.g * across * along;
            p[2] += colour.b * across * along;
        }
    }
}

// ---- title cards: 720 x 190 units ----

constexpr float card_w = 720.0f;
constexpr float card_h = 190.0f;

void paint_title(Image& img, const char* word, Colour glow_colour) {
    Frame f = frame_for(img, card_w, card_h);
    TextStyle style{Font::sans_bold, 150.0f, 4.0f, 2.5f};
    style.size = std::fmin(150.0f, fit_size(word, style, 600.0f, 150.0f));
    // Centre the band from the baseline to the top of the tall letters.
    float baseline = card_h * 0.5f + 0.36f * style.size;
    Mask layer = text_layer(img, word, style, f, img.width * 0.5f, baseline * f.sy);
    add_glow(img, layer, f, {{1.0f, 0.97f, 0.92f}, glow_colour, 3.0f, 1.2f, 13.0f, 1.1f});
    float middle = baseline - 0.3f * style.size;
    add_streak(img, f, card_w * 0.5f, middle, 340.0f, 2.0f, scale(glow_colour, 0.55f));
    add_streak(img, f, card_w * 0.5f, middle, 200.0f, 0.8f, {0.5f, 0.5f, 0.5f});
    tone_map(img);
    fade_border(img, 24.0f * f.sx, 16.0f * f.sy);
}

// ---- credits: names 220 x 120 units, roles 100 x 80 units ----

constexpr Colour name_glow{0.30f, 0.55f, 1.0f};
constexpr Colour role_glow{1.0f, 0.55f, 0.18f};

void paint_credit_name(Image& img, const char* name) {
    Frame f = frame_for(img, 220.0f, 120.0f);
    TextStyle style{Font::sans_bold, 64.0f, 1.5f, 1.0f};
    style.size = std::fmin(64.0f, fit_size(name, style, 180.0f, 60.0f));
    float baseline = 74.0f;
    Mask layer = text_layer(img, name, style, f, img.width * 0.5f, baseline * f.sy);
    add_glow(img, layer, f, {{1.0f, 1.0f, 1.0f}, name_glow, 1.5f, 1.0f, 7.0f, 0.8f});
    add_streak(img, f, 110.0f, baseline + 12.0f, 80.0f, 0.7f, scale(name_glow, 0.9f));
    tone_map(img);
    fade_border(img, 10.0f * f.sx, 10.0f * f.sy);
}

void paint_role(Image& img, const char* role) {
    Frame f = frame_for(img, 100.0f, 80.0f);
    TextStyle style{Font::sans, 24.0f, 1.2f, 0.35f};
    // Every role at the size at which the longest one fits, so they match.
    style.size = fit_size("graphics", style, 84.0f, 40.0f);
    float baseline = 46.0f;
    Mask layer = text_layer(img, role, style, f, img.width * 0.5f, baseline * f.sy);
    add_glow(img, layer, f, {{1.0f, 0.93f, 0.82f}, role_glow, 0.8f, 0.9f, 3.5f, 0.7f});
    add_streak(img, f, 50.0f, baseline - 0.72f * style.size - 6.0f, 14.0f, 0.45f, scale(role_glow, 0.9f));
    tone_map(img);
    fade_border(img, 6.0f * f.sx, 6.0f * f.sy);
}

// ---- closing letters: 180 x 250 units each ----

void paint_fin_letter(Image& img, const char* letter) {
    Frame f = frame_for(img, 180.0f, 250.0f);
    TextStyle style{Font::sans_bold, 200.0f, 0.0f, 3.0f};
    // One size for the three letters, set by the widest.
    style.size = fit_size("N", style, 118.0f, 175.0f);
    float baseline = 125.0f + 0.365f * style.size;
    Mask layer = text_layer(img, letter, style, f, img.width * 0.5f, baseline * f.sy);
    add_glow(img, layer, f, {{1.0f, 0.96f, 0.9f}, {1.0f, 0.42f, 0.12f}, 3.0f, 1.0f, 10.0f, 0.8f});
    tone_map(img);
    fade_border(img, 14.0f * f.sx, 14.0f * f.sy);
}

}  // namespace

void paint_title_kardel(Image& img) { paint_title(img, "kardel", {1.0f, 0.55f, 0.15f}); }
void paint_title_demo(Image& img) { paint_title(img, "demo", {0.2f, 0.75f, 1.0f}); }
void paint_title_for(Image& img) { paint_title(img, "for", {0.75f, 0.3f, 1.0f}); }
void paint_title_ostrel(Image& img) { paint_title(img, "ostrel", {0.2f, 1.0f, 0.6f}); }
void paint_title_zelvo(Image& img) { paint_title(img, "zelvo", {1.0f, 0.8f, 0.25f}); }

// The program's icon in the look of the show's own title card: a glowing "z"
// over a streak of light on black, 100 x 100 units.
void paint_icon(Image& img) {
    const Colour glow_colour = {1.0f, 0.8f, 0.25f};
    Frame f = frame_for(img, 100.0f, 100.0f);
    TextStyle style{Font::sans_bold, 90.0f, 2.0f, 1.5f};
    style.size = fit_size("z", style, 64.0f, 64.0f);
    // A lower-case letter: its ink stands from the baseline up to the x-height.
    float baseline = 50.0f + 0.27f * style.size;
    Mask layer = text_layer(img, "z", style, f, img.width * 0.5f, baseline * f.sy);
    add_glow(img, layer, f, {{1.0f, 0.97f, 0.92f}, glow_colour, 1.5f, 1.2f, 7.0f, 1.1f});
    float middle = baseline - 0.27f * style.size;
    add_streak(img, f, 50.0f, middle, 46.0f, 1.2f, scale(glow_colour, 0.55f));
    add_streak(img, f, 50.0f, middle, 30.0f, 0.5f, {0.5f, 0.5f, 0.5f});
    tone_map(img);
    fade_border(img, 4.0f * f.sx, 4.0f * f.sy);
}

void paint_credit_mirl(Image& img) { paint_credit_name(img, "mirl"); }
void paint_credit_rennic(Image& img) { paint_credit_name(img, "rennic"); }
void paint_credit_vek(Image& img) { paint_credit_name(img, "vek"); }

void paint_role_code(Image& img) { paint_role(img, "code"); }
void paint_role_graphics(Image& img) { paint_role(img, "graphics"); }
void paint_role_models(Image& img) { paint_role(img, "models"); }
void paint_role_sync(Image& img) { paint_role(img, "sync"); }
void paint_role_music(Image& img) { paint_role(img, "music"); }

void paint_fin_f(Image& img) { paint_fin_letter(img, "F"); }
void paint_fin_i(Image& img) { paint_fin_letter(img, "I"); }
void paint_fin_n(Image& img) { paint_fin_letter(img, "N"); }

void paint_particle(Image& img) {
    float cx = img.width * 0.5f;
    float cy = img.height * 0.5f;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            float dx = (x + 0.5f - cx) / cx;
            float dy = (y + 0.5f - cy) / cy;
            float r = std::sqrt(dx * dx + dy * dy);
            // A bright core in a soft halo, reaching black exactly at the rim.
            float v = (0.75f * std::exp(-r * r * 9.0f) + 0.25f * std::exp(-r * r * 3.0f)) *
                      smoothstep(1.0f, 0.6f, r);
            float* p = img.at(x, y);
            p[0] = p[1] = p[2] = v;
        }
}

void paint_loading(Image& img) {
    // Drawn over the whole 800 x 600 screen.
    Frame f = frame_for(img, 800.0f, 600.0f);
    Colour teal{0.15f, 0.75f, 1.0f};
    TextStyle name{Font::sans_bold, 190.0f, 6.0f, 3.0f};
    name.size = std::fmin(190.0f, fit_size("zelvo", name, 460.0f, 170.0f));
    float name_baseline = 300.0f;
    Mask title = text_layer(img, "zelvo", name, f, img.width * 0.5f, name_baseline * f.sy);
    add_glow(img, title, f, {{1.0f, 1.0f, 1.0f}, teal, 4.0f, 1.0f, 22.0f, 0.9f});
    add_streak(img, f, 400.0f, name_baseline + 32.0f, 260.0f, 1.2f, scale(teal, 0.9f));
    TextStyle word{Font::sans, 34.0f, 14.0f, 0.4f};
    Mask loading = text_layer(img, "loading", word, f, img.width * 0.5f, (name_baseline + 90.0f) * f.sy);
    add_glow(img, loading, f, {{0.85f, 0.9f, 0.95f}, teal, 1.5f, 0.6f, 6.0f, 0.5f});
    tone_map(img);
    fade_border(img, 20.0f * f.sx, 20.0f * f.sy);
}

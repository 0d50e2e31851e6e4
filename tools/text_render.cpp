// FreeType text rendering for the data generator.
#include "text_render.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace {

constexpr const char* font_folder = "/usr/share/fonts/truetype/dejavu/";

constexpr const char* font_files[] = {
    "DejaVuSans.ttf",
    "DejaVuSans-Bold.ttf",
    "DejaVuSans-BoldOblique.ttf",
    "DejaVuSans-ExtraLight.ttf",
    "DejaVuSansCondensed-Bold.ttf",
    "DejaVuSerif-Bold.ttf",
    "DejaVuSerif-BoldItalic.ttf",
    "DejaVuSerif-Italic.ttf",
    "DejaVuSansMono-Bold.ttf",
};
static_assert(sizeof font_files / sizeof font_files[0] == static_cast<size_t>(Font::font_count));

struct Fonts {
    FT_Library library = nullptr;
    FT_Face faces[static_cast<int>(Font::font_count)] = {};
};

Fonts fonts;

struct PlacedGlyph {
    int left, top;  // top-left pixel, y down, relative to the pen origin on the baseline
    int width, rows;
    std::vector<unsigned char> coverage;
};

// Lays the glyphs of a line out at their pixel positions; ink bounds in the out-parameters.
std::vector<PlacedGlyph> layout_line(const std::string& text, const TextStyle& style, float sx, float sy,
                                     int* min_x, int* min_y, int* max_x, int* max_y) {
    std::vector<PlacedGlyph> glyphs;
    *min_x = *min_y = INT_MAX;
    *max_x = *max_y = INT_MIN;
    FT_Face face = fonts.faces[static_cast<int>(style.font)];
    if (!face) return glyphs;
    FT_Set_Char_Size(face, std::lround(style.size * sx * 64.0f), std::lround(style.size * sy * 64.0f), 72, 72);
    long grow_x = std::lround(style.embolden * sx * 64.0f);
    long grow_y = std::lround(style.embolden * sy * 64.0f);
    long tracking = std::lround(style.tracking * sx * 64.0f);
    long pen = 0;  // 26.6 fixed point
    FT_UInt previous = 0;
    for (unsigned char c : text) {
        FT_UInt index = FT_Get_Char_Index(face, c);
        if (previous && index && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            if (FT_Get_Kerning(face, previous, index, FT_KERNING_UNFITTED, &kern) == 0) pen += kern.x;
        }
        previous = index;
        if (FT_Load_Glyph(face, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) continue;
        FT_GlyphSlot slot = face->glyph;
        if (grow_x || grow_y) {
            // Growing by 2x on the outline widens each stroke by x on both sides;
            // shift it back so the letter stays centred on its pen position.
            FT_Outline_EmboldenXY(&slot->outline, 2 * grow_x, 2 * grow_y);
            FT_Outline_Translate(&slot->outline, -grow_x, -grow_y);
        }
        long whole = pen >> 6;
        FT_Outline_Translate(&slot->outline, pen & 63, 0);
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0 && slot->bitmap.width > 0) {
            PlacedGlyph g;
            g.left = static_cast<int>(whole) + slot->bitmap_left;
            g.top = -slot->bitmap_top;
            g.width = static_cast<int>(slot->bitmap.width);
            g.rows = static_cast<int>(slot->bitmap.rows);
            g.coverage.resize(static_cast<size_t>(g.width) * g.rows);
            int pitch = slot->bitmap.pitch;
            for (int r = 0; r < g.rows; ++r) {
                const unsigned char* src =
                    pitch >= 0 ? slot->bitmap.buffer + r * pitch : slot->bitmap.buffer + (g.rows - 1 - r) * -pitch;
                std::copy(src, src + g.width, g.coverage.begin() + static_cast<size_t>(r) * g.width);
            }
            *min_x = std::min(*min_x, g.left);
            *min_y = std::min(*min_y, g.top);
            *max_x = std::max(*max_x, g.left + g.width);
            *max_y = std::max(*max_y, g.top + g.rows);
            glyphs.push_back(std::move(g));
        }
        pen += slot->advance.x + tracking;
    }
    return glyphs;
}

}  // namespace

bool open_fonts(std::string* error) {
    if (!fonts.library && FT_Init_FreeType(&fonts.library) != 0) {
        *error = "cannot start FreeType";
        return false;
    }
    for (int i = 0; i < static_cast<int>(Font::font_count); ++i) {
        if (fonts.faces[i]) continue;
        std::string path = std::string(font_folder) + font_files[i];
        if (FT_New_Face(fonts.library, path.c_str(), 0, &fonts.faces[i]) != 0) {
            fonts.faces[i] = nullptr;
            *error = path + ": cannot open font (install the fonts-dejavu-core and fonts-dejavu-extra packages)";
            return false;
        }
    }
    return true;
}

Mask render_text(const std::string& text, const TextStyle& style, float sx, float sy, int pad,
                 int* baseline_row) {
    int min_x, min_y, max_x, max_y;
    std::vector<PlacedGlyph> glyphs = layout_line(text, style, sx, sy, &min_x, &min_y, &max_x, &max_y);
    if (baseline_row) *baseline_row = glyphs.empty() ? pad : pad - min_y;
    if (glyphs.empty()) return Mask(2 * pad + 1, 2 * pad + 1);
    Mask mask(max_x - min_x + 2 * pad, max_y - min_y + 2 * pad);
    for (const PlacedGlyph& g : glyphs)
        for (int r = 0; r < g.rows; ++r)
            for (int c = 0; c < g.width; ++c) {
                float& v = mask.at(g.left - min_x + pad + c, g.top - min_y + pad + r);
                v = std::min(1.0f, v + g.coverage[static_cast<size_t>(r) * g.width + c] / 255.0f);
            }
    return mask;
}

void measure_text(const std::string& text, const TextStyle& style, float* width, float* height) {
    int min_x, min_y, max_x, max_y;
    // Measured at four pixels per unit, for a quarter-unit precision.
    constexpr float fine = 4.0f;
    std::vector<PlacedGlyph> glyphs = layout_line(text, style, fine, fine, &min_x, &min_y, &max_x, &max_y);
    *width = glyphs.empty() ? 0.0f : (max_x - min_x) / fine;
    *height = glyphs.empty() ? 0.0f : (max_y - min_y) / fine;
}

// The player's timeline bar and the small pixel font its names and time are
// written in. Everything is a coloured quad in the 800 x 600 screen space,
// collected in a draw list and blended over the finished frame.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/render.h"

namespace {

constexpr int glyph_width = 5;
constexpr int glyph_height = 7;
constexpr int glyph_advance = 6;

// Each glyph's rows from the top, '#' a lit pixel.
struct Glyph {
    char c;
    const char* rows[glyph_height];
};

const Glyph font[] = {
    {'a', {".....", ".....", ".###.", "....#", ".####", "#...#", ".####"}},
    {'b', {"#....", "#....", "#.##.", "##..#", "#...#", "#...#", "####."}},
    {'c', {".....", ".....", ".###.", "#....", "#....", "#...#", ".###."}},
    {'d', {"....#", "....#", ".##.#", "#..##", "#...#", "#...#", ".####"}},
    {'e', {".....", ".....", ".###.", "#...#", "#####", "#....", ".###."}},
    {'f', {"..##.", ".#..#", ".#...", "###..", ".#...", ".#...", ".#..."}},
    {'g', {".....", ".....", ".####", "#...#", ".####", "....#", ".###."}},
    {'h', {"#....", "#....", "#.##.", "##..#", "#...#", "#...#", "#...#"}},
    {'i', {"..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###."}},
    {'j', {"...#.", ".....", "..##.", "...#.", "...#.", "#..#.", ".##.."}},
    {'k', {"#....", "#....", "#..#.", "#.#..", "##...", "#.#..", "#..#."}},
    {'l', {".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'m', {".....", ".....", "##.#.", "#.#.#", "#.#.#", "#...#", "#...#"}},
    {'n', {".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#"}},
    {'o', {".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."}},
    {'p', {".....", ".....", "####.", "#...#", "####.", "#....", "#...."}},
    {'q', {".....", ".....", ".####", "#...#", ".####", "....#", "....#"}},
    {'r', {".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."}},
    {'s', {".....", ".....", ".####", "#....", ".###.", "....#", "####."}},
    {'t', {".#...", ".#...", "###..", ".#...", ".#...", ".#..#", "..##."}},
    {'u', {".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#"}},
    {'v', {".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'w', {".....", ".....", "#...#", "#...#", "#.#.#", "#.#.#", ".#.#."}},
    {'x', {".....", ".....", "#...#", ".#.#.", "..#..", ".#.#.", "#...#"}},
    {'y', {".....", ".....", "#...#", "#...#", ".####", "....#", ".###."}},
    {'z', {".....", ".....", "#####", "...#.", "..#..", ".#...", "#####"}},
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
    {':', {".....", ".##..", ".##..", ".....", ".##..", ".##..", "....."}},
    {'-', {".....", ".....", ".....", "#####", ".....", ".....", "....."}},
    {'/', {".....", "....#", "...#.", "..#..", ".#...", "#....", "....."}},
    {'|', {"..#..", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."}},
};

const Glyph* find_glyph(char c) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    for (const Glyph& glyph : font)
        if (glyph.c == c) return &glyph;
    return nullptr;
}

void add_rect(DrawList& list, float x0, float y0, float x1, float y1, Colour colour) {
    TexturedQuad q{};
    q.corners[0] = {x0, y0, 0};
    q.corners[1] = {x0, y1, 0};
    q.corners[2] = {x1, y1, 0};
    q.corners[3] = {x1, y0, 0};
    const Colour colours[4] = {colour, colour, colour, colour};
    add_coloured_quad(list, q, colours);
}

// The bar's rows, from the bottom of the screen up: the segments with their
// names, the mark across them, the time above.
constexpr float segment_bottom = 6, segment_top = 24;
constexpr float mark_bottom = 2, mark_top = 28, mark_width = 2;
constexpr float time_bottom = 30, time_scale = 2;
constexpr float screen_width = 800, screen_margin = 4;

constexpr Colour band_colour{0, 0, 0, 0.6f};
constexpr Colour segment_colours[2] = {{0.22f, 0.24f, 0.3f, 0.9f}, {0.3f, 0.32f, 0.4f, 0.9f}};
constexpr Colour current_colour{0.5f, 0.55f, 0.75f, 0.95f};
constexpr Colour name_colour{0.75f, 0.75f, 0.8f, 1};
constexpr Colour current_name_colour{1, 1, 1, 1};
constexpr Colour mark_colour{1, 0.85f, 0.3f, 1};

}  // namespace

float text_width(const char* text, float scale) {
    const size_t n = std::strlen(text);
    return n == 0 ? 0 : (static_cast<float>(n) * glyph_advance - (glyph_advance - glyph_width)) * scale;
}

void add_text(DrawList& list, const char* text, float x, float y, float scale, Colour colour) {
    for (const char* c = text; *c; ++c, x += glyph_advance * scale) {
        const Glyph* glyph = find_glyph(*c);
        if (!glyph) continue;
        for (int row = 0; row < glyph_height; ++row) {
            const char* pixels = glyph->rows[row];
            const float y0 = y + static_cast<float>(glyph_height - 1 - row) * scale;
            for (int column = 0; column < glyph_width;) {
                if (pixels[column] != '#') {
                    ++column;
                    continue;
                }
                const int first = column;
                while (column < glyph_width && pixels[column] == '#') ++column;
                add_rect(list, x + static_cast<float>(first) * scale, y0, x + static_cast<float>(column) * scale,
                         y0 + scale, colour);
            }
        }
    }
}

void timeline_bar_list(const TimelineBar& bar, DrawList& list) {
    clear_draw_list(list);
    begin_batch(list, nullptr, {.untextured = true, .normals = false});
    add_rect(list, 0, 0, screen_width, timeline_bar_height, band_colour);
    for (int i = 0; i < bar.segment_count; ++i) {
        const BarSegment& s = bar.segments[i];
        // A pixel of the band between neighbours tells them apart.
        add_rect(list, s.x0 + 1, segment_bottom, s.x1, segment_top, s.current ? current_colour : segment_colours[i % 2]);
        const float width = text_width(s.name, 1);
        if (width > s.x1 - s.x0 - 2) continue;  // a name wider than its segment is left out
        const float x = std::floor((s.x0 + s.x1 - width) / 2 + 0.5f);
        const float y = std::floor((segment_bottom + segment_top - glyph_height) / 2);
        add_text(list, s.name, x, y, 1, s.current ? current_name_colour : name_colour);
    }
    const float mark_x = std::floor(bar.position_x);
    add_rect(list, mark_x - mark_width / 2, mark_bottom, mark_x + mark_width / 2, mark_top, mark_colour);
    const float width = text_width(bar.time_text, time_scale);
    const float x = std::clamp(std::floor(mark_x - width / 2), screen_margin, screen_width - screen_margin - width);
    add_text(list, bar.time_text, x, time_bottom, time_scale, mark_colour);
}

void draw_timeline_bar(const TimelineBar& bar) {
    static DrawList list;
    timeline_bar_list(bar, list);
    set_ortho_screen();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    draw_list(list);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    set_perspective(90);
}

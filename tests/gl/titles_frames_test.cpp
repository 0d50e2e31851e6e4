// The opening cards and the closing letters as a viewer sees them, rendered
// headless through the capture exactly as the timeline wraps them.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "render/render.h"
#include "resources/resources.h"
#include "scenes/titles/titles.h"
#include "support/gl_harness.h"
#include "support/test_paths.h"

namespace {

// Uniform pictures in known colours stand in for the real cards and letters, so
// which picture shows, and where, can be read off the pixels.
struct Swatch {
    int slot;
    Rgb colour;
};

const Swatch swatches[] = {
    {tex_title_kardel, {255, 0, 0}},  {tex_title_demo, {0, 255, 0}},   {tex_title_for, {0, 0, 255}},
    {tex_title_ostrel, {255, 255, 0}}, {tex_title_zelvo, {0, 255, 255}}, {tex_fin_f, {255, 0, 0}},
    {tex_fin_i, {0, 255, 0}},          {tex_fin_n, {0, 0, 255}},
};

TextureId make_uniform_texture(Rgb c) {
    std::vector<uint8_t> rgb(8 * 8 * 3);
    for (size_t i = 0; i < rgb.size(); i += 3) {
        rgb[i] = c.r;
        rgb[i + 1] = c.g;
        rgb[i + 2] = c.b;
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 8, 8, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return static_cast<TextureId>(name);
}

class TitlesGl : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl_open(true));
        std::copy(std::begin(scene_textures), std::end(scene_textures), saved);
        for (const Swatch& s : swatches) scene_textures[s.slot] = make_uniform_texture(s.colour);
        gl_reset_frame();
    }
    void TearDown() override { std::copy(std::begin(saved), std::end(saved), scene_textures); }

    TextureId saved[texture_slot_count];
};

// One frame of the opening as the timeline draws it.
void opening_frame(int t) {
    gl_reset_frame();
    begin_capture(90);
    draw_opening_titles(t % 1333, t);
    compose_capture(0, 'h', 90);
}

// One frame of the closing as the timeline draws it.
void closing_frame(int a) {
    gl_reset_frame();
    begin_capture(90);
    draw_closing_titles(a);
    compose_capture(0, 'g', 90);
}

bool is_black(const std::vector<uint8_t>& frame) {
    return std::all_of(frame.begin(), frame.end(), [](uint8_t v) { return v == 0; });
}

bool is_black(Rgb c) { return c.r == 0 && c.g == 0 && c.b == 0; }

bool near_colour(Rgb got, Rgb want, int tolerance = 10) {
    return std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
           std::abs(got.b - want.b) <= tolerance;
}

// The capture texture holds the scene as drawn, before the blur: 512 x 512,
// bottom row first, standing for the 800 x 600 screen.
struct CaptureImage {
    std::vector<uint8_t> rgb;
    Rgb at_screen(float x, float y) const {
        const int cx = static_cast<int>(x * 512.0f / 800.0f);
        const int cy = static_cast<int>(y * 512.0f / 600.0f);
        const uint8_t* p = &rgb[(static_cast<size_t>(cy) * 512 + cx) * 3];
        return {p[0], p[1], p[2]};
    }
    bool lit(int cx, int cy) const {
        const uint8_t* p = &rgb[(static_cast<size_t>(cy) * 512 + cx) * 3];
        return p[0] + p[1] + p[2] > 0;
    }
};

CaptureImage read_capture() {
    CaptureImage image;
    image.rgb.resize(512 * 512 * 3);
    glBindTexture(GL_TEXTURE_2D, capture_textures[0]);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, image.rgb.data());
    return image;
}

// Where the card's lower-left corner landed in screen units, read off the capture.
void card_corner(const CaptureImage& image, float* x, float* y) {
    int cx = 0;
    while (cx < 511 && !image.lit(cx, 300)) ++cx;
    int cy = 0;
    while (cy < 511 && !image.lit(300, cy)) ++cy;
    *x = cx * 800.0f / 512.0f;
    *y = cy * 600.0f / 512.0f;
}

// Rows the 14 passes can reach with a card whose rectangle spans y0 ... y1: the
// widest pass (inset 0.13) magnifies about the centre by 1 / 0.74.
void blurred_rows(float y0, float y1, float* bottom, float* top) {
    *bottom = (y0 - 78.0f) / 0.74f;
    *top = (y1 - 78.0f) / 0.74f;
}

void expect_card_within_blur(int t, int jitter_x, int jitter_y, Rgb colour) {
    SCOPED_TRACE(t);
    const std::vector<uint8_t> frame = gl_read_frame();
    float bottom, top;
    blurred_rows(204.0f + jitter_y, 394.02f + jitter_y, &bottom, &top);
    for (int y = 0; y < 600; ++y) {
        if (y > bottom - 2 && y < top + 2) continue;
        for (int x = 0; x < 800; ++x) {
            const uint8_t* p = &frame[(static_cast<size_t>(y) * 800 + x) * 3];
            ASSERT_EQ(p[0] + p[1] + p[2], 0) << "light outside the blurred card at " << x << "," << y;
        }
    }
    // The card's own rectangle carries every pass: the card at full level.
    const float inside[][2] = {{50, 214}, {400, 300}, {750, 384}, {60, 380}, {740, 220}};
    for (const auto& p : inside) {
        const Rgb c = gl_pixel(static_cast<int>(p[0]) + jitter_x, static_cast<int>(p[1]) + jitter_y);
        EXPECT_TRUE(near_colour(c, colour, 40)) << p[0] << "," << p[1] << " got " << int(c.r) << " "
                                                << int(c.g) << " " << int(c.b);
    }
    EXPECT_TRUE(near_colour(gl_pixel(400, 300), colour, 8));
}

}  // namespace

TEST_F(TitlesGl, NoLightOutsideTheBeatWindow) {
    for (int beat : {0, 1, 5, 12}) {
        for (int phase : {0, 100, 164, 666, 900, 1332}) {
            const int t = beat * 1333 + phase;
            opening_frame(t);
            EXPECT_TRUE(is_black(gl_read_frame())) << "t = " << t;
        }
    }
}

TEST_F(TitlesGl, CardInsideItsBlurredRectangleAtTheWindowEdges) {
    // Phase 165 shakes with the first two numbers of the sequence.
    reset_demo_rand();
    const int jitter_x = title_jitter(demo_rand(), 165);
    const int jitter_y = title_jitter(demo_rand(), 165);
    reset_demo_rand();
    opening_frame(165);
    expect_card_within_blur(165, jitter_x, jitter_y, {255, 0, 0});

    float x, y;
    card_corner(read_capture(), &x, &y);
    EXPECT_NEAR(x, 40.0f + jitter_x, 2.0f);
    EXPECT_NEAR(y, 204.0f + jitter_y, 2.0f);

    opening_frame(665);
    expect_card_within_blur(665, 0, 0, {255, 0, 0});
    card_corner(read_capture(), &x, &y);
    EXPECT_NEAR(x, 40.0f, 2.0f);
    EXPECT_NEAR(y, 204.0f, 2.0f);
}

TEST_F(TitlesGl, ShakeDrawsTwoNumbersOnlyWhileItLasts) {
    reset_demo_rand();
    std::vector<int> sequence;
    for (int i = 0; i < 3; ++i) sequence.push_back(demo_rand());
    struct Row {
        int phase;
        int draws;
    };
    const Row rows[] = {{164, 0}, {165, 2}, {300, 2}, {499, 2}, {500, 0}, {665, 0}, {666, 0}};
    for (const Row& row : rows) {
        reset_demo_rand();
        opening_frame(1333 + row.phase);
        EXPECT_EQ(demo_rand(), sequence[row.draws]) << "phase " << row.phase;
    }
}

TEST_F(TitlesGl, CardStandsStillFrom500To665) {
    opening_frame(1333 + 500);
    const std::vector<uint8_t> reference = gl_read_frame();
    ASSERT_FALSE(is_black(reference));
    for (int t : {1333 + 580, 1333 + 665, 2 * 1333 + 500, 3 * 1333 + 620}) {
        opening_frame(t);
        EXPECT_EQ(gl_read_frame(), reference) << "t = " << t;
    }
}

TEST_F(TitlesGl, ShakeMovesTheCardOnlyRightAndUpByAtMost46) {
    reset_demo_rand();
    bool moved = false;
    for (int phase = 165; phase < 500; phase += 10) {
        opening_frame(2 * 1333 + phase);
        float x, y;
        card_corner(read_capture(), &x, &y);
        EXPECT_GE(x, 40.0f - 2.0f) << phase;
        EXPECT_LE(x, 40.0f + 46.0f + 2.0f) << phase;
        EXPECT_GE(y, 204.0f - 2.0f) << phase;
        EXPECT_LE(y, 204.0f + 46.0f + 2.0f) << phase;
        moved = moved || x > 45.0f || y > 209.0f;
    }
    EXPECT_TRUE(moved);
}

TEST_F(TitlesGl, NothingDrawnAfterTheLastCard) {
    for (int t = 21332; t <= 21386; ++t) {
        opening_frame(t);
        ASSERT_TRUE(is_black(gl_read_frame())) << "t = " << t;
    }
}

TEST_F(TitlesGl, EachCardFlashesInItsOwnRange) {
    struct Flash {
        int from;
        int card;  // index into swatches
    };
    const Flash flashes[] = {
        {165, 0},   {1498, 0},  {2831, 0},  {4164, 0},  {5497, 1},  {6830, 1},
        {8163, 2},  {9496, 2},  {10829, 3}, {12162, 3}, {13495, 3}, {14828, 3},
        {16161, 4}, {17494, 4}, {18827, 4}, {20160, 4},
    };
    for (const Flash& f : flashes) {
        for (int t : {f.from, f.from + 250, f.from + 500}) {
            opening_frame(t);
            const Rgb c = gl_pixel(400, 300);
            EXPECT_TRUE(near_colour(c, swatches[f.card].colour))
                << "t = " << t << " got " << int(c.r) << " " << int(c.g) << " " << int(c.b);
        }
        opening_frame(f.from - 1);
        EXPECT_TRUE(is_black(gl_pixel(400, 300))) << f.from - 1;
        opening_frame(f.from + 501);
        EXPECT_TRUE(is_black(gl_pixel(400, 300))) << f.from + 501;
    }
}

TEST_F(TitlesGl, ClosingLettersStartOpaqueUnswayedInTheirPlaces) {
    closing_frame(0);
    const CaptureImage image = read_capture();
    // At z -300 with a 90 degree view one unit is one screen pixel: the letters
    // span x 110 ... 290, 310 ... 490, 510 ... 690 and y 175 ... 425.
    struct Probe {
        float x, y;
        Rgb colour;
    };
    const Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, black{0, 0, 0};
    const Probe probes[] = {
        {200, 300, red},  {400, 300, green}, {600, 300, blue},  {115, 180, red},   {285, 420, red},
        {315, 420, green}, {685, 180, blue},  {105, 300, black}, {300, 300, black}, {500, 300, black},
        {695, 300, black}, {400, 170, black}, {400, 430, black},
    };
    for (const Probe& p : probes) {
        const Rgb c = image.at_screen(p.x, p.y);
        EXPECT_TRUE(near_colour(c, p.colour, 2))
            << p.x << "," << p.y << " got " << int(c.r) << " " << int(c.g) << " " << int(c.b);
    }
    // Through the 9 passes the blur stays within y 59 ... 541 and is full at the centres.
    EXPECT_TRUE(near_colour(gl_pixel(400, 300), green, 12));
    for (int x = 0; x < 800; x += 7) {
        EXPECT_TRUE(is_black(gl_pixel(x, 50))) << x;
        EXPECT_TRUE(is_black(gl_pixel(x, 550))) << x;
    }
}

TEST_F(TitlesGl, ClosingLettersDriftApartAndRecede) {
    // Near a = 1257 the sway is back at zero, so only drift and depth act.
    const int a = 1257;
    const ClosingMotion m = closing_motion(a);
    ASSERT_NEAR(m.sway_x, 0.0f, 0.5f);
    closing_frame(a);
    const CaptureImage image = read_capture();
    const float scale = 300.0f / -m.depth_z;
    const float left_edge = 400 + (-290 - m.drift) * scale;
    const float right_edge = 400 + (290 + m.drift) * scale;
    const float middle_top = 300 + (125 + m.drift) * scale;
    const float middle_bottom = 300 + (-125 + m.drift) * scale;
    // The letters fade: brightness is the alpha.
    const uint8_t lit = static_cast<uint8_t>(255 * m.alpha + 0.5f);
    EXPECT_TRUE(near_colour(image.at_screen(left_edge + 4, 300), {lit, 0, 0}, 3));
    EXPECT_TRUE(is_black(image.at_screen(left_edge - 4, 300)));
    EXPECT_TRUE(near_colour(image.at_screen(right_edge - 4, 300), {0, 0, lit}, 3));
    EXPECT_TRUE(is_black(image.at_screen(right_edge + 4, 300)));
    EXPECT_TRUE(near_colour(image.at_screen(400, middle_top - 4), {0, lit, 0}, 3));
    EXPECT_TRUE(is_black(image.at_screen(400, middle_top + 4)));
    EXPECT_TRUE(near_colour(image.at_screen(400, middle_bottom + 4), {0, lit, 0}, 3));
    EXPECT_TRUE(is_black(image.at_screen(400, middle_bottom - 4)));
}

TEST_F(TitlesGl, ClosingScreenBlackFromSixSecondsToTheEnd) {
    closing_frame(5000);
    EXPECT_FALSE(is_black(gl_read_frame()));
    for (int a : {6000, 6001, 6500, 7000, 8000, 8763}) {
        closing_frame(a);
        EXPECT_TRUE(is_black(gl_read_frame())) << "a = " << a;
    }
}

// With the real data pack: frames written for a person to look at, and the same
// dark-outside, light-inside check on the real cards.
TEST(TitlesFrames, RealPicturesRenderAndAreSaved) {
    ASSERT_TRUE(gl_open(true));
    const std::string folder = build_path("frames/titles");
    std::filesystem::create_directories(folder);
    for (int t : {300, 665, 5700, 8400, 11000, 16400, 20500}) {
        opening_frame(t);
        const std::vector<uint8_t> frame = gl_read_frame();
        EXPECT_FALSE(is_black(frame)) << "t = " << t;
        if (t == 665) {
            for (int x = 0; x < 800; x += 5) {
                EXPECT_TRUE(is_black(gl_pixel(x, 165))) << x;
                EXPECT_TRUE(is_black(gl_pixel(x, 432))) << x;
            }
        }
        EXPECT_TRUE(gl_save_png(folder + "/opening_" + std::to_string(t) + ".png"));
    }
    for (int a : {0, 1500, 3500, 5500, 6500}) {
        closing_frame(a);
        EXPECT_EQ(is_black(gl_read_frame()), a >= 6000) << "a = " << a;
        EXPECT_TRUE(gl_save_png(folder + "/closing_" + std::to_string(a) + ".png"));
    }
}

// The city as a viewer sees it: frames rendered headless through the timeline.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/render.h"
#include "resources/resources.h"
#include "scenes/city/city.h"
#include "shell/shell.h"
#include "support/gl_harness.h"
#include "timeline/timeline.h"

namespace {

constexpr int32_t first_visit_start = 21387;
constexpr int32_t second_visit_start = 53359;

// Music time of a local time in the second visit.
int32_t second_visit_time(uint32_t local) { return second_visit_start + static_cast<int32_t>(local) - 10659; }

using Frame = std::vector<uint8_t>;

Frame timeline_frame_at(int32_t t) {
    gl_reset_frame();
    music_time = t;
    run_timeline();
    return gl_read_frame();
}

int brightness(const Frame& f, size_t pixel) { return f[pixel * 3] + f[pixel * 3 + 1] + f[pixel * 3 + 2]; }

size_t pixel_count(const Frame& f) { return f.size() / 3; }

double share_not_black(const Frame& f) {
    size_t lit = 0;
    for (size_t p = 0; p < pixel_count(f); ++p) lit += brightness(f, p) > 24;
    return double(lit) / double(pixel_count(f));
}

double mean_brightness(const Frame& f) {
    double sum = 0;
    for (size_t p = 0; p < pixel_count(f); ++p) sum += brightness(f, p) / 3.0;
    return sum / double(pixel_count(f));
}

// Share of pixels inside [x0, x1) x [y0, y1) whose colour differs by more than 24 in a channel.
double share_different(const Frame& a, const Frame& b, int x0 = 0, int y0 = 0, int x1 = 800, int y1 = 600) {
    size_t differ = 0, total = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            size_t i = (size_t(y) * 800 + size_t(x)) * 3;
            bool d = false;
            for (int c = 0; c < 3; ++c) d = d || std::abs(int(a[i + c]) - int(b[i + c])) > 24;
            differ += d;
            ++total;
        }
    }
    return double(differ) / double(total);
}

// Whether every pixel has the same colour, and that colour.
bool uniform(const Frame& f, Rgb* colour) {
    for (size_t i = 3; i < f.size(); ++i) {
        if (f[i] != f[i % 3]) return false;
    }
    *colour = {f[0], f[1], f[2]};
    return true;
}

class CityFrames : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(gl_open(true)); }

    // Renders with every city picture replaced by texture object 0, which has
    // no image, so the surfaces show only their lighting.
    Frame untextured_frame_at(int32_t t) {
        const TextureSlot city[] = {tex_city_window1, tex_city_window2, tex_city_road, tex_city_crossing,
                                    tex_city_sign, tex_city_facade3, tex_city_facade4};
        TextureId kept[7];
        for (int i = 0; i < 7; ++i) {
            kept[i] = scene_textures[city[i]];
            scene_textures[city[i]] = 0;
        }
        Frame f = timeline_frame_at(t);
        for (int i = 0; i < 7; ++i) scene_textures[city[i]] = kept[i];
        return f;
    }
};

}  // namespace

TEST_F(CityFrames, TownIsLitAndTexturedInBothVisits) {
    struct Case {
        int32_t t;
        double town_share;  // how much of the view the town covers at least
    };
    const Case cases[] = {
        {first_visit_start + 0, 0.1},  // from high above the town is a small block
        {first_visit_start + 3500, 0.4},
        {first_visit_start + 8000, 0.8},
        {second_visit_time(12000), 0.8},
        {second_visit_time(18000), 0.8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.t);
        Frame frame = timeline_frame_at(c.t);
        double town = share_not_black(frame);
        EXPECT_GT(town, c.town_share);
        EXPECT_GT(share_different(frame, untextured_frame_at(c.t)), 0.4 * town) << "the pictures show";
        EXPECT_GT(mean_brightness(frame) / town, 45) << "the town is lit";
    }
}

TEST_F(CityFrames, LightAtTheEyeLightsTheTown) {
    for (uint32_t a : {3500u, 12000u}) {
        SCOPED_TRACE(a);
        int32_t t = a < 10659 ? first_visit_start + int32_t(a) : second_visit_time(a);
        Frame lit = timeline_frame_at(t);
        // The same view with no light enabled: only the dim global ambient is left.
        gl_reset_frame();
        set_perspective_short(90);
        draw_city(a);
        Frame dark = gl_read_frame();
        EXPECT_GT(mean_brightness(lit), 2.5 * mean_brightness(dark) + 10);
    }
}

TEST_F(CityFrames, LeavesLightingTexturingAndTheMatrixStackAsDocumented) {
    gl_reset_frame();
    apply_light_preset('v');
    set_perspective_short(90);
    draw_city(2000);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(gl_modelview_depth(), 1) << "every push is popped";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(CityFrames, FirstVisitEndsBlackUnderTheClosingOverlay) {
    Rgb colour{};
    EXPECT_GT(share_not_black(timeline_frame_at(31000)), 0.3) << "the fade starts at 31000";
    ASSERT_TRUE(uniform(timeline_frame_at(32046), &colour));
    EXPECT_EQ(colour.r + colour.g + colour.b, 0);
}

TEST_F(CityFrames, SecondVisitIsUniformGreyUntilTheTownAppears) {
    struct Case {
        int32_t t;
        int grey;
    };
    // The white overlay at the near plane hides the town drawn after it.
    const Case cases[] = {{53359, 0}, {53530, 128}, {53700, 255}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.t);
        Rgb colour{};
        ASSERT_TRUE(uniform(timeline_frame_at(c.t), &colour));
        EXPECT_NEAR(colour.r, c.grey, 2);
        EXPECT_EQ(colour.r, colour.g);
        EXPECT_EQ(colour.r, colour.b);
    }
    Frame visible = timeline_frame_at(53701);
    EXPECT_GT(share_not_black(visible), 0.3);
    Rgb colour{};
    EXPECT_FALSE(uniform(visible, &colour));
}

TEST_F(CityFrames, LastFrameLooksUpAtTheSignBoard) {
    int32_t t = second_visit_time(21301);
    ASSERT_EQ(t, 64001);
    Frame with_sign = timeline_frame_at(t);
    TextureId kept = scene_textures[tex_city_sign];
    scene_textures[tex_city_sign] = 0;
    Frame plain_sign = timeline_frame_at(t);
    scene_textures[tex_city_sign] = kept;
    // The pixels that show the board's picture span the middle of the narrowed view.
    int x0 = 800, x1 = -1, y0 = 600, y1 = -1;
    size_t board = 0;
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            size_t i = (size_t(y) * 800 + size_t(x)) * 3;
            bool differs = false;
            for (int c = 0; c < 3; ++c) differs = differs || std::abs(int(with_sign[i + c]) - int(plain_sign[i + c])) > 24;
            if (!differs) continue;
            ++board;
            x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
        }
    }
    EXPECT_GT(board, 480000u / 20);
    EXPECT_LT(x0, 400);
    EXPECT_GT(x1, 400);
    EXPECT_LT(y0, 300);
    EXPECT_GT(y1, 300);
}

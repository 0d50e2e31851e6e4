// The office as a viewer sees it: frames rendered headless through the timeline.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "render/render.h"
#include "resources/resources.h"
#include "scenes/office/office.h"
#include "support/gl_harness.h"

namespace {

using Frame = std::vector<uint8_t>;

constexpr int32_t office_start = 64002;

Frame office_frame(int32_t a) { return gl_timeline_frame(office_start + a); }

// A 2 x 2 picture, its top row one colour and its bottom row another.
TextureId two_tone_texture(Rgb top, Rgb bottom) {
    const std::vector<uint8_t> rgb = {top.r, top.g, top.b, top.r, top.g, top.b,
                                      bottom.r, bottom.g, bottom.b, bottom.r, bottom.g, bottom.b};
    return upload_mipmapped_texture(rgb, 2, 2);
}

// Swaps pictures into texture slots for the life of the object.
class SlotSwap {
public:
    void put(TextureSlot slot, TextureId texture) {
        kept_.push_back({slot, scene_textures[slot]});
        scene_textures[slot] = texture;
    }
    ~SlotSwap() {
        for (auto it = kept_.rbegin(); it != kept_.rend(); ++it) scene_textures[it->first] = it->second;
    }

private:
    std::vector<std::pair<TextureSlot, TextureId>> kept_;
};

bool dominated_by(Rgb c, int channel) {
    const int v[3] = {c.r, c.g, c.b};
    for (int k = 0; k < 3; ++k)
        if (k != channel && v[channel] < v[k] + 60) return false;
    return true;
}

// Share of [x0, x1) x [y0, y1) whose colour is led by the channel (0 red, 1 green, 2 blue).
double share_dominated(const Frame& f, int channel, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += dominated_by(frame_pixel(f, x, y), channel);
    return double(n) / double((x1 - x0) * (y1 - y0));
}

class OfficeFrames : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(gl_open(true)); }
};

}  // namespace

TEST_F(OfficeFrames, FirstFrameLooksDownTheLitHall) {
    const Frame frame = gl_timeline_frame(64003);
    EXPECT_GT(frame_share_above(frame, 40), 0.97) << "walls, floor and ceiling fill the view";
    EXPECT_GT(frame_mean(frame), 120) << "lit";
    // Door 1 at the end of the hall, small in the middle of the view.
    SlotSwap swap;
    swap.put(tex_office_wood3, two_tone_texture({0, 255, 0}, {0, 255, 0}));
    const Frame marked = gl_timeline_frame(64003);
    EXPECT_GT(share_dominated(marked, 1, 360, 240, 440, 360), 0.05);
    EXPECT_EQ(share_dominated(marked, 1, 0, 0, 800, 600) * 800 * 600,
              share_dominated(marked, 1, 300, 200, 500, 400) * 200 * 200)
        << "no other wood in view";
}

TEST_F(OfficeFrames, DoorOnesPlateFillsTheZoomUprightInItsColours) {
    const Frame real = office_frame(6000);
    Frame marked;
    {
        SlotSwap swap;
        swap.put(tex_greet_14, two_tone_texture({255, 0, 0}, {0, 0, 255}));
        marked = office_frame(6000);
    }
    long red_y = 0, blue_y = 0, red = 0, blue = 0;
    int x0 = 800, x1 = 0, y0 = 600, y1 = 0;
    long r = 0, g = 0, b = 0;
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            const Rgb c = frame_pixel(marked, x, y), p = frame_pixel(real, x, y);
            if (std::abs(c.r - p.r) + std::abs(c.g - p.g) + std::abs(c.b - p.b) < 60) continue;  // not the plate
            const bool is_red = dominated_by(c, 0), is_blue = dominated_by(c, 2);
            if (!is_red && !is_blue) continue;
            (is_red ? red_y : blue_y) += y;
            ++(is_red ? red : blue);
            x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
            r += p.r, g += p.g, b += p.b;
        }
    }
    ASSERT_GT(red, 0);
    ASSERT_GT(blue, 0);
    EXPECT_GT(red + blue, 800 * 600 / 100) << "the zoom brings the plate up to a hundredth of the view";
    EXPECT_GT((x0 + x1) / 2, 200);
    EXPECT_LT((x0 + x1) / 2, 600);
    EXPECT_GT((y0 + y1) / 2, 150);
    EXPECT_LT((y0 + y1) / 2, 450);
    EXPECT_GT(red_y / red, blue_y / blue) << "the picture's top row at the plate's top edge";
    // The fourteenth group's plate is brushed gold.
    EXPECT_GT(r, g);
    EXPECT_GT(g, b);
    EXPECT_GT(r - b, (red + blue) * 60);
}

TEST_F(OfficeFrames, UpperCorridorHasDoorsOnBothWallsFloorAndCeiling) {
    SlotSwap swap;
    swap.put(tex_office_wood3, two_tone_texture({0, 255, 0}, {0, 255, 0}));
    swap.put(tex_office_marble, two_tone_texture({255, 0, 0}, {255, 0, 0}));
    swap.put(tex_office_ceiling, two_tone_texture({0, 0, 255}, {0, 0, 255}));
    const Frame frame = office_frame(15000);
    EXPECT_GT(share_dominated(frame, 0, 300, 0, 500, 100), 0.9) << "floor below";
    EXPECT_GT(share_dominated(frame, 2, 300, 500, 500, 600), 0.9) << "ceiling above";
    EXPECT_GT(share_dominated(frame, 1, 0, 150, 400, 450), 0.01) << "doors on the left wall";
    EXPECT_GT(share_dominated(frame, 1, 400, 150, 800, 450), 0.01) << "doors on the right wall";
}

TEST_F(OfficeFrames, ClosingDarkensATelephotoToAThird) {
    office_frame(21313);  // the path's last frame, as the show plays it
    const Frame dark = office_frame(23993);
    gl_reset_frame();
    apply_light_preset('i');
    set_perspective(2);
    draw_office(23993);
    const Frame bright = gl_read_frame();
    ASSERT_GT(frame_mean(bright), 40);
    EXPECT_LT(frame_mean(dark), 0.34 * frame_mean(bright));
    EXPECT_GT(frame_mean(dark), 0.30 * frame_mean(bright)) << "never fully black";

    // A show started inside the closing holds the camera at the path's end, not at the origin.
    office_scene.camera.held_eye = office_scene.camera.held_centre = {0, 0, 0};
    const Frame started_late = office_frame(23993);
    EXPECT_NEAR(frame_mean(started_late), frame_mean(dark), 1.0);
}

TEST_F(OfficeFrames, StoreyFlightAndDoorLeaveTheMatrixAndTexturingAsFound) {
    gl_reset_frame();
    glTranslatef(1, 2, -3);
    glRotatef(30, 0, 1, 0);
    float before[16], after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    const TextureId marble = scene_textures[tex_office_marble];
    auto matrix_kept = [&](const char* what) {
        glGetFloatv(GL_MODELVIEW_MATRIX, after);
        EXPECT_EQ(std::memcmp(before, after, sizeof before), 0) << what;
    };
    auto draw_parts = [](auto add) {
        DrawList list;
        list.moves = add(list);
        draw_list(list);
    };
    draw_parts([](DrawList& l) { return add_office_storey(l); });
    matrix_kept("storey");
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, marble) << "the step texture stays bound";
    const TextureId side = 1, rail = 2, post = 3;
    draw_parts([&](DrawList& l) { return add_stair_flight(l, {{0, 0, 0, 0}, &side, &rail, &post, &marble}); });
    matrix_kept("flight with every flag off");
    glDisable(GL_TEXTURE_2D);
    draw_parts([](DrawList& l) {
        return add_door(l, &scene_textures[tex_office_wood3], &scene_textures[tex_greet_zelvo], knob_sphere_grid);
    });
    matrix_kept("door");
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    DrawList refused;
    add_grid_sphere(refused, nullptr, knob_sphere_grid, 0.025f, 3);  // refused: an empty batch
    draw_list(refused);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The credits as a viewer sees them: frames rendered headless through the timeline.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "resources/resources.h"
#include "scenes/credits/credits.h"
#include "support/gl_harness.h"

namespace {

using Frame = std::vector<uint8_t>;

const TextureSlot credit_slots[] = {tex_credits_mirl, tex_credits_cod,    tex_credits_gfx,  tex_credits_mdl,
                                    tex_credits_rennic, tex_credits_sync, tex_credits_vek,  tex_credits_zik};

class CreditsFrames : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(gl_open(true)); }

    // The show's start: the default settings, the field spawned, the images at their table.
    void SetUp() override {
        credits_ease_divisor = 10;
        credits_particle_modulus = 1000;
        reset_demo_rand();
        reset_credits();
    }

    // The frame at t with every credit picture replaced by texture object 0,
    // which has no image, so each image shows as its plain white quad.
    Frame plain_images_frame(int32_t t) {
        TextureId kept[8];
        for (int i = 0; i < 8; ++i) kept[i] = std::exchange(scene_textures[credit_slots[i]], TextureId{0});
        Frame f = gl_timeline_frame(t);
        for (int i = 0; i < 8; ++i) scene_textures[credit_slots[i]] = kept[i];
        return f;
    }
};

struct Box {
    int x0 = 800, x1 = -1, y0 = 600, y1 = -1;
};

// Where b is brighter than a by more than 40 in some channel, within [x0, x1).
Box brighter_box(const Frame& a, const Frame& b, int x0, int x1) {
    Box box;
    for (int y = 0; y < 600; ++y) {
        for (int x = x0; x < x1; ++x) {
            Rgb p = frame_pixel(a, x, y), q = frame_pixel(b, x, y);
            if (q.r - p.r <= 40 && q.g - p.g <= 40 && q.b - p.b <= 40) continue;
            box.x0 = std::min(box.x0, x), box.x1 = std::max(box.x1, x);
            box.y0 = std::min(box.y0, y), box.y1 = std::max(box.y1, y);
        }
    }
    return box;
}

// Share of the pixels in a cell that show a sprite's blue.
double blue_share(const Frame& f, int x0, int y0, int x1, int y1) {
    int blue = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            Rgb p = frame_pixel(f, x, y);
            blue += p.b > 40 && p.b > p.r + 30;
        }
    }
    return double(blue) / double((x1 - x0) * (y1 - y0));
}

}  // namespace

TEST_F(CreditsFrames, FirstFrameIsNearlyBlackUnderTheFadeIn) {
    Frame f = gl_timeline_frame(32047);
    EXPECT_EQ(frame_share_above(f, 1), 0);
}

TEST_F(CreditsFrames, PhaseTwoShowsNamesRightAndRolesLeftOverSpritesEverywhere) {
    // Played at 30 frames per second up to 39000, a frame whose music time
    // freezes the field, so the frame with plain quads differs only in the images.
    for (int32_t t = 32047; t < 39000; t += 33) gl_timeline_frame(t);
    Frame shown = gl_timeline_frame(39000);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(gl_modelview_depth(), 1) << "every push is popped";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    Frame plain = plain_images_frame(39000);

    // 1.5 pixels a unit at depth 200: rennic's 330 x 180 px centred on
    // (625, 300); cod, gfx and sync 150 x 120 px on x = 175 at heights
    // -75, 0 and +75 units (y 187.5, 300 and 412.5 px).
    Box names = brighter_box(shown, plain, 400, 800);
    EXPECT_NEAR((names.x0 + names.x1) / 2.0, 625, 6);
    EXPECT_NEAR(names.x1 - names.x0, 330, 12);
    EXPECT_NEAR((names.y0 + names.y1) / 2.0, 300, 6);
    EXPECT_NEAR(names.y1 - names.y0, 180, 12);
    Box roles = brighter_box(shown, plain, 0, 400);
    EXPECT_NEAR((roles.x0 + roles.x1) / 2.0, 175, 6);
    EXPECT_NEAR(roles.x1 - roles.x0, 150, 12);
    EXPECT_NEAR(roles.y0, 127.5, 6);
    EXPECT_NEAR(roles.y1, 472.5, 6);

    for (int cx = 0; cx < 3; ++cx) {
        for (int cy = 0; cy < 3; ++cy) {
            SCOPED_TRACE(testing::Message() << "cell " << cx << ", " << cy);
            EXPECT_GT(blue_share(shown, cx * 266, cy * 200, cx * 266 + 266, cy * 200 + 200), 0.05);
        }
    }
}

TEST_F(CreditsFrames, HalfWhiteEverywhereLateInTheFadeOut) {
    Frame f = gl_timeline_frame(53180);
    EXPECT_EQ(frame_share_above(f, 126), 1);
}

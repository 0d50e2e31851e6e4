// The pictures of the data pack: stored the right way up, black at the border
// where they are added to the frame, seamless where a scene repeats them, and
// with their markings where the scenes expect them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "pictures.h"
#include "resources/resources.h"
#include "tga_file.h"

namespace {

class Pictures : public testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        ASSERT_TRUE(open_fonts(&error)) << error;
    }

    static Image picture(const char* path) {
        for (const PictureRecipe& recipe : picture_recipes())
            if (std::strcmp(recipe.path, path) == 0) return make_picture(recipe);
        ADD_FAILURE() << "no picture " << path;
        return Image(1, 1);
    }
};

float brightness(const Image& img, int x, int y) {
    const float* p = img.at(x, y);
    return (p[0] + p[1] + p[2]) / 3.0f;
}

// At (u, v) in 0 ... 1 across and down.
float brightness_at(const Image& img, float u, float v) {
    return brightness(img, std::min(img.width - 1, static_cast<int>(u * img.width)),
                      std::min(img.height - 1, static_cast<int>(v * img.height)));
}

float column_step(const Image& img, int a, int b) {
    float sum = 0.0f;
    for (int y = 0; y < img.height; ++y)
        for (int c = 0; c < 3; ++c) sum += std::fabs(img.at(a, y)[c] - img.at(b, y)[c]);
    return sum / img.height;
}

float row_step(const Image& img, int a, int b) {
    float sum = 0.0f;
    for (int x = 0; x < img.width; ++x)
        for (int c = 0; c < 3; ++c) sum += std::fabs(img.at(x, a)[c] - img.at(x, b)[c]);
    return sum / img.width;
}

// The step that only one in a hundred neighbouring rows or columns exceeds.
float high_step(std::vector<float> v) {
    size_t at = v.size() * 99 / 100;
    std::nth_element(v.begin(), v.begin() + at, v.end());
    return v[at];
}

TEST(TgaWriter, StoresTheTopRowLastInBlueGreenRedOrder) {
    Image img(2, 2);
    float* top_left = img.at(0, 0);
    top_left[0] = 1.0f;  // red at the top left
    img.at(1, 1)[2] = 1.0f;  // blue at the bottom right
    std::vector<uint8_t> b = encode_tga(img);
    ASSERT_EQ(b.size(), 18u + 12u);
    // File row 0 is the picture's bottom row: black, then blue (B first).
    const uint8_t expected[] = {0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 0};
    EXPECT_EQ(std::memcmp(b.data() + 18, expected, 12), 0);
    EXPECT_EQ(b[12], 2);
    EXPECT_EQ(b[14], 2);
}

TEST(TgaWriter, MatchesTheDemosLoaderRowOrder) {
    Image img(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) img.at(x, y)[1] = (y * 3 + x) / 5.0f;
    std::vector<uint8_t> file = encode_tga(img);
    uint16_t w = 0, h = 0;
    std::vector<uint8_t> rgb;
    std::string error;
    ASSERT_TRUE(decode_tga(file.data(), file.size(), &w, &h, &rgb, &error)) << error;
    // The loader hands OpenGL the top row first: t = 0 is our row 0.
    for (int i = 0; i < 6; ++i) EXPECT_EQ(rgb[i * 3 + 1], std::lround(i / 5.0f * 255.0f)) << i;
}

TEST_F(Pictures, AddedPicturesAreBlackAtTheBorderAndBrightInside) {
    // Bilinear filtering with repeat wrap reads across the border; anything
    // but black there would show the picture's edge on screen.
    const char* added[] = {"credits/particle.tga", "credits/mirl.tga", "credits/rennic.tga", "credits/vek.tga",
                           "credits/cod.tga",      "credits/gfx.tga",  "credits/mdl.tga",    "credits/sync.tga",
                           "credits/zik.tga",      "fin/end_f.tga",    "fin/end_i.tga",      "fin/end_n.tga",
                           "text/kardel1.tga",     "text/demo.tga",    "text/for.tga",       "text/ostrel.tga",
                           "text/zelvo.tga",       "loading.tga"};
    for (const char* path : added) {
        SCOPED_TRACE(path);
        Image img = picture(path);
        float border = 0.0f, peak = 0.0f;
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x) {
                float b = brightness(img, x, y);
                peak = std::fmax(peak, b);
                if (x < 2 || y < 2 || x >= img.width - 2 || y >= img.height - 2) border = std::fmax(border, b);
            }
        EXPECT_LT(border, 1.0f / 255.0f);
        EXPECT_GT(peak, 0.75f);
    }
}

TEST_F(Pictures, RepeatedPicturesTileWithoutASeam) {
    struct Case {
        const char* path;
        bool across, down;
    };
    const Case cases[] = {
        {"city/ablak1.tga", true, true},  {"city/ablak2.tga", true, true},
        {"city/tex1.tga", true, true},    {"city/tex2.tga", true, true},
        {"city/ut1.tga", false, true},    {"tunnel1/tunnel4.tga", true, true},
        {"greetz/office/fa2.tga", true, false}, {"greetz/office/marvany3.tga", true, true},
        {"greetz/office/vas1.tga", true, true}, {"greetz/office/irodahaz_fal1.tga", true, false},
        {"greetz/office/plafon1.tga", true, true}, {"object/sphere1.tga", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Image img = picture(c.path);
        // The wrap from the last column to the first must be no harsher than the
        // steps between neighbouring columns inside the picture, bar the few
        // sharpest edges.
        if (c.across) {
            std::vector<float> steps;
            for (int x = 0; x + 1 < img.width; ++x) steps.push_back(column_step(img, x, x + 1));
            EXPECT_LE(column_step(img, img.width - 1, 0), 1.25f * high_step(steps) + 0.01f);
        }
        if (c.down) {
            std::vector<float> steps;
            for (int y = 0; y + 1 < img.height; ++y) steps.push_back(row_step(img, y, y + 1));
            EXPECT_LE(row_step(img, img.height - 1, 0), 1.25f * high_step(steps) + 0.01f);
        }
    }
}

TEST_F(Pictures, RoadCentreLineIsDashedAlongTheAxisEdge) {
    Image road = picture("city/ut1.tga");
    // s = 0 is the street's axis: paint in the middle of each repeat, a gap at its ends,
    // so the two halves of the street (whose t runs opposite ways) dash together.
    EXPECT_GT(brightness_at(road, 0.01f, 0.5f), 0.7f);
    EXPECT_LT(brightness_at(road, 0.01f, 0.05f), 0.45f);
    EXPECT_LT(brightness_at(road, 0.01f, 0.95f), 0.45f);
    // The middle of the lane is bare asphalt.
    EXPECT_LT(brightness_at(road, 0.4f, 0.5f), 0.45f);
}

TEST_F(Pictures, CrossingZebrasMeetWhenTheQuarterIsTurned) {
    Image quarter = picture("city/keresztezodes1.tga");
    // The quarter covers x 0 ... 2 (s) and z -2 ... 0 (t); a quarter turn about
    // the crossing's centre maps (x, z) to (-z, -x) of the next quarter, so the
    // markings must be symmetric about that diagonal.
    int painted = 0, mismatched = 0;
    for (float x = 0.01f; x < 2.0f; x += 0.02f)
        for (float z = -1.99f; z < 0.0f; z += 0.02f) {
            bool here = brightness_at(quarter, x / 2.0f, (z + 2.0f) / 2.0f) > 0.6f;
            bool there = brightness_at(quarter, -z / 2.0f, (-x + 2.0f) / 2.0f) > 0.6f;
            painted += here;
            mismatched += here != there;
        }
    EXPECT_GT(painted, 200);
    EXPECT_LT(mismatched, painted / 20);
    // A bar straddles the street's axis; the crossing's centre is bare.
    EXPECT_GT(brightness_at(quarter, 0.01f, (2.0f - 1.6f) / 2.0f), 0.6f);
    EXPECT_LT(brightness_at(quarter, 0.2f, 0.8f), 0.45f);
}

TEST_F(Pictures, OfficeWallStandsOnItsSkirting) {
    Image wall = picture("greetz/office/irodahaz_fal1.tga");
    // t = 1 is the floor: a dark skirting board there, light wall at the top.
    EXPECT_LT(brightness_at(wall, 0.5f, 0.99f), 0.35f);
    EXPECT_GT(brightness_at(wall, 0.5f, 0.1f), 0.7f);
}

TEST_F(Pictures, ClosingLetterFIsUpright) {
    Image f = picture("fin/end_f.tga");
    // Find the letter's ink rows, then compare its width near the top (the
    // top bar) with its width near the foot (the stem alone).
    auto ink_width = [&](int y) {
        int count = 0;
        for (int x = 0; x < f.width; ++x) count += brightness(f, x, y) > 0.9f;
        return count;
    };
    int top = -1, bottom = -1;
    for (int y = 0; y < f.height; ++y)
        if (ink_width(y) > 0) {
            if (top < 0) top = y;
            bottom = y;
        }
    ASSERT_GT(bottom - top, f.height / 2);
    int near_top = ink_width(top + (bottom - top) / 20 + 1);
    int near_foot = ink_width(bottom - (bottom - top) / 20 - 1);
    EXPECT_GT(near_top, near_foot * 2);
}

TEST_F(Pictures, EveryDoorPlateIsItsOwnAndGroupNamesAreDistinct) {
    std::set<std::vector<float>> plates;
    std::set<std::string> names;
    for (int group = 0; group < 14; ++group) {
        names.insert(group_name(group));
        char path[32];
        std::snprintf(path, sizeof path, "greetz/grp%02d.tga", group + 1);
        plates.insert(picture(path).rgb);
    }
    plates.insert(picture("greetz/zelvo.tga").rgb);
    EXPECT_EQ(names.size(), 14u);
    EXPECT_EQ(names.count("zelvo"), 0u);
    EXPECT_EQ(plates.size(), 15u);
}

TEST_F(Pictures, PictureTableFollowsTheDemosLoadOrder) {
    const std::vector<PictureRecipe>& recipes = picture_recipes();
    ASSERT_EQ(recipes.size(), static_cast<size_t>(texture_slot_count) + 1);
    for (int slot = 0; slot < texture_slot_count; ++slot) {
        const char* demo = scene_texture_files[slot];
        if (!demo || !*demo) continue;
        std::string expected = std::string(demo).substr(std::strlen("data//"));
        for (size_t at; (at = expected.find("//")) != std::string::npos;) expected.replace(at, 2, "/");
        EXPECT_EQ(recipes[slot].path, expected) << slot;
    }
    EXPECT_STREQ(recipes.back().path, "loading.tga");
}

}  // namespace

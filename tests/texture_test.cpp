#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "resources/resources.h"

namespace {

// An 18-byte header of an uncompressed 24-bit true-colour TGA, bottom row first.
std::vector<uint8_t> tga_header(uint16_t width, uint16_t height) {
    std::vector<uint8_t> h(18, 0);
    h[2] = 2;
    h[12] = width & 0xff;
    h[13] = width >> 8;
    h[14] = height & 0xff;
    h[15] = height >> 8;
    h[16] = 24;
    return h;
}

// The 2 x 2 picture whose file rows are (1,2,3)(4,5,6) then (7,8,9)(10,11,12).
std::vector<uint8_t> two_by_two() {
    std::vector<uint8_t> file = tga_header(2, 2);
    for (uint8_t v = 1; v <= 12; ++v) file.push_back(v);
    return file;
}

bool decode(const std::vector<uint8_t>& file, std::vector<uint8_t>* rgb, std::string* error,
            uint16_t* w = nullptr, uint16_t* h = nullptr) {
    uint16_t width = 0, height = 0;
    const bool ok = decode_tga(file.data(), file.size(), &width, &height, rgb, error);
    if (w) *w = width;
    if (h) *h = height;
    return ok;
}

const std::vector<uint8_t> two_by_two_rgb = {9, 8, 7, 12, 11, 10, 3, 2, 1, 6, 5, 4};


std::string write_temp_file(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = testing::TempDir() + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

}  // namespace

TEST(Tga, ReversesRowsAndSwapsBlueAndRed) {
    std::vector<uint8_t> rgb;
    std::string error;
    uint16_t w = 0, h = 0;
    ASSERT_TRUE(decode(two_by_two(), &rgb, &error, &w, &h)) << error;
    EXPECT_EQ(w, 2);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(rgb, two_by_two_rgb);
}

TEST(Tga, HonoursTheOriginBitsAndIgnoresTrailingBytes) {
    const struct {
        uint8_t descriptor;
        std::vector<uint8_t> rgb;
    } cases[] = {
        {0x00, two_by_two_rgb},
        {0x08, two_by_two_rgb},  // alpha bits alone change nothing
        {0x20, {3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10}},  // stored top row first
        {0x10, {12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}},  // right to left, bottom first
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> file = two_by_two();
        file[17] = c.descriptor;
        file.insert(file.end(), {'T', 'R', 'U', 'E', 'V', 'I', 'S', 'I', 'O', 'N'});
        std::vector<uint8_t> rgb;
        std::string error;
        ASSERT_TRUE(decode(file, &rgb, &error)) << error;
        EXPECT_EQ(rgb, c.rgb) << int(c.descriptor);
    }
}

TEST(Tga, ReadsRunLengthAndThirtyTwoBitPicturesAsTheSamePixels) {
    // The two-by-two picture as runs: a repeat packet of two copies of the
    // first pixel would differ, so use one raw packet of 2 and two repeats of 1.
    std::vector<uint8_t> rle = tga_header(2, 2);
    rle[2] = 10;
    rle.insert(rle.end(), {0x01, 1, 2, 3, 4, 5, 6, 0x80, 7, 8, 9, 0x80, 10, 11, 12});
    std::vector<uint8_t> wide = tga_header(2, 2);
    wide[16] = 32;
    for (uint8_t v = 1; v <= 12; ++v) {
        wide.push_back(v);
        if (v % 3 == 0) wide.push_back(0x7F);  // alpha, dropped
    }
    std::vector<uint8_t> rle_wide = tga_header(2, 2);
    rle_wide[2] = 10;
    rle_wide[16] = 32;
    rle_wide.insert(rle_wide.end(), {0x83, 1, 2, 3, 0xFF});
    for (const auto& file : {rle, wide}) {
        std::vector<uint8_t> rgb;
        std::string error;
        ASSERT_TRUE(decode(file, &rgb, &error)) << error;
        EXPECT_EQ(rgb, two_by_two_rgb);
    }
    std::vector<uint8_t> rgb;
    std::string error;
    ASSERT_TRUE(decode(rle_wide, &rgb, &error)) << error;
    EXPECT_EQ(rgb, std::vector<uint8_t>({3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1}));
}

TEST(Tga, SkipsTheImageIdField) {
    std::vector<uint8_t> file = tga_header(2, 2);
    file[0] = 3;
    file.insert(file.end(), {'a', 'b', 'c'});
    for (uint8_t v = 1; v <= 12; ++v) file.push_back(v);
    std::vector<uint8_t> rgb;
    std::string error;
    ASSERT_TRUE(decode(file, &rgb, &error)) << error;
    EXPECT_EQ(rgb, two_by_two_rgb);
}

TEST(Tga, OddWidthRowsStayTightlyPacked) {
    std::vector<uint8_t> file = tga_header(3, 2);
    for (uint8_t v = 1; v <= 18; ++v) file.push_back(v);
    std::vector<uint8_t> rgb;
    std::string error;
    ASSERT_TRUE(decode(file, &rgb, &error)) << error;
    const std::vector<uint8_t> expected = {12, 11, 10, 15, 14, 13, 18, 17, 16, 3, 2, 1, 6, 5, 4, 9, 8, 7};
    EXPECT_EQ(rgb, expected);
}

TEST(Tga, RefusesMalformedPictures) {
    const struct {
        const char* name;
        size_t offset;        // byte to change, or SIZE_MAX to cut the file instead
        uint8_t value;
        size_t keep;          // bytes kept when cutting
        const char* problem;  // part of the message
    } cases[] = {
        {"empty file", SIZE_MAX, 0, 0, "header"},
        {"cut inside the header", SIZE_MAX, 0, 17, "header"},
        {"one pixel byte short", SIZE_MAX, 0, 29, "shorter than its header says"},
        {"no pixels at all", SIZE_MAX, 0, 18, "shorter than its header says"},
        {"colour-mapped", 1, 1, 0, "colour map"},
        {"pixels that are no run-length data", 2, 10, 0, "run-length"},
        {"greyscale", 2, 3, 0, "type 3"},
        {"run-length grey", 2, 11, 0, "type 11"},
        {"32 bits per pixel cut short", 16, 32, 0, "shorter than its header says"},
        {"16 bits per pixel", 16, 16, 0, "16 bits per pixel"},
        {"zero width", 12, 0, 0, "zero-sized"},
        {"zero height", 14, 0, 0, "zero-sized"},
        {"ID field past the end", 0, 255, 0, "shorter than its header says"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> file = two_by_two();
        if (c.offset == SIZE_MAX)
            file.resize(c.keep);
        else
            file[c.offset] = c.value;
        std::vector<uint8_t> rgb;
        std::string error;
        EXPECT_FALSE(decode(file, &rgb, &error));
        EXPECT_NE(error.find(c.problem), std::string::npos) << error;
    }
}

TEST(Tga, HugeHeaderOverShortDataIsRefusedWithoutReadingPastIt) {
    std::vector<uint8_t> file = tga_header(65535, 65535);
    file.resize(64, 7);
    std::vector<uint8_t> rgb;
    std::string error;
    EXPECT_FALSE(decode(file, &rgb, &error));
    EXPECT_TRUE(rgb.empty());
}

// A picture that cannot be read fails before anything reaches GL; start-up
// then ends with this message (see the end-to-end capture test).
TEST(Tga, MissingPictureIsReportedNamingTheFile) {
    TextureId texture = 0;
    std::string error;
    EXPECT_FALSE(load_texture("data//no_such_picture.tga", &texture, &error));
    EXPECT_EQ(error.rfind("data//no_such_picture.tga:\n", 0), 0u) << error;
}

TEST(Tga, ShortPictureIsReportedNamingTheFileAndTheProblem) {
    std::vector<uint8_t> file = two_by_two();
    file.pop_back();
    const std::string path = write_temp_file("zelvo_short.tga", file);
    TextureId texture = 0;
    std::string error;
    EXPECT_FALSE(load_texture(path.c_str(), &texture, &error));
    EXPECT_NE(error.find("zelvo_short.tga:\n"), std::string::npos) << error;
    EXPECT_NE(error.find("shorter than its header says"), std::string::npos) << error;
    std::remove(path.c_str());
}

TEST(Tga, ReadsAPictureFile) {
    const std::string path = write_temp_file("zelvo_2x2.tga", two_by_two());
    uint16_t w = 0, h = 0;
    std::vector<uint8_t> rgb;
    std::string error;
    ASSERT_TRUE(read_tga_rgb(path.c_str(), &w, &h, &rgb, &error)) << error;
    EXPECT_EQ(rgb, two_by_two_rgb);
    EXPECT_EQ(w, 2);
    EXPECT_EQ(h, 2);
    std::remove(path.c_str());
}

TEST(SceneTextures, TableHoldsFortyNineDistinctPictures) {
    EXPECT_EQ(texture_slot_count, 49);
    EXPECT_STREQ(scene_texture_files[tex_credits_particle], "data//credits//particle.tga");
    EXPECT_STREQ(scene_texture_files[tex_object_swirl], "data//object//swirl1.tga");
    EXPECT_STREQ(loading_texture_file, "data//loading.tga");
    for (int slot = 0; slot < texture_slot_count; ++slot) {
        const std::string file = scene_texture_files[slot];
        EXPECT_EQ(file.rfind("data//", 0), 0u) << file;
        EXPECT_EQ(file.substr(file.size() - 4), ".tga") << file;
        for (int other = 0; other < slot; ++other) EXPECT_NE(file, scene_texture_files[other]);
    }
}

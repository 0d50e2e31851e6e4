#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <algorithm>
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
    // A true-colour picture may carry a colour map (two 24-bit entries here) it does not use.
    std::vector<uint8_t> mapped = two_by_two();
    mapped[1] = 1;
    mapped[5] = 2;
    mapped[7] = 24;
    mapped.insert(mapped.begin() + 18, {0xAA, 0xAA, 0xAA, 0xBB, 0xBB, 0xBB});
    for (const auto& file : {rle, wide, mapped}) {
        std::vector<uint8_t> rgb;
        std::string error;
        ASSERT_TRUE(decode(file, &rgb, &error)) << error;
        EXPECT_EQ(rgb, two_by_two_rgb);
    }
    std::vector<uint8_t> rgb;
    std::string error;
    ASSERT_TRUE(decode(rle_wide, &rgb, &error)) << error;
    EXPECT_EQ(rgb, std::vector<uint8_t>({3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1}));

    // Greyscale as Pillow (type 3, 8 bits) and ffmpeg (type 11, here 16 bits with alpha) write it.
    std::vector<uint8_t> grey = tga_header(2, 2);
    grey[2] = 3;
    grey[16] = 8;
    grey.insert(grey.end(), {10, 20, 30, 40});
    std::vector<uint8_t> rle_grey = tga_header(2, 2);
    rle_grey[2] = 11;
    rle_grey[16] = 16;
    rle_grey.insert(rle_grey.end(), {0x01, 10, 0xFF, 20, 0xFF, 0x80, 30, 0xFF, 0x80, 40, 0xFF});
    for (const auto& file : {grey, rle_grey}) {
        ASSERT_TRUE(decode(file, &rgb, &error)) << error;
        EXPECT_EQ(rgb, std::vector<uint8_t>({30, 30, 30, 40, 40, 40, 10, 10, 10, 20, 20, 20}));
    }
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
    using namespace std::literals;
    const struct {
        const char* name;
        size_t offset;           // where patch goes, or SIZE_MAX to cut the file instead
        std::string_view patch;  // bytes written over the file from offset on
        size_t keep;             // bytes kept when cutting
        const char* problem;     // part of the message
    } cases[] = {
        {"empty file", SIZE_MAX, ""sv, 0, "header"},
        {"cut inside the header", SIZE_MAX, ""sv, 17, "header"},
        {"one pixel byte short", SIZE_MAX, ""sv, 29, "shorter than its header says"},
        {"no pixels at all", SIZE_MAX, ""sv, 18, "shorter than its header says"},
        {"colour-mapped", 2, "\x01"sv, 0, "colour-mapped TGA (type 1)"},
        {"colour map larger than the file", 1, "\x01\x02\x00\x00\x00\x01\x18"sv, 0, "shorter than its header says"},
        {"pixels that are no run-length data", 2, "\x0a"sv, 0, "run-length"},
        {"greyscale of 24 bits", 2, "\x03"sv, 0, "only 8 and 16 load in grey"},
        {"unknown type", 2, "\x05"sv, 0, "type 5"},
        {"32 bits per pixel cut short", 16, "\x20"sv, 0, "shorter than its header says"},
        {"16 bits per pixel", 16, "\x10"sv, 0, "16 bits per pixel"},
        {"zero width", 12, "\0"sv, 0, "zero-sized"},
        {"zero height", 14, "\0"sv, 0, "zero-sized"},
        {"ID field past the end", 0, "\xff"sv, 0, "shorter than its header says"},
        {"beyond 8192 x 8192", 12, "\xff\xff\xff\xff"sv, 0, "more than the 8192 x 8192"},
        {"a PNG renamed", 0, "\x89PNG\r\n\x1a\n"sv, 0, "holds PNG data, not a TGA picture"},
        {"a JPEG renamed", 0, "\xff\xd8\xff\xe0"sv, 0, "holds JPEG data"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> file = two_by_two();
        if (c.offset == SIZE_MAX)
            file.resize(c.keep);
        else
            std::copy(c.patch.begin(), c.patch.end(), file.begin() + c.offset);
        std::vector<uint8_t> rgb;
        std::string error;
        EXPECT_FALSE(decode(file, &rgb, &error));
        EXPECT_NE(error.find(c.problem), std::string::npos) << error;
    }
}

TEST(Tga, HugeHeaderOverShortDataIsRefusedWithoutReadingPastIt) {
    // From memory and from a file, which is measured before anything is allocated.
    for (const auto& [width, height] : {std::pair{65535, 65535}, std::pair{8192, 8192}}) {
        std::vector<uint8_t> file = tga_header(width, height);
        file.resize(118, 7);
        std::vector<uint8_t> rgb;
        std::string error;
        EXPECT_FALSE(decode(file, &rgb, &error));
        EXPECT_TRUE(rgb.empty());
        const std::string path = write_temp_file("zelvo_huge.tga", file);
        uint16_t w = 0, h = 0;
        EXPECT_FALSE(read_tga_rgb(path.c_str(), &w, &h, &rgb, &error));
        EXPECT_NE(error.find(width == 65535 ? "more than the 8192 x 8192" : "the file has 118)"), std::string::npos)
            << error;
        std::remove(path.c_str());
    }
}

// A picture that cannot be read fails before anything reaches GL; start-up
// then ends with this message (see the end-to-end capture test).
TEST(Tga, MissingPictureIsReportedNamingTheFile) {
    TextureId texture = 0;
    std::string error;
    EXPECT_FALSE(load_texture("data//no_such_picture.tga", &texture, &error));
    EXPECT_EQ(error.rfind("data/no_such_picture.tga:\n", 0), 0u) << error;
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

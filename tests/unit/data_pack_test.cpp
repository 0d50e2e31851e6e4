// The default data pack: every file the demo opens is written, in the formats
// its loaders read, and two runs write the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "datagen.h"
#include "resources/resources.h"
#include "support/test_paths.h"

namespace fs = std::filesystem;

namespace {

// Every file the demo opens from its data folder, in the order it loads them.
std::vector<std::string> expected_files() {
    std::vector<std::string> files;
    for (const char* file : scene_texture_files) files.push_back(data_folder_path(file));
    for (const char* file : {loading_texture_file, campfer_mesh_file, hose_mesh_file, settings_file})
        files.push_back(data_folder_path(file));
    return files;
}

std::vector<unsigned char> read_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool is_power_of_two(int v) { return v > 0 && (v & (v - 1)) == 0; }

fs::path demo_path_in(const fs::path& dir, const char* demo_path) { return dir / data_folder_path(demo_path); }

class DataPack : public testing::Test {
protected:
    static fs::path first, second;

    static void SetUpTestSuite() {
        fs::path base = fs::temp_directory_path() / ("zelvo_data_pack_test_" + std::to_string(::getpid()));
        fs::remove_all(base);
        first = base / "one";
        second = base / "two";
        std::string error;
        ASSERT_TRUE(write_data_pack(first.string(), &error)) << error;
        ASSERT_TRUE(write_data_pack(second.string(), &error)) << error;
    }

    static void TearDownTestSuite() { fs::remove_all(first.parent_path()); }
};

fs::path DataPack::first;
fs::path DataPack::second;

TEST_F(DataPack, WritesEveryFileTheDemoOpens) {
    for (const std::string& file : expected_files()) EXPECT_TRUE(fs::is_regular_file(first / file)) << file;
}

TEST_F(DataPack, WritesOnlyTheDemosFiles) {
    size_t count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(first))
        if (entry.is_regular_file()) ++count;
    EXPECT_EQ(count, expected_files().size());
}

TEST_F(DataPack, PicturesAreUncompressedTrueColourBottomRowFirst) {
    for (const std::string& file : expected_files()) {
        std::string name = file;
        if (name.size() < 4 || name.substr(name.size() - 4) != ".tga") continue;
        SCOPED_TRACE(name);
        std::vector<unsigned char> b = read_bytes(first / name);
        ASSERT_GE(b.size(), 18u);
        EXPECT_EQ(b[0], 0) << "no ID field";
        EXPECT_EQ(b[1], 0) << "no colour map";
        EXPECT_EQ(b[2], 2) << "uncompressed true colour";
        for (int i = 3; i < 12; ++i) EXPECT_EQ(b[i], 0) << "colour map fields and origin, byte " << i;
        EXPECT_EQ(b[16], 24);
        EXPECT_EQ(b[17], 0) << "bottom row first, no alpha bits";
        int width = b[12] | (b[13] << 8);
        int height = b[14] | (b[15] << 8);
        EXPECT_TRUE(is_power_of_two(width) && width <= 1024) << width;
        EXPECT_TRUE(is_power_of_two(height) && height <= 1024) << height;
        EXPECT_EQ(b.size(), 18u + static_cast<size_t>(width) * height * 3);
    }
}

TEST_F(DataPack, PicturesDecodeWithTheDemosOwnLoader) {
    for (const std::string& file : expected_files()) {
        std::string name = file;
        if (name.substr(name.size() - 4) != ".tga") continue;
        std::vector<unsigned char> b = read_bytes(first / name);
        uint16_t w = 0, h = 0;
        std::vector<uint8_t> rgb;
        std::string error;
        EXPECT_TRUE(decode_tga(b.data(), b.size(), &w, &h, &rgb, &error)) << name << ": " << error;
    }
}

TEST_F(DataPack, SettingsReadAsTheCreditsTuning) {
    std::FILE* f = std::fopen((first / "settings.ini").c_str(), "r");
    ASSERT_NE(f, nullptr);
    float divisor = 0.0f;
    int modulus = 0;
    EXPECT_EQ(std::fscanf(f, "%f\n%d", &divisor, &modulus), 2);
    std::fclose(f);
    EXPECT_EQ(divisor, 10.0f);
    EXPECT_EQ(modulus, 1000);
}

TEST_F(DataPack, TwoRunsWriteIdenticalBytes) {
    for (const std::string& file : expected_files()) {
        std::vector<unsigned char> a = read_bytes(first / file);
        std::vector<unsigned char> b = read_bytes(second / file);
        EXPECT_FALSE(a.empty()) << file;
        EXPECT_TRUE(a == b) << file;
    }
}

TEST_F(DataPack, RefusesAFolderThatCannotBeCreated) {
    // A plain file stands where the folder should be.
    fs::path blocker = first.parent_path() / "blocker";
    std::ofstream(blocker) << "x";
    std::string error;
    EXPECT_FALSE(write_data_pack((blocker / "pack").string(), &error));
    EXPECT_NE(error.find("blocker"), std::string::npos) << error;
}

TEST_F(DataPack, ContactSheetIsOnePngOfEveryPicture) {
    fs::path sheet = first.parent_path() / "sheet.png";
    std::string error;
    ASSERT_TRUE(write_contact_sheet(sheet.string(), first.string(), &error)) << error;
    std::vector<unsigned char> b = read_bytes(sheet);
    ASSERT_GT(b.size(), 33u);
    const unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_TRUE(std::equal(signature, signature + 8, b.begin()));
    auto be32 = [&](size_t at) { return (b[at] << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3]; };
    EXPECT_EQ(std::string(b.begin() + 12, b.begin() + 16), "IHDR");
    // Room for fifty thumbnails of 160 x 160 pixels or more.
    EXPECT_GT(static_cast<long>(be32(16)) * be32(20), 50L * 160 * 160);
}

TEST_F(DataPack, ContactSheetNamesAMissingPicture) {
    fs::path partial = first.parent_path() / "partial";
    fs::create_directories(partial);
    std::string error;
    EXPECT_FALSE(write_contact_sheet((partial / "sheet.png").string(), partial.string(), &error));
    EXPECT_NE(error.find("credits/particle.tga"), std::string::npos) << error;
}

TEST(BuiltDataPack, HoldsEveryTextureTheDemoLoads) {
    fs::path data = build_path("data");
    EXPECT_TRUE(fs::is_regular_file(demo_path_in(data, loading_texture_file))) << loading_texture_file;
    for (int slot = 0; slot < texture_slot_count; ++slot) {
        const char* file = scene_texture_files[slot];
        if (!file || !*file) continue;  // table not filled in yet
        EXPECT_TRUE(fs::is_regular_file(demo_path_in(data, file))) << file;
    }
}

}  // namespace

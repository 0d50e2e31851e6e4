// Frames drawn at other sizes through the real program: every still at
// 1600 x 1200, box-filtered 2 x 2, against its 800 x 600 frame; the blurred
// titles and lattice at 1440 x 1080 (a fractional scale) likewise; sizes the
// GL refuses ending with status 2. Each mean difference is printed.
#include <gtest/gtest.h>

#include <cstdio>

#include "codecs/codecs.h"
#include "support/e2e_process.h"
#include "support/frame_shrink.h"
#include "timeline/timeline.h"

namespace fs = std::filesystem;

namespace {

class FrameSizes : public ::testing::Test {
protected:
    void SetUp() override {
        root = e2e::make_temp_dir("size");
        ASSERT_FALSE(root.empty());
    }
    void TearDown() override { fs::remove_all(root); }

    // The still of scene window s at width x height, as RGB; empty when none was written.
    std::vector<uint8_t> still(const SceneWindow& w, int width, int height) {
        const std::string folder = std::string(w.name) + std::to_string(width);
        const std::string fps = w.still_from == w.still_at ? "1" : "30";
        e2e::Outcome o = e2e::run({e2e::zelvo_binary(), "--dir", ZELVO_BUILD_DIR, "--capture", (root / folder).string(),
                                   "--fps", fps, "--from", std::to_string(w.still_from), "--to",
                                   std::to_string(w.still_at), "--size",
                                   std::to_string(width) + "x" + std::to_string(height)},
                                  {}, root, 300);
        EXPECT_EQ(o.exit_code, 0) << o.err;
        std::string last;
        for (const auto& entry : fs::directory_iterator(root / folder)) last = std::max(last, entry.path().string());
        int got_width = 0, got_height = 0;
        std::vector<uint8_t> rgb = read_png_rgb(last, &got_width, &got_height);
        EXPECT_EQ(got_width, width);
        EXPECT_EQ(got_height, height);
        return rgb;
    }

    fs::path root;
};

}  // namespace

TEST_F(FrameSizes, LargerFramesShrunkMatchTheirSmallFrames) {
    // Edges and texture detail fall differently at every size, so a frame
    // matches on average, a few levels at most.
    struct Check {
        int width, height;
        bool blurred_only;  // the scenes inside the zoom blur
        double most_mean;
    };
    std::vector<uint8_t> small[scene_window_count];
    for (const Check check : {Check{1600, 1200, false, 2.5}, Check{1440, 1080, true, 1.5}}) {
        for (int s = 0; s < scene_window_count; ++s) {
            const SceneWindow& w = scene_windows[s];
            if (check.blurred_only && w.capture_mode == 0 && w.scene != SceneId::lattice) continue;
            if (small[s].empty()) small[s] = still(w, 800, 600);
            const std::vector<uint8_t> large = still(w, check.width, check.height);
            ASSERT_FALSE(small[s].empty() || large.empty()) << w.name;
            const double mean =
                frames::mean_difference(frames::shrink(large, check.width, check.height, 800, 600), small[s]);
            std::printf("%-8s %d x %d shrunk to 800 x 600: %.2f levels on average\n", w.name, check.width,
                        check.height, mean);
            EXPECT_LT(mean, check.most_mean) << w.name;
        }
    }
}

TEST_F(FrameSizes, SizesTheGlRefusesEndWithStatusTwo) {
    e2e::Outcome o = e2e::run({e2e::zelvo_binary(), "--dir", ZELVO_BUILD_DIR, "--capture", (root / "x").string(),
                               "--from", "0", "--to", "0", "--size", "20000x15000"},
                              {}, root, 60);
    EXPECT_EQ(o.exit_code, 2) << o.err;
    EXPECT_NE(o.err.find("largest viewport is"), std::string::npos) << o.err;
    EXPECT_FALSE(fs::exists(root / "x" / "000000.png"));
}

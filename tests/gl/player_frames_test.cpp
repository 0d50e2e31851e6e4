// The player's frames: after other scenes have drawn, the frame after a seek
// is the one a capture started at that time writes; the held picture comes
// back pixel for pixel; the timeline bar covers only the bottom of the frame.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>

#include "codecs/codecs.h"
#include "render/render.h"
#include "scenes/credits/credits.h"
#include "shell/shell.h"
#include "support/e2e_process.h"
#include "support/gl_harness.h"
#include "timeline/timeline.h"

namespace {

constexpr int width = 800, height = 600;

// The frame read back (bottom row first) as a PNG holds it, top row first.
std::vector<uint8_t> top_first(const std::vector<uint8_t>& frame) {
    std::vector<uint8_t> flipped(frame.size());
    const size_t row = width * 3;
    for (int y = 0; y < height; ++y)
        std::copy_n(frame.begin() + static_cast<long>(y * row), row, flipped.begin() + static_cast<long>((height - 1 - y) * row));
    return flipped;
}

// The frame zelvo --capture --from t --to t writes.
std::vector<uint8_t> captured_frame(const e2e::fs::path& folder, int32_t t) {
    const std::string ms = std::to_string(t);
    const e2e::Outcome o = e2e::run({e2e::zelvo_binary(), "--dir", ZELVO_BUILD_DIR, "--capture",
                                     (folder / ms).string(), "--from", ms, "--to", ms},
                                    {}, folder, 120);
    EXPECT_EQ(o.exit_code, 0) << o.err;
    char name[16];
    std::snprintf(name, sizeof name, "%06d.png", t);
    return read_png_rgb((folder / ms / name).string());
}

size_t differing_bytes(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size()) return std::max(a.size(), b.size());
    size_t n = 0;
    for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
    return n;
}

}  // namespace

TEST(PlayerFrames, TheFrameAfterASeekIsTheCapturesFrame) {
    ASSERT_TRUE(gl_open());
    credits_ease_divisor = default_ease_divisor;
    credits_particle_modulus = default_particle_modulus;
    const e2e::fs::path folder = e2e::make_temp_dir("seek");
    ASSERT_FALSE(folder.empty());
    // The credits' sprites and offsets, the office's held camera, the tunnel's rings.
    for (const int32_t t : {40000, 87000, 120000}) {
        SCOPED_TRACE(t);
        const std::vector<uint8_t> captured = captured_frame(folder, t);
        ASSERT_EQ(captured.size(), size_t{width} * height * 3);
        // A run that has been elsewhere: every scene with state has drawn.
        gl_reset_frame();
        for (const int32_t before : {33000, 45000, 60000, 80000, 87990, 115000, 125000, 140000}) {
            music_time = before;
            run_timeline();
        }
        MainLoop loop;
        seek_show(loop, t);
        run_timeline();
        const std::vector<uint8_t> frame = gl_read_frame();
        EXPECT_EQ(differing_bytes(top_first(frame), captured), 0u);

        // Paused on it, the held picture is the same frame.
        hold_frame();
        glClear(GL_COLOR_BUFFER_BIT);
        draw_held_frame();
        EXPECT_EQ(differing_bytes(gl_read_frame(), frame), 0u) << "the held picture differs from the frame";
    }
    e2e::fs::remove_all(folder);
}

TEST(PlayerFrames, TheTimelineBarLiesAlongTheBottomOnly) {
    ASSERT_TRUE(gl_open());
    gl_reset_frame();
    glClearColor(0.5f, 0.5f, 0.5f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
    const std::vector<uint8_t> before = gl_read_frame();
    const TimelineBar bar = timeline_bar_at(70000, "70000 ms");
    draw_timeline_bar(bar);
    const std::vector<uint8_t> after = gl_read_frame();
    const size_t band = static_cast<size_t>(timeline_bar_height) * width * 3;
    EXPECT_TRUE(std::equal(after.begin() + static_cast<long>(band), after.end(), before.begin() + static_cast<long>(band)))
        << "the bar reaches above its band";
    // The band darkens the grey; the mark at the position is lit.
    EXPECT_LT(frame_mean(after, 0, 0, width, 4), 100);
    const Rgb mark = frame_pixel(after, static_cast<int>(bar.position_x), 3);
    EXPECT_GT(mark.r, 200) << int(mark.r) << " " << int(mark.g) << " " << int(mark.b);
}

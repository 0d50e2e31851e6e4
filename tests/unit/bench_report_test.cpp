// The bench's statistics, the music times it draws and the report it writes.
#include <gtest/gtest.h>

#include "shell/shell.h"

TEST(BenchStatistics, MedianAndNearestRankPercentile) {
    struct Case {
        std::vector<double> values;
        double median, p95;
    };
    const Case cases[] = {
        {{}, 0, 0},
        {{7}, 7, 7},
        {{3, 1, 2}, 2, 3},
        {{4, 1, 3, 2}, 2.5, 4},
        // Twenty values: the 95th percentile is the 19th smallest, not the largest.
        {{20, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}, 10.5, 19},
        // Ten values: rank ceil(9.5) = 10, the largest.
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 100}, 5.5, 100},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(bench_median(c.values), c.median) << c.values.size() << " values";
        EXPECT_DOUBLE_EQ(bench_percentile(c.values, 95), c.p95) << c.values.size() << " values";
    }
    EXPECT_DOUBLE_EQ(bench_percentile({5, 1, 9}, 0), 1);
    EXPECT_DOUBLE_EQ(bench_percentile({5, 1, 9}, 100), 9);
}

TEST(BenchTimes, SpreadEvenlyWithBothEndsOfTheWindow) {
    EXPECT_EQ(bench_times(0, 100, 3), (std::vector<int32_t>{0, 50, 100}));
    EXPECT_EQ(bench_times(64003, 87996, 1), (std::vector<int32_t>{64003}));
    const std::vector<int32_t> show = bench_times(0, 160704, 60);
    ASSERT_EQ(show.size(), 60u);
    EXPECT_EQ(show.front(), 0);
    EXPECT_EQ(show.back(), 160704);
    for (size_t k = 1; k < show.size(); ++k) EXPECT_GT(show[k], show[k - 1]);
}

TEST(BenchReport, NamesTheScenesInShowOrder) {
    const char* names[] = {"titles", "city1", "credits", "city2", "office", "lattice", "tunnel", "objects",
                           "closing", "show"};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(bench_scene_index(names[i]), i) << names[i];
    EXPECT_EQ(bench_scene_index("city"), -1);
    EXPECT_EQ(bench_scene_index("Show"), -1);
}

TEST(BenchReport, RowTableAndJson) {
    const BenchRow row = bench_row("office", {4, 5, 6, 100}, {4, 4, 5});
    EXPECT_DOUBLE_EQ(row.median_ms, 5.5);
    EXPECT_DOUBLE_EQ(row.p95_ms, 100);
    EXPECT_DOUBLE_EQ(row.fps, 1000 / 5.5);
    EXPECT_DOUBLE_EQ(row.limit_ms, 4);
    EXPECT_DOUBLE_EQ(row.ratio, 5.5 / 4);
    EXPECT_EQ(row.frames, 4);

    const BenchRow show = bench_row("show", {2}, {});
    EXPECT_DOUBLE_EQ(show.ratio, 0);  // no limit measured: no ratio rather than a division by zero

    const std::string table = format_bench_table({row, show}, 4, 800, 600, 1, "llvmpipe");
    EXPECT_EQ(table,
              "zelvo bench: 4 frames a scene, 800 x 600, 1 sample a pixel, llvmpipe\n"
              "scene     median ms     p95 ms      fps   limit ms   ratio\n"
              "office         5.50     100.00    181.8       4.00    1.38\n"
              "show           2.00       2.00    500.0       0.00    0.00\n");

    EXPECT_EQ(format_bench_json({row, show}),
              "[\n"
              "  {\"scene\": \"office\", \"frames\": 4, \"median_ms\": 5.500, \"p95_ms\": 100.000, \"fps\": 181.82, "
              "\"limit_ms\": 4.000, \"ratio\": 1.375},\n"
              "  {\"scene\": \"show\", \"frames\": 1, \"median_ms\": 2.000, \"p95_ms\": 2.000, \"fps\": 500.00, "
              "\"limit_ms\": 0.000, \"ratio\": 0.000}\n"
              "]\n");
}

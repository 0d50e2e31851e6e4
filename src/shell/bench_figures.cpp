// The bench's figures, shared by the desktop's bench and the page's: the
// music times a scene is timed at, medians and percentiles, the table and the JSON.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "shell/shell.h"

double bench_median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double bench_percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(p / 100.0 * static_cast<double>(values.size()));
    const size_t index = rank < 1 ? 0 : static_cast<size_t>(rank) - 1;
    return values[std::min(index, values.size() - 1)];
}

std::vector<int32_t> bench_times(int32_t first, int32_t last, int count) {
    if (count <= 1) return {first};
    std::vector<int32_t> times;
    const int64_t span = int64_t{last} - first;
    for (int k = 0; k < count; ++k) times.push_back(static_cast<int32_t>(first + span * k / (count - 1)));
    return times;
}

BenchRow bench_row(const std::string& scene, const std::vector<double>& frame_ms, const std::vector<double>& limit_ms) {
    BenchRow row;
    row.scene = scene;
    row.frames = static_cast<int>(frame_ms.size());
    row.median_ms = bench_median(frame_ms);
    row.p95_ms = bench_percentile(frame_ms, 95);
    row.fps = row.median_ms > 0 ? 1000.0 / row.median_ms : 0;
    row.limit_ms = bench_median(limit_ms);
    row.ratio = row.limit_ms > 0 ? row.median_ms / row.limit_ms : 0;
    return row;
}

std::string format_bench_table(const std::vector<BenchRow>& rows, int frames, int width, int height, int samples,
                               const std::string& renderer) {
    char line[200];
    std::snprintf(line, sizeof line, "zelvo bench: %d frame%s a scene, %d x %d, %d sample%s a pixel, %s\n", frames,
                  frames == 1 ? "" : "s", width, height, samples, samples == 1 ? "" : "s", renderer.c_str());
    std::string text = line;
    std::snprintf(line, sizeof line, "%-8s %10s %10s %8s %10s %7s\n", "scene", "median ms", "p95 ms", "fps",
                  "limit ms", "ratio");
    text += line;
    for (const BenchRow& r : rows) {
        std::snprintf(line, sizeof line, "%-8s %10.2f %10.2f %8.1f %10.2f %7.2f\n", r.scene.c_str(), r.median_ms,
                      r.p95_ms, r.fps, r.limit_ms, r.ratio);
        text += line;
    }
    return text;
}

std::string format_bench_json(const std::vector<BenchRow>& rows) {
    std::string text = "[\n";
    for (size_t i = 0; i < rows.size(); ++i) {
        const BenchRow& r = rows[i];
        char line[256];
        std::snprintf(line, sizeof line,
                      "  {\"scene\": \"%s\", \"frames\": %d, \"median_ms\": %.3f, \"p95_ms\": %.3f, \"fps\": %.2f, "
                      "\"limit_ms\": %.3f, \"ratio\": %.3f}%s\n",
                      r.scene.c_str(), r.frames, r.median_ms, r.p95_ms, r.fps, r.limit_ms, r.ratio,
                      i + 1 < rows.size() ? "," : "");
        text += line;
    }
    return text + "]\n";
}

// The page's bench (index.html?bench): the time the page's own code spends
// issuing each frame, up to its swap, on the virtual clock. The browser's GL
// runs in another process, so nothing waits for it: a frame's drawing is
// handed over at the swap, and the next frame starts on the next animation frame.
// Prints a line a scene in the show's order, then "zelvo: bench done".
#include <GL/gl.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "render/render.h"
#include "shell/shell.h"
#include "timeline/timeline.h"

namespace {

double now_ms() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double issued_frame_ms(int32_t t) {
    music_time = t;
    const double start = now_ms();
    follow_frame_size();
    run_timeline();
    const double end = now_ms();
    platform_swap_buffers();
    return end - start;
}

}  // namespace

int run_bench(const ShellOptions& options) {
    start_up(options);
    // The frames start from the state playback starts from.
    glEnable(GL_LIGHTING);
    set_perspective(90);
    const int only = options.bench_scene.empty() ? -1 : bench_scene_index(options.bench_scene);
    for (int i = 0; i < scene_window_count; ++i) {
        if (only >= 0 && only != i) continue;
        const SceneWindow& w = scene_windows[i];
        const std::vector<int32_t> times = bench_times(w.first, w.last, options.bench_frames);
        // Once untimed, so what a scene makes on its first frame is not counted.
        issued_frame_ms(times.front());
        std::vector<double> frame_ms;
        for (int32_t t : times) frame_ms.push_back(issued_frame_ms(t));
        std::printf("zelvo: bench %s main-thread %.2f ms\n", w.name, bench_median(frame_ms));
        std::fflush(stdout);
    }
    std::printf("zelvo: bench done\n");
    destroy_gl_window();
    sound_close();
    return flush_standard_output();
}

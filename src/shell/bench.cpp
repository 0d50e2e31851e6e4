// The bench: every scene window timed headless against its own limit, the
// same frames replayed from display lists recorded once, which leaves the
// cost of the vertices and the pixels alone.
#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cerrno>
#include <cstring>
#include <filesystem>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "codecs/codecs.h"
#include "render/render.h"
#include "shell/shell.h"
#include "timeline/timeline.h"

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds between two clock readings, each after glFinish so the frame's
// drawing is done and none of the previous frame's is left.
double finished_now_ms() {
    glFinish();
    return std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
}

// Each frame is drawn once untimed, then timed as the best of this many
// draws, and its display list as the best of as many replays: the least a
// frame can cost, which other work on the machine can only add to.
constexpr int bench_tries = 3;

double timed_frame(int32_t t) {
    music_time = t;
    const double start = finished_now_ms();
    run_timeline();
    return finished_now_ms() - start;
}

double timed_replay(GLuint list) {
    const double start = finished_now_ms();
    glCallList(list);
    return finished_now_ms() - start;
}

// The frame at t timed, then recorded into a display list (executing it too,
// so what the frame reads back from GL, such as the particles' billboard
// matrix, is what it would be) and the list's replays timed; both measured
// back to back, so a busy moment of the machine meets both alike.
void time_frame_and_limit(int32_t t, double* frame_ms, double* limit_ms) {
    timed_frame(t);
    *frame_ms = timed_frame(t);
    for (int i = 1; i < bench_tries; ++i) *frame_ms = std::min(*frame_ms, timed_frame(t));
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE_AND_EXECUTE);
    run_timeline();
    glEndList();
    *limit_ms = timed_replay(list);
    for (int i = 1; i < bench_tries; ++i) *limit_ms = std::min(*limit_ms, timed_replay(list));
    glDeleteLists(list, 1);
}

BenchRow bench_window(const std::string& name, int32_t first, int32_t last, int frames) {
    std::vector<double> frame_ms, limit_ms;
    for (int32_t t : bench_times(first, last, frames)) {
        double frame = 0, limit = 0;
        time_frame_and_limit(t, &frame, &limit);
        frame_ms.push_back(frame);
        limit_ms.push_back(limit);
    }
    return bench_row(name, frame_ms, limit_ms);
}

// Flushes the file's bytes to the disk.
bool sync_to_disk(std::FILE* file) {
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

// Writes text to a file in a private folder beside path and, when keep is
// set, renames it into place (a link planted under the name is replaced, never
// followed); otherwise (a trial write) removes it.
bool write_json_file(const std::string& path, const std::string& text, bool keep, std::string* error) {
    // Renaming over a device or a folder would replace it (or fail at the very end).
    std::error_code code;
    const auto status = std::filesystem::symlink_status(file_path(path), code);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
        !std::filesystem::is_symlink(status)) {
        *error = "cannot write " + path + ": it is not a regular file";
        return false;
    }
    std::string reason;
    const std::string folder = platform_make_private_folder(file_name_text(file_path(path).parent_path()), &reason);
    if (folder.empty()) {
        *error = "cannot write " + path + ": " + reason;
        return false;
    }
    const std::string partial = file_name_text(file_path(folder) / "bench.json");
    std::FILE* file = open_file(partial, "wb");
    bool ok = file && std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0 &&
              sync_to_disk(file);
    reason = std::strerror(errno);
    if (file && std::fclose(file) != 0 && ok) {
        ok = false;
        reason = std::strerror(errno);
    }
    if (ok && keep) {
        // Replaces a file already there on every system (std::rename does not on Windows).
        std::error_code moved;
        std::filesystem::rename(file_path(partial), file_path(path), moved);
        ok = !moved;
        reason = moved.message();
    }
    std::filesystem::remove_all(file_path(folder), code);
    if (!ok) *error = "cannot write " + path + ": " + reason;
    return ok;
}

std::string renderer_name() {
    const GLubyte* name = glGetString(GL_RENDERER);
    return name ? reinterpret_cast<const char*>(name) : "unknown renderer";
}

}  // namespace

int run_bench(const ShellOptions& options) {
    // Found out before the minutes of timing, not after: a trial write of
    // about the report's size where it will go.
    std::string error;
    if (!options.bench_json.empty() && !write_json_file(options.bench_json, std::string(4096, ' '), false, &error)) {
        std::fprintf(stderr, "zelvo: %s\n", error.c_str());
        return exit_failure;
    }
    start_up(options);
    // The frames start from the state playback starts from.
    glEnable(GL_LIGHTING);
    set_perspective(90);

    const int only = options.bench_scene.empty() ? -1 : bench_scene_index(options.bench_scene);
    std::vector<BenchRow> rows;
    for (int i = 0; i < scene_window_count; ++i) {
        if (only >= 0 && only != i) continue;
        const SceneWindow& w = scene_windows[i];
        rows.push_back(bench_window(w.name, w.first, w.last, options.bench_frames));
    }
    if (only < 0 || only == bench_show_index) {
        rows.push_back(bench_window(bench_scene_name(bench_show_index), scene_windows[0].first,
                                    scene_windows[scene_window_count - 1].last, options.bench_frames));
    }

    const std::string renderer = renderer_name();
    destroy_gl_window();
    sound_close();
    const std::string table =
        format_bench_table(rows, options.bench_frames, options.width, options.height, options.samples, renderer);
    std::fputs(table.c_str(), stdout);
    int status = flush_standard_output();
    if (!options.bench_json.empty() && !write_json_file(options.bench_json, format_bench_json(rows), true, &error)) {
        std::fprintf(stderr, "zelvo: %s\n", error.c_str());
        status = exit_failure;
    }
    return status;
}

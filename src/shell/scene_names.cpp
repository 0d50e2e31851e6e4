// The scene table as the command line names it: the bench's scene names and
// the --scenes listing. Kept apart from the bench, which the browser build
// leaves out.
#include <cstdio>

#include "shell/shell.h"
#include "timeline/timeline.h"

const int bench_show_index = scene_window_count;

const char* bench_scene_name(int i) { return i == bench_show_index ? "show" : scene_windows[i].name; }

int bench_scene_index(const std::string& name) {
    if (name == bench_scene_name(bench_show_index)) return bench_show_index;
    return find_scene_window(name);
}

std::string bench_scene_list() {
    std::string list;
    for (int i = 0; i <= bench_show_index; ++i) list += (list.empty() ? "" : ", ") + std::string(bench_scene_name(i));
    return list;
}

std::string scene_table_text() {
    std::string text;
    for (const SceneWindow& w : scene_windows) {
        char line[160];
        std::snprintf(line, sizeof line, "%-8s %6d %6d %6d %6d %s\n", w.name, w.first, w.last, w.still_from,
                      w.still_at, w.title);
        text += line;
    }
    return text;
}

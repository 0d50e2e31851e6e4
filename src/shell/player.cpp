// The player around the show: pause, seeks by bar and by scene, the loop at
// the end and the timeline bar. Where a key sends the music and what the bar
// shows are plain computations over the scene windows and the cue table's
// beat; a seek is a fresh start from its time, as --from makes one.
#include <algorithm>

#include "shell/shell.h"
#include "timeline/cues.h"
#include "timeline/timeline.h"

const int32_t seek_bar_ms = beat_ms;
const int32_t scene_restart_grace_ms = beat_ms;

namespace {

// The first millisecond past the show: a seek there ends it as its end does.
constexpr int32_t show_end_ms = show_last_ms + 1;
constexpr int shift_bars = 10;
constexpr float bar_width = 800;

int32_t clamp_to_show(int64_t t) { return static_cast<int32_t>(std::clamp<int64_t>(t, 0, show_end_ms)); }

// The window holding t, or scene_window_count past the last.
int window_of(int32_t t) {
    for (int i = 0; i < scene_window_count; ++i)
        if (t <= scene_windows[i].last) return i;
    return scene_window_count;
}

// The music time a key acts on: before the first frame of a start, the
// start itself, since music time still holds the loading screen's clock.
int32_t player_time(const MainLoop& loop) {
    return loop.frames_drawn == 0 && !loop.player.paused ? loop.from_ms : music_time;
}

void toggle_pause(MainLoop& loop) {
    Player& p = loop.player;
    if (!p.paused) {
        music_time = player_time(loop);
        sound_pause();
        p.paused = true;
        p.redraw = true;
    } else {
        p.paused = false;
        p.redraw = false;
        sound_play(music_time);
    }
}

}  // namespace

bool seek_target(int key, bool shift, int32_t t, int32_t* target) {
    const int64_t bar = static_cast<int64_t>(shift ? shift_bars : 1) * seek_bar_ms;
    const int i = window_of(std::max(t, 0));
    switch (key) {
    case key_right:
        *target = clamp_to_show(int64_t{t} + bar);
        return true;
    case key_left:
        *target = clamp_to_show(int64_t{t} - bar);
        return true;
    case key_page_down:
        *target = i + 1 < scene_window_count ? scene_windows[i + 1].first : show_end_ms;
        return true;
    case key_page_up: {
        // Past the end the last scene is the current one.
        const int current = std::min(i, scene_window_count - 1);
        const bool near_start = t - scene_windows[current].first < scene_restart_grace_ms;
        *target = scene_windows[near_start && current > 0 ? current - 1 : current].first;
        return true;
    }
    case key_home:
        *target = 0;
        return true;
    default:
        return false;
    }
}

TimelineBar timeline_bar_at(int32_t t, const char* time_text) {
    TimelineBar bar;
    const float scale = bar_width / show_end_ms;
    const int current = window_of(std::max(t, 0));
    bar.segment_count = scene_window_count;
    for (int i = 0; i < scene_window_count; ++i) {
        const SceneWindow& w = scene_windows[i];
        bar.segments[i] = {static_cast<float>(w.first) * scale, static_cast<float>(w.last + 1) * scale, w.name,
                           i == current};
    }
    bar.position_x = static_cast<float>(clamp_to_show(t)) * scale;
    bar.time_text = time_text;
    return bar;
}

void seek_show(MainLoop& loop, int32_t t) {
    // The scenes that keep state from frame to frame (the credits' images and
    // particles, the camera paths' held eye and centre, the tunnel's rings)
    // and the shared rand stand as start-up leaves them for --from.
    reset_demo_rand();
    reset_scenes();
    music_time = t;
    loop.from_ms = t;
    shell.frame_count = 0;
    shell.frames_per_second = 0;
    if (loop.player.paused)
        loop.player.redraw = true;
    else
        sound_play(t);
}

void player_key(MainLoop& loop, const Message& message, bool was_down) {
    const int key = static_cast<int>(message.wparam & 255);
    const bool down = message.kind == MessageKind::key_down;
    if (key == key_tab) {
        loop.player.overlay = down;
        return;
    }
    if (!down) return;
    if (key == key_space) {
        if (!was_down) toggle_pause(loop);
        return;
    }
    // Held, the arrows go on seeking; the scene keys and Home act once a press.
    if (was_down && key != key_left && key != key_right) return;
    int32_t target = 0;
    if (seek_target(key, shell.key_down[key_shift], player_time(loop), &target)) seek_show(loop, target);
}

void end_of_show(MainLoop& loop) {
    if (loop.loop)
        seek_show(loop, 0);
    else
        loop.finished = true;
}

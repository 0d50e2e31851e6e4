// The main loop: one window message per pass, then one frame at the
// soundtrack's position (or, paused, the held picture), then the counters and
// the status line.
#include <cstdio>

#include "render/render.h"
#include "shell/shell.h"
#include "timeline/timeline.h"

namespace {

// The bar over the finished picture while Tab is held.
void lay_bar(MainLoop& loop) {
    if (!loop.player.overlay) return;
    char time_text[32];
    std::snprintf(time_text, sizeof time_text, "%d ms%s", music_time, loop.player.paused ? "  paused" : "");
    loop.drawing.bar(timeline_bar_at(music_time, time_text));
}

// Draws the frame at music time; false when the show has ended there (the
// cleared frame is still to be presented).
bool draw_show_frame(MainLoop& loop) {
    int (*draw_frame)() = loop.draw_frame != nullptr ? loop.draw_frame : run_timeline;
    follow_frame_size();
    return draw_frame() != 0;
}

// Paused: the frame at music time once (after the pause or a seek), kept and
// shown from then on.
void present_paused(MainLoop& loop) {
    Player& p = loop.player;
    // A window resized while paused draws the frame again at its new size.
    const FrameLayout before = current_frame_layout();
    follow_frame_size();
    if (current_frame_layout().width != before.width || current_frame_layout().height != before.height)
        p.redraw = true;
    if (p.redraw && music_time > loop.to_ms) {
        end_of_show(loop);
        return;
    }
    bool ended = false;
    if (p.redraw) {
        ended = !draw_show_frame(loop);
        if (!ended) loop.drawing.hold();
        p.redraw = false;
    } else {
        loop.drawing.held();
    }
    if (!ended) lay_bar(loop);
    platform_swap_buffers();
    if (ended) end_of_show(loop);
}

// Playing: the frame at the soundtrack's position. The rate counts the frames
// drawn, so minimised stretches lower it rather than inflate it with passes
// that drew nothing.
void present_playing(MainLoop& loop) {
    music_time = sound_position_ms();
    if (music_time > loop.to_ms) {
        end_of_show(loop);
        return;
    }
    const bool ended = !draw_show_frame(loop);
    if (!ended) lay_bar(loop);
    // Presented also after the last frame, so the cleared end frame shows.
    platform_swap_buffers();
    loop.frames_drawn += 1;
    shell.frame_count += 1;
    if (ended) end_of_show(loop);
}

}  // namespace

float average_rate(int32_t frames, int32_t elapsed_ms) {
    if (elapsed_ms <= 0) return 0.0f;
    return static_cast<float>(static_cast<double>(frames) / elapsed_ms * 1000.0);
}

void main_loop_pass(MainLoop& loop) {
    Message message;
    if (platform_peek_message(&message)) {
        // The quit message ends the loop after this pass, which still draws.
        if (message.kind == MessageKind::quit) {
            loop.finished = true;
        } else {
            const bool key = message.kind == MessageKind::key_down || message.kind == MessageKind::key_up;
            const bool was_down = key && shell.key_down[message.wparam & 255];
            window_proc(message);
            if (key) player_key(loop, message, was_down);
        }
    }

    if (shell.window_active) {
        if (shell.key_down[key_escape]) {
            loop.finished = true;
        } else if (loop.player.paused) {
            present_paused(loop);
        } else {
            present_playing(loop);
        }
    } else if (!loop.player.paused) {
        // Minimised, nothing is drawn, but the soundtrack plays on: the clock
        // follows it, and the show still ends on time.
        music_time = sound_position_ms();
        if (music_time > loop.to_ms || music_time > scene_windows[scene_window_count - 1].last) end_of_show(loop);
    }

    const bool paused = loop.player.paused;
    if (!paused) shell.frames_per_second = average_rate(shell.frame_count, music_time - loop.from_ms);
    update_status_line(music_time, shell.frames_per_second, paused);
    // An inactive window would otherwise turn the loop into a busy one; the
    // timeout keeps the status line and the end of the show coming. Paused,
    // the held picture needs showing no faster than a display refreshes.
    if (!loop.finished && (!shell.window_active || paused))
        platform_wait_message(shell.window_active ? paused_wait_ms : inactive_wait_ms);
}

void run_main_loop(MainLoop& loop) {
    while (!loop.finished) main_loop_pass(loop);
}

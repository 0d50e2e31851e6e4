// The main loop: one window message per pass, then one frame at the
// soundtrack's position, then the counters and the status line.
#include "render/render.h"
#include "shell/shell.h"
#include "timeline/timeline.h"

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
            window_proc(message);
        }
    }

    bool drew = false;
    if (shell.window_active) {
        if (shell.key_down[key_escape]) {
            loop.finished = true;
        } else {
            music_time = sound_position_ms();
            if (music_time > loop.to_ms) {
                loop.finished = true;
            } else {
                int (*draw_frame)() = loop.draw_frame != nullptr ? loop.draw_frame : run_timeline;
                follow_frame_size();
                if (draw_frame() == 0) loop.finished = true;
                // Presented also after the last frame, so the cleared end frame shows.
                platform_swap_buffers();
                loop.frames_drawn += 1;
                drew = true;
            }
        }
    } else {
        // Minimised, nothing is drawn, but the soundtrack plays on: the clock
        // follows it, and the show still ends on time.
        music_time = sound_position_ms();
        if (music_time > loop.to_ms || music_time > scene_windows[scene_window_count - 1].last) loop.finished = true;
    }

    // The rate counts the frames drawn, so minimised stretches lower it
    // rather than inflate it with passes that drew nothing.
    if (drew) shell.frame_count += 1;
    shell.frames_per_second = average_rate(shell.frame_count, music_time - loop.from_ms);
    update_status_line(music_time, shell.frames_per_second);
    // An inactive window would otherwise turn the loop into a busy one; the
    // timeout keeps the status line and the end of the show coming.
    if (!shell.window_active && !loop.finished) platform_wait_message(inactive_wait_ms);
}

void run_main_loop(MainLoop& loop) {
    while (!loop.finished) main_loop_pass(loop);
}

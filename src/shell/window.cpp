// The one window and its GL context, over the platform layer, and its
// messages. The platform opens a double-buffered RGBA context with a depth
// buffer of at least 16 bits, shows the window and gives it the focus; the
// shell adds the cursor rule, runs the start-up builder with the context
// current and handles what the window is told.
#include "render/render.h"
#include "shell/shell.h"

int create_gl_window(const char* title, int width, int height, int bits, bool fullscreen_request) {
    bool got_fullscreen = false;
    std::string error;
    if (!platform_open_window(title, width, height, bits, fullscreen_request, &got_fullscreen,
                              &error)) {
        // A size or sample count beyond the GL's limits is the command line's to mend.
        if (platform_open_refused_size())
            fatal_error("Error!\nThe frame asked for is too large:\n" + error, "ERROR", exit_usage);
        // Without a context nothing can be drawn; carrying on would only crash later.
        fatal_error("Error!\nCan't open the " + std::to_string(width) + " x " +
                        std::to_string(height) + " OpenGL window:\n" + error,
                    "ERROR");
    }
    // A refused mode change leaves a captioned window of the same client size.
    shell.fullscreen = got_fullscreen;
    if (shell.fullscreen) platform_show_cursor(false);
    int frame_width = 0, frame_height = 0;
    platform_frame_size(&frame_width, &frame_height);
    const std::string refusal = frame_size_refusal(frame_width, frame_height);
    if (!refusal.empty()) {
        fatal_error("Error!\nThe frame asked for is too large:\na frame of " + std::to_string(frame_width) + " x " +
                        std::to_string(frame_height) + " is too large: " + refusal,
                    "ERROR", exit_usage);
    }
    init_gl_state();
    return 1;
}

void destroy_gl_window() {
    if (shell.fullscreen) platform_show_cursor(true);
    platform_close_window();
    shell.fullscreen = false;
}

int window_proc(const Message& message) {
    switch (message.kind) {
    case MessageKind::activate:
        shell.window_active = !message.minimized;
        return 0;
    case MessageKind::syscommand:
        // Neither the screen saver nor monitor power-down may interrupt the show.
        if (message.wparam == syscommand_screensave || message.wparam == syscommand_monitorpower) {
            return 0;
        }
        return 1;
    case MessageKind::close:
        sound_close();
        platform_post_quit(0);
        return 0;
    case MessageKind::key_down:
        shell.key_down[message.wparam & 255] = true;
        return 0;
    case MessageKind::key_up:
        shell.key_down[message.wparam & 255] = false;
        return 0;
    case MessageKind::quit:
        break;
    }
    return 1;
}

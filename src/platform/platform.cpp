// Routes each platform call to the backend chosen at start, and keeps what both
// backends share: the posted quit message and the stderr half of message boxes.
#include <cstdio>

#include "platform/backend.h"

namespace {

struct Dispatch {
    Backend backend = Backend::desktop;
    HeadlessOptions headless;
    DesktopOptions desktop;
    bool quit_posted = false;
    int quit_code = 0;
};

Dispatch dispatch;

bool headless() { return dispatch.backend == Backend::headless; }

}  // namespace

int32_t sample_to_ms(int64_t sample, int rate) {
    if (rate <= 0) return 0;
    return static_cast<int32_t>(sample * 1000 / rate);
}

int64_t ms_to_sample(int32_t ms, int rate) {
    if (ms <= 0 || rate <= 0) return 0;
    return static_cast<int64_t>(ms) * rate / 1000;
}

void platform_select_backend(Backend backend, const HeadlessOptions& headless, const DesktopOptions& desktop) {
    dispatch.backend = backend;
    dispatch.headless = headless;
    dispatch.desktop = desktop;
}

bool platform_open_window(const char* title, int width, int height, int bits, bool fullscreen_request,
                          bool* got_fullscreen, std::string* error) {
    *got_fullscreen = false;
    if (headless()) return headless_open_window(width, height, dispatch.headless, error);
    return desktop_open_window(title, width, height, bits, fullscreen_request, dispatch.desktop.presentation,
                               got_fullscreen, error);
}

void platform_close_window() {
    if (headless())
        headless_close_window();
    else
        desktop_close_window();
}

void platform_swap_buffers() {
    if (headless())
        headless_swap_buffers();
    else
        desktop_swap_buffers();
}

void platform_set_title(const char* title) {
    if (headless())
        headless_set_title(title);
    else
        desktop_set_title(title);
}

void platform_show_cursor(bool show) {
    if (!headless()) desktop_show_cursor(show);
}

bool platform_peek_message(Message* message) {
    if (!headless() && desktop_next_event(message)) return true;
    // Like Win32's WM_QUIT, the quit message waits until nothing else is pending.
    if (dispatch.quit_posted) {
        dispatch.quit_posted = false;
        *message = Message{MessageKind::quit, static_cast<uint32_t>(dispatch.quit_code), false};
        return true;
    }
    return false;
}

void platform_post_quit(int exit_code) {
    dispatch.quit_posted = true;
    dispatch.quit_code = exit_code;
}

void platform_message_box(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    if (!headless()) desktop_message_box(text, caption);
}

uint32_t platform_wall_ms() { return headless() ? headless_wall_ms() : desktop_wall_ms(); }

bool sound_init(int rate, int channels, std::string* error) {
    std::string ignored;
    return headless() ? true : desktop_sound_init(rate, channels, dispatch.desktop.mute, error ? error : &ignored);
}

bool sound_open_stream(const uint8_t* bytes, size_t size, std::string* error, std::string* warning) {
    if (headless()) return headless_sound_open_stream(bytes, size, error, warning);
    return desktop_sound_open_stream(bytes, size, error, warning);
}

void sound_play(int32_t start_ms) {
    if (headless())
        headless_sound_play(start_ms);
    else
        desktop_sound_play(start_ms);
}

int32_t sound_position_ms() { return headless() ? headless_sound_position_ms() : desktop_sound_position_ms(); }

void sound_close() {
    if (headless())
        headless_sound_close();
    else
        desktop_sound_close();
}

bool platform_frame_kept() { return headless() ? headless_frame_kept() : true; }

int platform_frames_written() { return headless() ? headless_frames_written() : 0; }

int platform_frames_expected() { return headless() ? headless_frames_expected() : 0; }

bool platform_start_capture(std::string* error) { return headless() ? headless_start_capture(error) : true; }

bool platform_finish_capture(std::string* error) { return headless() ? headless_finish_capture(error) : true; }

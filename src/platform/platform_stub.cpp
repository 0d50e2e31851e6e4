// Placeholder until the backends land.
#include "platform/platform.h"

static Backend chosen_backend = Backend::desktop;
void platform_select_backend(Backend backend, const HeadlessOptions&) { chosen_backend = backend; }
Backend platform_backend() { return chosen_backend; }
bool platform_open_window(const char*, int, int, int, bool, bool* got_fullscreen, std::string* error) {
    *got_fullscreen = false;
    *error = "no backend";
    return false;
}
void platform_close_window() {}
void platform_swap_buffers() {}
void platform_set_title(const char*) {}
void platform_show_cursor(bool) {}
bool platform_peek_message(Message*) { return false; }
void platform_post_quit(int) {}
void platform_message_box(const char*, const char*) {}
uint32_t platform_wall_ms() { return 0; }
bool sound_init(int, int) { return false; }
void sound_set_buffer_ms(int) {}
bool sound_open_stream(const uint8_t*, size_t, std::string*) { return false; }
void sound_play(int32_t) {}
int32_t sound_position_ms() { return 0; }
void sound_close() {}
int platform_frames_written() { return 0; }
bool platform_finish_capture(std::string*) { return true; }

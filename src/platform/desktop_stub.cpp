// Placeholder until the SDL2 desktop backend lands.
#include "platform/backend.h"

bool desktop_open_window(const char*, int, int, int, bool, bool*, std::string* error) {
    *error = "the desktop backend is not built yet";
    return false;
}
void desktop_close_window() {}
void desktop_swap_buffers() {}
void desktop_set_title(const char*) {}
void desktop_show_cursor(bool) {}
bool desktop_next_event(Message*) { return false; }
void desktop_message_box(const char*, const char*) {}
uint32_t desktop_wall_ms() { return 0; }
bool desktop_sound_init(int, int) { return false; }
bool desktop_sound_open_stream(const uint8_t*, size_t, std::string* error) {
    *error = "the desktop backend is not built yet";
    return false;
}
void desktop_sound_play(int32_t) {}
int32_t desktop_sound_position_ms() { return 0; }
void desktop_sound_close() {}

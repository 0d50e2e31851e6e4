// Inside the platform layer: what each backend provides to platform.cpp, which
// routes every public call to the backend chosen at start. Not for use outside
// src/platform.
#pragma once

#include <cstdint>
#include <string>

#include "platform/codecs.h"
#include "platform/platform.h"

// The capture's progress line: "capture:  45% | 4321 of 9643 frames | 58.2 fps | 1:32 left"
// (without the rate and time left before the first frame is written).
std::string capture_progress_line(int written, int expected, double rate);

// Headless only, for tests of the capture: the frame counts behind the final line.
// The number of frames the frame sink has written so far.
int platform_frames_written();

// How many frames the capture range holds at the chosen fps
// (music times from_ms, from_ms + 1000 / fps, ... up to to_ms); 0 without capture.
int platform_frames_expected();

// ---- Headless: EGL surfaceless context, virtual clock, frame sink ----

bool headless_open_window(int width, int height, const HeadlessOptions& options, std::string* error);
void headless_close_window();
void headless_swap_buffers();
void headless_set_title(const char* title);
uint32_t headless_wall_ms();
bool headless_start_capture(std::string* error);
bool headless_sound_open_stream(const uint8_t* bytes, size_t size, std::string* error, std::string* warning);
void headless_sound_play(int32_t start_ms);
int32_t headless_sound_position_ms();
void headless_sound_close();
int headless_frames_written();
bool headless_frame_kept();
int headless_frames_expected();
bool headless_finish_capture(std::string* error);

// ---- Desktop: SDL2 window, context, events and audio ----

bool desktop_open_window(const char* title, int width, int height, int bits, bool fullscreen_request,
                         Presentation presentation, bool* got_fullscreen, std::string* error);
void desktop_close_window();
void desktop_swap_buffers();
void desktop_set_title(const char* title);
void desktop_show_cursor(bool show);
// Fetches the next event that maps to a message; false when none is pending.
bool desktop_next_event(Message* message);
void desktop_message_box(const char* text, const char* caption);
uint32_t desktop_wall_ms();
bool desktop_sound_init(int rate, int channels, bool mute, std::string* error);
bool desktop_sound_open_stream(const uint8_t* bytes, size_t size, std::string* error, std::string* warning);
void desktop_sound_play(int32_t start_ms);
int32_t desktop_sound_position_ms();
void desktop_sound_close();

// The position in milliseconds of the sample with the given index at rate Hz.
int32_t sample_to_ms(int64_t sample, int rate);
// The index of the sample that plays at ms milliseconds at rate Hz (never below 0).
int64_t ms_to_sample(int32_t ms, int rate);

// The desktop stream's clock as the audio callback leaves it.
struct PlaybackClock {
    int rate = 44100;
    int64_t start_frame = 0;             // the frame sound_play started from
    int64_t frames_before_callback = 0;  // frames handed to the device before the latest callback
    int64_t callback_frames = 0;         // frames the latest callback handed over; 0 before the first
};

// The position in ms: what reached the device up to the latest callback, plus
// the wall-clock time since that callback, at most the length of the buffer it
// filled (so a stalled device holds the position), and never below last_reported.
int32_t playback_position_ms(const PlaybackClock& clock, double ms_since_callback, int32_t last_reported);

// The Win32 virtual-key code of an SDL key code, or 0 for keys without one here.
uint32_t virtual_key_of(int32_t sdl_keycode);

// Where a scaled picture goes in the drawable, in GL's window coordinates
// (y from the bottom).
struct Letterbox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The largest rectangle of the picture's shape that fits a drawable of the
// given size, centred; the odd pixel of an uneven bar goes to the right and the
// top. Empty when the drawable or the picture is.
Letterbox letterbox(int drawable_width, int drawable_height, int picture_width, int picture_height);

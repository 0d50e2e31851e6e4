// Inside the platform layer: what the SDL backend's two files share
// (sdl_window.cpp: the window, its context, events and the scaled
// presentations; sdl_sound.cpp: the SDL2 audio device and its clock), and the
// pure pieces its tests check. Not for use outside src/platform (tests excepted).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// ---- Sound: the table's sound entries, from sdl_sound.cpp ----

// Opens the device (or, muted, none) at rate Hz.
bool sdl_sound_init(int rate, int channels, bool mute, std::string* error);
bool sdl_sound_open_stream(const uint8_t* bytes, size_t size, std::string* error, std::string* warning);
void sdl_sound_play(int32_t start_ms);
void sdl_sound_pause();
int32_t sdl_sound_position_ms();
// Fades out and closes the device, leaving a device that does not close
// within 600 ms to the end of the process.
void sdl_sound_close();

// The stream's clock as the audio callback leaves it.
struct PlaybackClock {
    int rate = 44100;
    int64_t start_frame = 0;             // the frame sound_play started from
    int64_t frames_before_callback = 0;  // frames handed to the device before the latest callback
    int64_t callback_frames = 0;         // frames the latest callback handed over; 0 before the first
    int64_t latency_frames = 0;          // frames handed over that are not yet heard when a callback runs
};

// The position in ms: what was handed to the device before the latest
// callback, less the frames still on their way (SDL's own device buffer: the
// one it plays while the callback fills the next), plus the wall-clock time
// since that callback, at most the length of the buffer it filled (so a
// stalled device holds the position); never before the start, never below
// last_reported.
int32_t playback_position_ms(const PlaybackClock& clock, double ms_since_callback, int32_t last_reported);

// ---- Keys, from sdl_window.cpp ----

// The Win32 virtual-key code of an SDL key code, or 0 for keys without one here.
uint32_t virtual_key_of(int32_t sdl_keycode);

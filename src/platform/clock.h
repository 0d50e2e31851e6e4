// Inside the platform layer: the clock arithmetic the backends share. The
// headless backend and the page's still count frames on a virtual clock; the
// SDL and Win32 sound backends read a held time from the environment for
// scripted screenshots. Pure; not for use outside src/platform (tests excepted).
#pragma once

#include <cstdint>

// The virtual clocks of the headless backend and the web page's still: the
// time frames * 1000 / fps ms after start_ms, floored.
double position_after(double start_ms, int64_t frames, double fps);

// The position a window backend reports: heard_ms moved by the audio offset
// (offset_ms later for the picture), never before start_ms, where play began,
// and never below last_reported.
int32_t offset_position_ms(int32_t heard_ms, int32_t offset_ms, int32_t start_ms, int32_t last_reported);

// A music time in ms from the environment variable (ZELVO_HOLD_MS=T: the
// position a scripted screenshot wants held from the start of play on); -1
// when it is unset or not a time.
int32_t environment_ms(const char* name);

// Inside the platform layer: the clock arithmetic the backends share. The
// headless backend and the page's still count frames on a virtual clock; the
// SDL and Win32 sound backends read a held time from the environment for
// scripted screenshots; the sound backends bound how long closing a device
// may take. Free of system headers; not for use outside src/platform (tests
// excepted).
#pragma once

#include <cstdint>
#include <functional>

// The virtual clocks of the headless backend and the web page's still: the
// time frames * 1000 / fps ms after start_ms, floored.
double position_after(double start_ms, int64_t frames, double fps);

// The position a window backend reports: heard_ms moved by the audio offset
// (offset_ms later for the picture), never before start_ms, where play began,
// and never below last_reported.
int32_t offset_position_ms(int32_t heard_ms, int32_t offset_ms, int32_t start_ms, int32_t last_reported);

// A window backend's position watched against the wall clock, so the show
// never waits on a sound device that stops asking for sound (a sound server
// suspended, an audio context the browser suspends): once the device's
// position has stood still for stall_ms of wall clock while the music plays,
// the clock goes on by the wall clock from where the device last moved.
constexpr uint32_t stall_ms = 500;

struct StallWatch {
    bool running = false;       // the music plays (not before play, not paused)
    int32_t last_heard = 0;     // the device's position when it last moved
    uint32_t moved_at = 0;      // the wall clock then
    bool stalled = false;       // the clock runs on the wall clock
};

// What a reading of the watch found out, the first time.
enum class StallEvent { none, stalled, answering_again };

// (Re)starts the watch at play, a seek or a resume: the device at heard_ms at wall time now_ms.
void watch_start(StallWatch& watch, int32_t heard_ms, uint32_t now_ms);

// The clock for the device's position heard_ms at wall time now_ms: heard_ms
// while the device moves; last_heard + the wall time since it moved once it
// has stood still for stall_ms (*event stalled, once). A stalled device that
// moves again reports answering_again (the caller plays the music on from the
// clock's position and starts the watch anew) and the clock stays on the
// wall clock until then. Paused or before play: heard_ms.
int32_t watch_position(StallWatch& watch, int32_t heard_ms, uint32_t now_ms, StallEvent* event);

// How long closing a sound device may take before the show ends without it.
constexpr uint32_t longest_close_ms = 600;

// Runs work on a thread of its own and waits at most limit_ms for it: false
// when it had not finished by then, and the thread is left to finish (or hang)
// alone, so work must own or outlive what it touches. Called by the sound
// backends' close, whose device calls may never return.
bool finish_in_time(std::function<void()> work, uint32_t limit_ms);

// A music time in ms from the environment variable (ZELVO_HOLD_MS=T: the
// position a scripted screenshot wants held from the start of play on); -1
// when it is unset or not a time.
int32_t environment_ms(const char* name);

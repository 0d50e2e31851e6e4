// Inside the platform layer: the table of functions each backend fills for
// platform.cpp, which calls the table chosen at start, and what the backends'
// pieces share with each other and with tests. Not for use outside src/platform.
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

// ---- The backend table ----

// What one backend provides. platform_select_backend picks a table and
// platform.cpp calls through it; each entry does what the platform.h function
// of the same name promises, for its backend. A new backend fills every entry,
// with a no-op where it has nothing to do (no cursor headless, no capture on
// the desktop). What all backends share (the posted quit message, the stderr
// half of message boxes) stays in platform.cpp.
// What a backend captures: which frames it keeps, how many it has written
// of how many, how a capture starts and finishes, and the signal that
// interrupted one.
struct CaptureTable {
    bool (*frame_kept)();
    int (*frames_written)();
    int (*frames_expected)();
    bool (*start_capture)(std::string* error);
    bool (*finish_capture)(std::string* error);
    int (*caught_signal)();
};

// The capture of a backend with a window: every frame is seen, none is
// written or expected, a capture starts and finishes at once, and no signal
// is caught (each handles Ctrl+C as a way to close).
extern const CaptureTable no_capture;

struct BackendTable {
    // Keeps what the backend needs of the options; called once the table is chosen.
    void (*select)(const HeadlessOptions& headless, const DesktopOptions& desktop);
    bool (*open_window)(const char* title, int width, int height, int bits, bool fullscreen_request,
                        bool* got_fullscreen, std::string* error);
    void (*close_window)();
    void (*swap_buffers)();
    void (*set_title)(const char* title);
    void (*show_cursor)(bool show);
    // The backend's own next message; false when none is pending (the posted quit comes after).
    bool (*next_message)(Message* message);
    // Waits up to timeout_ms for the backend's next message, leaving it queued.
    void (*wait_message)(uint32_t timeout_ms);
    // The box itself, once the text is on stderr.
    void (*message_box)(const char* text, const char* caption);
    uint32_t (*wall_ms)();
    bool (*sound_init)(int rate, int channels, std::string* error);
    bool (*sound_open_stream)(const uint8_t* bytes, size_t size, std::string* error, std::string* warning);
    void (*sound_play)(int32_t start_ms);
    int32_t (*sound_position_ms)();
    void (*sound_close)();
    const CaptureTable* capture;
};

// SDL2 window, context, events and audio (desktop.cpp, its sound in desktop_sound.cpp).
extern const BackendTable desktop_backend;
// Win32 window, WGL context, messages and waveOut sound (windows.cpp, windows_sound.cpp).
extern const BackendTable windows_backend;
// The page's canvas, WebGL, keys and Web Audio (web.cpp, web_library.js).
extern const BackendTable web_backend;
// Its own context, virtual clock, frame sink (headless.cpp).
extern const BackendTable headless_backend;

// ---- The headless backend's context: EGL on Linux (headless_egl.cpp), a
// hidden window's WGL context on Windows (windows_gl.cpp) ----

// Makes a current GL context whose drawing and reading go to a width x height
// RGBA8 picture with a depth buffer; false with *error set when it cannot.
bool headless_context_open(int width, int height, std::string* error);
// Releases the context; safe when none is open.
void headless_context_close();
// Ends a presented frame so the driver executes it.
void headless_context_swap();
// A GL entry point of the current context by name, or nullptr.
void* headless_context_lookup(const char* name);

// ---- Desktop sound: the desktop table's sound entries, from desktop_sound.cpp ----

// Opens the device (or, muted, none) at rate Hz.
bool desktop_sound_init(int rate, int channels, bool mute, std::string* error);
bool desktop_sound_open_stream(const uint8_t* bytes, size_t size, std::string* error, std::string* warning);
void desktop_sound_play(int32_t start_ms);
int32_t desktop_sound_position_ms();
void desktop_sound_close();

// ---- Windows sound: the Windows table's sound entries, from windows_sound.cpp ----

// Opens a waveOut device (or, muted, none) at rate Hz, stereo, 16 bits.
bool windows_sound_init(int rate, int channels, bool mute, std::string* error);
bool windows_sound_open_stream(const uint8_t* bytes, size_t size, std::string* error, std::string* warning);
void windows_sound_play(int32_t start_ms);
int32_t windows_sound_position_ms();
void windows_sound_close();

// The virtual clocks of the headless backend and the web page's still: the
// time frames * 1000 / fps ms after start_ms, floored.
double position_after(double start_ms, int64_t frames, double fps);

// A music time in ms from the environment variable (ZELVO_HOLD_MS=T: the
// position a scripted screenshot wants held from the start of play on); -1
// when it is unset or not a time.
int32_t environment_ms(const char* name);

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

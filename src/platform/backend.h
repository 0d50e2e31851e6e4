// Inside the platform layer: the table of functions each backend fills. The
// dispatcher (platform.cpp) calls the table chosen at start; each entry does
// what the platform.h function of the same name promises, for its backend.
//
// A new backend copies template/template.cpp, fills every entry (a no-op where
// it has nothing to do: no cursor headless, no capture in a window) and names
// its table in platform.cpp; backend_missing_entries finds an entry left out,
// and the platform's tests check every table the build compiles. What all
// backends share (the posted quit message, the stderr half of message boxes)
// stays in platform.cpp. Not for use outside src/platform (tests excepted).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

// What a backend captures: which frames it keeps, how many it has written of
// how many, how a capture starts and finishes, and the signal that
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

// What one backend provides; platform_select_backend picks one.
struct BackendTable {
    const char* name;  // "sdl", "win32", "web", "headless", "template"
    // Keeps what the backend needs of the options; called once the table is chosen.
    void (*select)(const HeadlessOptions& headless, const WindowOptions& window);
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
    void (*sound_pause)();
    int32_t (*sound_position_ms)();
    void (*sound_close)();
    void (*frame_size)(int* width, int* height);
    void (*resolve_samples)();
    const CaptureTable* capture;
};

// Set by a backend's open_window when the GL's limits refuse the picture's
// size or sample count; platform_open_window clears it first.
extern bool open_refused_size;

// Set by a backend's sound_close that gave up waiting for its device.
extern bool sound_device_abandoned;

// SDL2 window, context, events and audio (sdl/).
extern const BackendTable sdl_backend;
// Win32 window, WGL context, messages and waveOut sound (win32/).
extern const BackendTable win32_backend;
// The page's canvas, WebGL, keys and Web Audio (web/).
extern const BackendTable web_backend;
// Its own context, virtual clock, frame sinks (headless/).
extern const BackendTable headless_backend;
// Every entry a new backend fills, each a documented no-op (template/); never selected.
extern const BackendTable template_backend;

// The tables this build compiles: the window backend of its system, headless
// where it has one, and the template.
std::vector<const BackendTable*> compiled_backends();

// The names of the entries the table leaves empty (its capture table's
// included); empty when the table is complete.
std::vector<std::string> backend_missing_entries(const BackendTable& table);

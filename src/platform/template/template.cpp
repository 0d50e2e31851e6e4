// The template backend: every entry a new backend fills, each with what it
// must guarantee, as a no-op that keeps those promises as far as a backend
// without a window, a context or a sound device can. Compiled into every
// build, so it stays in step with the table, and never selected. A new
// backend copies this file into a folder of its own, fills each entry for
// real, adds its table to backend.h and to platform.cpp's choice, and its
// files to the platform library in CMakeLists.txt.
#include <chrono>

#include "platform/backend.h"

namespace {

// The template's own state, in one struct, as every backend keeps it.
struct Template {
    bool playing = false;
    int32_t start_ms = 0;
    std::chrono::steady_clock::time_point started;
};

Template state;

uint32_t template_wall_ms() {
    using namespace std::chrono;
    static const steady_clock::time_point origin = steady_clock::now();
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now() - origin).count());
}

// The start while paused (or 0 before play), else the start plus the time since.
int32_t position_now() {
    if (!state.playing) return state.start_ms;
    using namespace std::chrono;
    return state.start_ms +
           static_cast<int32_t>(duration_cast<milliseconds>(steady_clock::now() - state.started).count());
}

}  // namespace

const BackendTable template_backend = {
    .name = "template",
    // Keeps what it needs of the options; runs before anything else is called.
    .select = [](const HeadlessOptions&, const WindowOptions&) { state = Template{}; },
    // Must leave a current GL context of width x height (double-buffered RGBA,
    // depth of at least 16 bits) showing and focused, set *got_fullscreen when
    // it covers the display, or return false with *error saying why (and
    // open_refused_size set when the GL's limits refuse the size).
    .open_window = [](const char*, int, int, int, bool, bool*, std::string* error) {
        *error = "the template backend opens no window";
        return false;
    },
    // Must restore a changed display mode and release everything open_window
    // made; safe when nothing is open.
    .close_window = [] {},
    // Must present the frame drawn since the last swap.
    .swap_buffers = [] {},
    // The status line: the window's title, or wherever the backend shows it.
    .set_title = [](const char*) {},
    // Hides or shows the cursor over the window.
    .show_cursor = [](bool) {},
    // Must return at most one message, translated to MessageKind with Win32
    // virtual-key codes; false when none is pending. Never blocks.
    .next_message = [](Message*) { return false; },
    // Must return after timeout_ms at the latest, at once when a message waits.
    .wait_message = [](uint32_t) {},
    // The box itself (the dispatcher has already written the text to stderr);
    // must not return before the user has seen it, where there is a user.
    .message_box = [](const char*, const char*) {},
    // Milliseconds, never moving backwards.
    .wall_ms = template_wall_ms,
    // Must open the device at rate Hz, stereo, or return false with *error
    // set to the sound system's own reason.
    .sound_init = [](int, int, std::string*) { return true; },
    // Must validate the bytes as MP3 (decoding far enough) and keep them for
    // play; false with *error set when they do not decode.
    .sound_open_stream = [](const uint8_t*, size_t, std::string*, std::string*) { return true; },
    // Starts the music at start_ms, also while it plays or is paused (a seek).
    .sound_play =
        [](int32_t start_ms) {
            state.playing = true;
            state.start_ms = start_ms;
            state.started = std::chrono::steady_clock::now();
        },
    // Stops the music where it is, ramped to silence on a live device; the
    // position holds at what it last reported until play starts it again.
    .sound_pause =
        [] {
            if (!state.playing) return;
            state.start_ms = position_now();
            state.playing = false;
        },
    // What has been heard, in ms of music: never backwards, running on in
    // real time after the music ends; 0 before play.
    .sound_position_ms = position_now,
    // Stops the music and closes the device; safe more than once.
    .sound_close = [] { state.playing = false; },
    // The size in pixels of the frame drawn now; with a window whose picture
    // follows its drawable, the size it took at the last swap.
    .frame_size =
        [](int* width, int* height) {
            *width = 0;
            *height = 0;
        },
    // Must make what was drawn readable by glCopyTexImage2D: a multisampled
    // picture resolved into its single-sampled copy, bound for reading.
    .resolve_samples = [] {},
    // A backend that captures nothing shares no_capture.
    .capture = &no_capture,
};

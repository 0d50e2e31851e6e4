// Calls each platform function through the table of the backend chosen at
// start, and keeps what all backends share: the posted quit message, the
// stderr half of message boxes, the no-capture table and the check that a
// table is complete.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless/headless.h"
#if defined(__EMSCRIPTEN__)
#include "platform/web/web_gl.h"
#endif

namespace {

#if defined(__EMSCRIPTEN__)
// The page is the window, and nothing runs headless.
const BackendTable& window_table = web_backend;
const BackendTable& headless_table = web_backend;
#elif defined(_WIN32)
const BackendTable& window_table = win32_backend;
const BackendTable& headless_table = headless_backend;
#else
const BackendTable& window_table = sdl_backend;
const BackendTable& headless_table = headless_backend;
#endif

// Each entry by name, so a table left incomplete is named entry by entry.
#define ZELVO_TABLE_ENTRIES(X) \
    X(select) X(open_window) X(close_window) X(swap_buffers) X(set_title) X(show_cursor) \
    X(next_message) X(wait_message) X(message_box) X(wall_ms) X(sound_init) X(sound_open_stream) \
    X(sound_play) X(sound_pause) X(sound_position_ms) X(sound_close) X(frame_size) X(resolve_samples)
#define ZELVO_CAPTURE_ENTRIES(X) \
    X(frame_kept) X(frames_written) X(frames_expected) X(start_capture) X(finish_capture) X(caught_signal)

struct Dispatch {
    const BackendTable* backend = &window_table;
    bool quit_posted = false;
    int quit_code = 0;
    int32_t audio_offset_ms = 0;  // a window backend's; 0 headless
    bool played = false;          // sound_play has been called
    int32_t start_ms = 0;         // where it began
    int32_t last_reported = 0;
    // A window backend's device watched for stalls (not headless, not while
    // a scripted screenshot holds the position).
    bool watched = false;
    StallWatch watch;
};

Dispatch dispatch;

const BackendTable& backend() { return *dispatch.backend; }

// The device stood still or answers again: says so once, and plays the music
// on from the clock's position when it answers.
void note_stall_event(StallEvent event, int32_t clock_ms) {
    if (event == StallEvent::stalled) {
        std::fprintf(stderr, "zelvo: warning: the sound device stopped answering; the show goes on by the wall "
                             "clock from %d ms\n", clock_ms);
    } else if (event == StallEvent::answering_again) {
        std::fprintf(stderr, "zelvo: the sound device answers again; the music goes on from %d ms\n", clock_ms);
        backend().sound_play(clock_ms);
        watch_start(dispatch.watch, backend().sound_position_ms(), backend().wall_ms());
    }
}

}  // namespace

bool open_refused_size = false;
bool sound_device_abandoned = false;

std::vector<const BackendTable*> compiled_backends() {
    std::vector<const BackendTable*> tables = {&window_table};
    if (&headless_table != &window_table) tables.push_back(&headless_table);
    tables.push_back(&template_backend);
    return tables;
}

std::vector<std::string> backend_missing_entries(const BackendTable& table) {
    std::vector<std::string> missing;
    if (!table.name) missing.push_back("name");
#define ZELVO_CHECK(entry) \
    if (!table.entry) missing.push_back(#entry);
    ZELVO_TABLE_ENTRIES(ZELVO_CHECK)
#undef ZELVO_CHECK
    if (!table.capture) {
        missing.push_back("capture");
        return missing;
    }
#define ZELVO_CHECK(entry) \
    if (!table.capture->entry) missing.push_back("capture." #entry);
    ZELVO_CAPTURE_ENTRIES(ZELVO_CHECK)
#undef ZELVO_CHECK
    return missing;
}

void platform_select_backend(Backend backend, const HeadlessOptions& headless, const WindowOptions& window) {
    dispatch.backend = backend == Backend::headless ? &headless_table : &window_table;
    // A table left incomplete is the build's fault: say which entry, rather
    // than call a null pointer later.
    const std::vector<std::string> missing = backend_missing_entries(*dispatch.backend);
    if (!missing.empty()) {
        std::fprintf(stderr, "zelvo: the %s backend leaves %s unfilled\n", dispatch.backend->name,
                     missing.front().c_str());
        std::abort();
    }
    dispatch.audio_offset_ms = backend == Backend::headless ? 0 : window.audio_offset_ms;
    dispatch.watched = backend == Backend::window && environment_ms("ZELVO_HOLD_MS") < 0;
    dispatch.backend->select(headless, window);
}

bool platform_open_window(const char* title, int width, int height, int bits, bool fullscreen_request,
                          bool* got_fullscreen, std::string* error) {
    *got_fullscreen = false;
    open_refused_size = false;
    return backend().open_window(title, width, height, bits, fullscreen_request, got_fullscreen, error);
}

bool platform_open_refused_size() { return open_refused_size; }

void platform_frame_size(int* width, int* height) { backend().frame_size(width, height); }

void platform_resolve_samples() { backend().resolve_samples(); }

void platform_close_window() { backend().close_window(); }

void platform_swap_buffers() { backend().swap_buffers(); }

// Only the browser's GL copies client arrays at every draw; the others draw them where they lie.
#if defined(__EMSCRIPTEN__)
void platform_keep_vertices(const void* data, size_t bytes) { web_gl_keep(data, bytes); }
void platform_forget_vertices(const void* data) { web_gl_forget(data); }
#else
void platform_keep_vertices(const void*, size_t) {}
void platform_forget_vertices(const void*) {}
#endif

void platform_set_title(const char* title) { backend().set_title(title); }

void platform_show_cursor(bool show) { backend().show_cursor(show); }

bool platform_peek_message(Message* message) {
    if (backend().next_message(message)) return true;
    // Like Win32's WM_QUIT, the quit message waits until nothing else is pending.
    if (dispatch.quit_posted) {
        dispatch.quit_posted = false;
        *message = Message{MessageKind::quit, static_cast<uint32_t>(dispatch.quit_code), false};
        return true;
    }
    return false;
}

void platform_wait_message(uint32_t timeout_ms) {
    if (!dispatch.quit_posted) backend().wait_message(timeout_ms);
}

int platform_caught_signal() { return backend().capture->caught_signal(); }

void platform_post_quit(int exit_code) {
    dispatch.quit_posted = true;
    dispatch.quit_code = exit_code;
}

void platform_message_box(const char* text, const char* caption) {
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    // Scripted runs (tests under Xvfb) set this so a fatal error cannot wait on a click.
    const char* off = std::getenv("ZELVO_NO_MESSAGE_BOX");
    if (off && *off && std::strcmp(off, "0") != 0) return;
    backend().message_box(text, caption);
}

uint32_t platform_wall_ms() { return backend().wall_ms(); }


bool sound_init(int rate, int channels, std::string* error) {
    std::string ignored;
    return backend().sound_init(rate, channels, error ? error : &ignored);
}

bool sound_open_stream(const uint8_t* bytes, size_t size, std::string* error, std::string* warning) {
    return backend().sound_open_stream(bytes, size, error, warning);
}

void sound_play(int32_t start_ms) {
    backend().sound_play(start_ms);
    dispatch.played = true;
    dispatch.start_ms = start_ms < 0 ? 0 : start_ms;
    dispatch.last_reported = dispatch.start_ms;
    if (dispatch.watched) watch_start(dispatch.watch, backend().sound_position_ms(), backend().wall_ms());
}

void sound_pause() {
    backend().sound_pause();
    dispatch.watch.running = false;
}

int32_t sound_position_ms() {
    int32_t heard = backend().sound_position_ms();
    if (dispatch.watched) {
        StallEvent event = StallEvent::none;
        heard = watch_position(dispatch.watch, heard, backend().wall_ms(), &event);
        if (event != StallEvent::none) note_stall_event(event, heard);
    }
    if (!dispatch.played || dispatch.audio_offset_ms == 0) return heard;
    dispatch.last_reported =
        offset_position_ms(heard, dispatch.audio_offset_ms, dispatch.start_ms, dispatch.last_reported);
    return dispatch.last_reported;
}

void sound_close() {
    backend().sound_close();
    dispatch.watch.running = false;
}

void platform_end_if_device_stuck(int status) {
    if (!sound_device_abandoned) return;
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
}

bool platform_frame_kept() { return backend().capture->frame_kept(); }

int platform_frames_written() { return backend().capture->frames_written(); }

int platform_frames_expected() { return backend().capture->frames_expected(); }

bool platform_start_capture(std::string* error) { return backend().capture->start_capture(error); }

bool platform_finish_capture(std::string* error) { return backend().capture->finish_capture(error); }

const CaptureTable no_capture = {
    .frame_kept = [] { return true; },
    .frames_written = [] { return 0; },
    .frames_expected = [] { return 0; },
    .start_capture = [](std::string*) { return true; },
    .finish_capture = [](std::string*) { return true; },
    .caught_signal = [] { return 0; },
};

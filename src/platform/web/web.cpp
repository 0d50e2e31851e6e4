// Web backend: the page's canvas as the window, WebGL 1 through our own
// fixed-function layer (web_gl.cpp) as the context, the page's keys and
// title, and the browser's own decoder and Web Audio for the soundtrack
// (web_library.js holds the JavaScript side). The show's loop runs as in the
// other window backends: each swap hands control back to the browser until its next
// animation frame.
//
// A still for tests and for sharing (the page's ?at=MS, passed in as
// ZELVO_WEB_STILL): the show runs muted on a virtual clock of 30 frames a
// second from --from to MS, draws the frame of MS, says so on the console and
// holds it.
#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/web/web_gl.h"

extern "C" {
// web_library.js
int web_open_canvas(int width, int height, int antialias);
void web_fit_canvas();
void web_canvas_size(int* width, int* height);
void web_set_title(const char* title);
int web_next_key(int* down);
void web_wait_frame();
void web_wait_ms(int ms);
double web_now_ms();
void web_show_message(const char* text, const char* caption);
int web_sound_decode(const uint8_t* bytes, int size);
int web_sound_decoded();
void web_sound_play(double start_ms, int muted);
double web_sound_position_ms();
void web_sound_stop();
int web_lights_as_directions();
}

namespace {


struct Web {
    bool open = false;
    bool close_sent = false;
    bool muted = false;
    bool stream_open = false;
    bool playing = false;
    int32_t last_reported = 0;

    // The still: -1 without one.
    int32_t still_ms = -1;
    int64_t frames_presented = 0;
    int64_t frames_since_play = 0;
    int32_t start_ms = 0;
    double playing_since = 0;  // the page's clock when playback began
};

Web web;
WindowOptions chosen;

// ZELVO_WEB_STILL=MS: the page asked for the still at MS; -1 otherwise.
int32_t still_asked() { return environment_ms("ZELVO_WEB_STILL"); }

bool still() { return web.still_ms >= 0; }

// The still's virtual clock runs at 30 frames a second, as a capture's does by default.
constexpr double still_fps = 30.0;

int32_t virtual_ms(int32_t start, int64_t frames) {
    return static_cast<int32_t>(position_after(start, frames, still_fps));
}

bool web_open_window(const char*, int, int, int, bool, bool* got_fullscreen, std::string* error) {
    web = Web{};
    web.still_ms = still_asked();
    // A size asked for fixes the drawing buffer; else it follows the page.
    if (!web_open_canvas(chosen.picture_width, chosen.picture_height, chosen.samples > 1 ? 1 : 0)) {
        *error = "the browser made no WebGL context for the canvas";
        return false;
    }
    web_gl_start(web_lights_as_directions() != 0);
    web.open = true;
    *got_fullscreen = false;
    return true;
}

void web_close_window() { web.open = false; }

void web_swap_buffers() {
    if (!web.open) return;
    ++web.frames_presented;
    if (web.playing) ++web.frames_since_play;
    if (!still()) {
        web_wait_frame();
        web_fit_canvas();
        return;
    }
    // The still's frame stays on the page: nothing is drawn after it.
    if (web.playing && web.last_reported >= web.still_ms) {
        // The rate the music's frames were drawn at, as fast as the page could.
        const double seconds = (web_now_ms() - web.playing_since) / 1000.0;
        if (web.frames_since_play > 1 && seconds > 0)
            std::printf("zelvo: %lld frames of music drawn in %.2f s, %.1f fps\n",
                        static_cast<long long>(web.frames_since_play), seconds, web.frames_since_play / seconds);
        std::printf("zelvo: frame %d drawn\n", web.still_ms);
        std::fflush(stdout);
        for (;;) web_wait_ms(1000);
    }
    // The virtual clock runs as fast as the page draws, each frame finished
    // (so the rate printed above is what drawing costs: reading a pixel back
    // waits for the GPU process, where glFinish does not), yielding now and then.
    unsigned char pixel[4];
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    if (web.frames_presented % 8 == 0) web_wait_ms(0);
}

void web_set_title_entry(const char* title) { web_set_title(title); }

bool web_next_message(Message* message) {
    int down = 0;
    const int key = web_next_key(&down);
    if (key == 0) return false;
    if (key < 0) {
        // The page is going away.
        if (web.close_sent) return false;
        web.close_sent = true;
        *message = Message{MessageKind::close, 0, false};
        return true;
    }
    *message = Message{down ? MessageKind::key_down : MessageKind::key_up, static_cast<uint32_t>(key), false};
    return true;
}

uint32_t web_wall_ms() {
    if (still()) return static_cast<uint32_t>(virtual_ms(0, web.frames_presented));
    return static_cast<uint32_t>(web_now_ms());
}

bool web_sound_init_entry(int, int, std::string*) {
    web.muted = chosen.mute || still_asked() >= 0;
    return true;
}

bool web_sound_open_stream_entry(const uint8_t* bytes, size_t size, std::string* error, std::string*) {
    // The browser decodes the soundtrack; the loop waits here until it has.
    if (!web_sound_decode(bytes, static_cast<int>(size))) {
        *error = "the browser cannot decode the soundtrack";
        return false;
    }
    int state = 0;
    while ((state = web_sound_decoded()) == 0) web_wait_ms(10);
    if (state < 0) {
        *error = "the browser cannot decode the soundtrack as audio";
        return false;
    }
    web.stream_open = true;
    return true;
}

void web_sound_play_entry(int32_t start_ms) {
    if (!web.stream_open) return;
    web.playing = true;
    web.start_ms = std::max(start_ms, 0);
    web.frames_since_play = 0;
    web.last_reported = web.start_ms;
    web.playing_since = web_now_ms();
    if (!still()) web_sound_play(web.start_ms, web.muted ? 1 : 0);
}

int32_t web_sound_position_entry() {
    if (!web.playing) return web.last_reported;
    const double position =
        still() ? std::min<double>(virtual_ms(web.start_ms, web.frames_since_play), web.still_ms)
                : web_sound_position_ms();
    web.last_reported = std::max(static_cast<int32_t>(std::min<double>(position, INT32_MAX)), web.last_reported);
    return web.last_reported;
}

// The position holds; the music ramps to silence, and play starts a new source.
void web_sound_pause_entry() {
    if (!web.playing) return;
    web_sound_position_entry();
    web.playing = false;
    if (!still()) web_sound_stop();
}

void web_sound_close_entry() {
    web_sound_stop();
    web.playing = false;
    web.stream_open = false;
}

}  // namespace

const BackendTable web_backend = {
    .name = "web",
    .select = [](const HeadlessOptions&, const WindowOptions& options) { chosen = options; },
    .open_window = web_open_window,
    .close_window = web_close_window,
    .swap_buffers = web_swap_buffers,
    .set_title = web_set_title_entry,
    // The page's cursor is the page's.
    .show_cursor = [](bool) {},
    .next_message = web_next_message,
    .wait_message = [](uint32_t timeout_ms) { web_wait_ms(static_cast<int>(std::min<uint32_t>(timeout_ms, 100))); },
    .message_box = web_show_message,
    .wall_ms = web_wall_ms,
    .sound_init = web_sound_init_entry,
    .sound_open_stream = web_sound_open_stream_entry,
    .sound_play = web_sound_play_entry,
    .sound_pause = web_sound_pause_entry,
    .sound_position_ms = web_sound_position_entry,
    .sound_close = web_sound_close_entry,
    .frame_size = web_canvas_size,
    // The canvas's own buffer is read resolved.
    .resolve_samples = [] {},
    .capture = &no_capture,
};

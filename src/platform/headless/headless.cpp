// Headless backend: a context of its own drawing into a picture of the size asked for
// (headless_egl.cpp on Linux, headless_wgl.cpp on Windows). Time is
// virtual: each presented frame advances the wall clock and, once playing, the
// stream position by exactly 1000 / fps ms, so what is drawn depends only on the
// frame number and captures are the same bytes on every run. Frames whose
// music time lies in the capture range go to the frame sink.
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <csignal>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <unistd.h>

#include "platform/audio/audio.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/headless/headless.h"
#include "platform/headless/frame_sink.h"

namespace {

using Clock = std::chrono::steady_clock;

// Pixel-buffer-object entry points for reading frames back without waiting.
struct PackCalls {
    PFNGLGENBUFFERSPROC gen_buffers = nullptr;
    PFNGLBINDBUFFERPROC bind_buffer = nullptr;
    PFNGLBUFFERDATAPROC buffer_data = nullptr;
    PFNGLMAPBUFFERPROC map_buffer = nullptr;
    PFNGLUNMAPBUFFERPROC unmap_buffer = nullptr;
    PFNGLDELETEBUFFERSPROC delete_buffers = nullptr;
};

// Frame k is read into pixel buffer k mod 2 when it is presented and handed to
// the sink's worker when frame k + 1 is, so the read-back is finished by then
// and no swap waits on its own frame's copy.
struct PackBuffers {
    PackCalls gl;
    GLuint names[2] = {0, 0};
    int next = 0;
    bool pending = false;  // the other buffer holds a frame not yet handed on
    int32_t pending_ms = 0;
};

struct Headless {
    bool open = false;  // the context is made
    int width = 0;
    int height = 0;

    HeadlessOptions options;
    int64_t frames_presented = 0;

    bool stream_open = false;
    bool playing = false;
    bool played = false;  // playback began at some time (it may have stopped since)
    int32_t start_ms = 0;
    int64_t frames_since_play = 0;
    int32_t last_position = 0;
    bool position_reported = false;  // since the last swap

    const FrameSink* sink = nullptr;
    bool sink_failed = false;  // a frame was lost or a write failed: no more frames are read back
    std::string sink_error;    // a frame lost before it reached the worker
    int frames_handed = 0;
    int frames_expected = 0;
    size_t frame_bytes = 0;
    PackBuffers pack;
    bool pack_ready = false;  // pixel buffers exist; without them frames are read straight back

    Clock::time_point opened_at;
    Clock::time_point playing_since;
    Clock::time_point last_progress;
    Clock::time_point writing_since;
    bool close_sent = false;  // the capture failed or was interrupted: the loop was told to close
    bool progress_shown = false;
    bool terminal = false;   // stderr is a terminal: the progress line is redrawn in place
    bool line_open = false;  // a progress line waits for its end
};

Headless headless;
HeadlessOptions chosen;  // kept apart from headless, which opening the window resets

// SIGINT or SIGTERM, caught while a capture runs.
volatile std::sig_atomic_t caught_signal = 0;

void catch_signal(int signal) { caught_signal = signal; }

void catch_interruptions() {
    std::signal(SIGINT, catch_signal);
    std::signal(SIGTERM, catch_signal);
}

const char* signal_name(int signal) { return signal == SIGINT ? "SIGINT" : signal == SIGTERM ? "SIGTERM" : "a signal"; }

// Drops the capture: the queued frames, the files not yet whole, ffmpeg.
void abandon_capture() {
    sink_worker_abandon();
    if (headless.sink) headless.sink->abandon();
    headless.sink = nullptr;
}

// Frames k = 0, 1, ... of playback carry music time from + k * 1000 / fps; the
// capture holds those whose time lies within [from, to].
int count_expected_frames(const HeadlessOptions& options) {
    if (options.capture_path.empty() || options.to_ms < options.from_ms) return 0;
    int count = 0;
    for (int64_t k = 0; position_after(options.from_ms, k, options.fps) <= options.to_ms; ++k) ++count;
    return count;
}

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Frames presented per real second: since playback began, or since the context opened.
double render_rate() {
    const double seconds = seconds_since(headless.played ? headless.playing_since : headless.opened_at);
    const double frames = static_cast<double>(headless.played ? headless.frames_since_play : headless.frames_presented);
    return seconds > 0 ? frames / seconds : 0.0;
}

// Frames written per real second since the first was written.
double write_rate() {
    const double seconds = seconds_since(headless.writing_since);
    const int written = sink_worker_written();
    return written > 0 && seconds > 0 ? written / seconds : 0.0;
}

template <typename Function>
bool look_up(Function* function, const char* name) {
    *function = reinterpret_cast<Function>(headless_context_lookup(name));
    return *function != nullptr;
}

bool make_pack_buffers() {
    PackBuffers& p = headless.pack;
    if (!look_up(&p.gl.gen_buffers, "glGenBuffers") || !look_up(&p.gl.bind_buffer, "glBindBuffer") ||
        !look_up(&p.gl.buffer_data, "glBufferData") || !look_up(&p.gl.map_buffer, "glMapBuffer") ||
        !look_up(&p.gl.unmap_buffer, "glUnmapBuffer") || !look_up(&p.gl.delete_buffers, "glDeleteBuffers"))
        return false;
    p.gl.gen_buffers(2, p.names);
    for (GLuint name : p.names) {
        p.gl.bind_buffer(GL_PIXEL_PACK_BUFFER, name);
        p.gl.buffer_data(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(headless.frame_bytes), nullptr, GL_STREAM_READ);
    }
    p.gl.bind_buffer(GL_PIXEL_PACK_BUFFER, 0);
    return glGetError() == GL_NO_ERROR;
}

// Reads the frame as tightly packed RGB rows, bottom row first, into the
// bound pixel buffer (at offset 0) or into memory.
void read_frame(void* destination) {
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    headless_context_resolve();
    glReadPixels(0, 0, headless.width, headless.height, GL_RGB, GL_UNSIGNED_BYTE, destination);
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
}

// Copies the frame waiting in the other pixel buffer to the worker.
void hand_pending_frame() {
    PackBuffers& p = headless.pack;
    if (!p.pending) return;
    p.pending = false;
    p.gl.bind_buffer(GL_PIXEL_PACK_BUFFER, p.names[1 - p.next]);
    const void* pixels = p.gl.map_buffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
    if (pixels) {
        std::memcpy(sink_worker_buffer(), pixels, headless.frame_bytes);
        sink_worker_queue(p.pending_ms);
    }
    const bool unmapped = p.gl.unmap_buffer(GL_PIXEL_PACK_BUFFER) == GL_TRUE;
    p.gl.bind_buffer(GL_PIXEL_PACK_BUFFER, 0);
    if (!pixels || !unmapped) {
        // A frame lost on the way fails the capture like a failed write.
        headless.sink_failed = true;
        headless.sink_error = "the frame at " + std::to_string(p.pending_ms) + " ms could not be read back";
        std::fprintf(stderr, "zelvo: %s\n", headless.sink_error.c_str());
    }
}

void hand_frame_to_sink() {
    if (!headless.sink || headless.sink_failed || !headless.playing || !headless.position_reported) return;
    if (headless.last_position < headless.options.from_ms || headless.last_position > headless.options.to_ms) return;
    if (sink_worker_failed()) {
        headless.sink_failed = true;
        return;
    }
    if (headless.frames_handed == 0) headless.writing_since = Clock::now();
    ++headless.frames_handed;
    if (!headless.pack_ready) {
        read_frame(sink_worker_buffer());
        sink_worker_queue(headless.last_position);
        return;
    }
    PackBuffers& p = headless.pack;
    p.gl.bind_buffer(GL_PIXEL_PACK_BUFFER, p.names[p.next]);
    read_frame(nullptr);
    p.gl.bind_buffer(GL_PIXEL_PACK_BUFFER, 0);
    hand_pending_frame();
    p.pending = true;
    p.pending_ms = headless.last_position;
    p.next = 1 - p.next;
}

void release_pack_buffers() {
    PackBuffers& p = headless.pack;
    if (headless.pack_ready) p.gl.delete_buffers(2, p.names);
    headless.pack_ready = false;
    p = PackBuffers{};
}

}  // namespace

std::string capture_progress_line(int written, int expected, double rate) {
    char line[160];
    const double percent = expected > 0 ? 100.0 * written / expected : 0.0;
    if (rate <= 0) {
        std::snprintf(line, sizeof line, "capture: %3.0f%% | %d of %d frames", percent, written, expected);
        return line;
    }
    const long left = std::lround(std::max(0, expected - written) / rate);
    std::snprintf(line, sizeof line, "capture: %3.0f%% | %d of %d frames | %.1f fps | %ld:%02ld left", percent,
                  written, expected, rate, left / 60, left % 60);
    return line;
}

namespace {

void headless_close_window();

bool headless_open_window(const char*, int width, int height, int, bool, bool*, std::string* error) {
    const HeadlessOptions& options = chosen;
    if (!(options.fps >= 1.0 && options.fps <= 1000.0)) {
        // Above 1000 fps two frames would share a millisecond and a file name.
        *error = "the capture rate must lie between 1 and 1000 frames per second";
        return false;
    }
    headless = Headless{};
    headless.width = width;
    headless.height = height;
    headless.options = options;
    headless.opened_at = Clock::now();
    headless.terminal = isatty(fileno(stderr)) != 0;
    if (!headless_context_open(width, height, options.samples, error, &open_refused_size)) {
        headless_close_window();
        return false;
    }
    headless.open = true;
    return true;
}

bool headless_start_capture(std::string* error) {
    const HeadlessOptions& options = headless.options;
    if (options.capture_path.empty() || headless.sink) return true;
    headless.frames_expected = count_expected_frames(options);
    const FrameSink* sink = frame_sink_for(options.capture_path);
    const SinkSettings settings{options.capture_path, headless.width, headless.height, options.fps, options.from_ms,
                                headless.frames_expected};
    if (!sink->open(settings, error)) return false;
    headless.sink = sink;
    catch_interruptions();
    headless.frame_bytes = static_cast<size_t>(headless.width) * headless.height * 3;
    headless.pack_ready = make_pack_buffers();
    sink_worker_start(sink, headless.frame_bytes);
    return true;
}

void headless_close_window() {
    // A run that ends without finishing its capture (a fatal error) drops what
    // is still queued and what it had not finished.
    abandon_capture();
    release_pack_buffers();
    headless_context_close();
    headless.open = false;
}

void headless_swap_buffers() {
    if (!headless.open) return;
    hand_frame_to_sink();
    headless_context_swap();
    ++headless.frames_presented;
    if (headless.playing) ++headless.frames_since_play;
    headless.position_reported = false;
}

// The progress of a capture: done, of how many, how fast, how long still.
// On a terminal the line is redrawn in place; otherwise (a log, a pipe) each
// update is a line of its own.
void headless_set_title(const char* title) {
    const Clock::time_point now = Clock::now();
    if (headless.progress_shown && now - headless.last_progress < std::chrono::milliseconds(250)) return;
    headless.progress_shown = true;
    headless.last_progress = now;
    if (headless.options.capture_path.empty()) {
        std::fprintf(stderr, "%.1f fps rendered | %s\n", render_rate(), title);
        return;
    }
    const std::string line = capture_progress_line(sink_worker_written(), headless.frames_expected, write_rate());
    if (headless.terminal) {
        std::fprintf(stderr, "\r%s\033[K", line.c_str());
        headless.line_open = true;
    } else {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
    std::fflush(stderr);
}

uint32_t headless_wall_ms() {
    return static_cast<uint32_t>(position_after(0, headless.frames_presented, headless.options.fps));
}

bool headless_sound_open_stream(const uint8_t* bytes, size_t size, std::string* error, std::string* warning) {
    // Decoded to be validated, so a bad soundtrack fails here as it does in a
    // window, and handed to the sink, which a video muxes in.
    DecodedAudio audio;
    if (!mp3_decode(bytes, size, &audio, error, warning)) return false;
    if (headless.sink) headless.sink->take_soundtrack(audio);
    headless.stream_open = true;
    return true;
}

void headless_sound_play(int32_t start_ms) {
    headless.playing = true;
    headless.played = true;
    headless.start_ms = start_ms;
    headless.frames_since_play = 0;
    headless.last_position = start_ms;
    headless.playing_since = Clock::now();
}

int32_t headless_sound_position_ms() {
    if (!headless.playing) return headless.last_position;
    headless.last_position =
        static_cast<int32_t>(position_after(headless.start_ms, headless.frames_since_play, headless.options.fps));
    headless.position_reported = true;
    return headless.last_position;
}

// The stream stops where it is; the position keeps the last value it reported.
void headless_sound_close() {
    headless.playing = false;
    headless.stream_open = false;
}

// Only frames of the playback within the capture range reach the sink.
bool headless_frame_kept() {
    if (headless.options.capture_path.empty()) return true;
    return headless.playing && headless.last_position >= headless.options.from_ms &&
           headless.last_position <= headless.options.to_ms;
}

int headless_frames_expected() { return headless.frames_expected; }

// A capture that failed or was interrupted closes the window, so the loop
// ends now rather than rendering the rest of the range for nothing.
bool headless_next_message(Message* message) {
    if (!headless.sink || headless.close_sent) return false;
    if (caught_signal == 0 && !headless.sink_failed && !sink_worker_failed()) return false;
    headless.close_sent = true;
    *message = Message{MessageKind::close, 0, false};
    return true;
}

bool headless_finish_capture(std::string* error) {
    if (!headless.sink) return true;
    if (caught_signal != 0) {
        abandon_capture();
        const int written = sink_worker_written();
        if (headless.line_open) std::fputc('\n', stderr);
        headless.line_open = false;
        *error = std::string("the capture was interrupted by ") + signal_name(caught_signal) + " after " +
                 std::to_string(written) + " of " + std::to_string(headless.frames_expected) +
                 " frames; its unfinished files are removed";
        return false;
    }
    if (!headless.sink_failed && headless.pack_ready) hand_pending_frame();
    std::string worker_error;
    const bool all_written = sink_worker_finish(&worker_error);
    std::string sink_error;
    if (headless.line_open) std::fputc('\n', stderr);
    headless.line_open = false;
    const bool finished = headless.sink->finish(&sink_error);
    headless.sink = nullptr;
    const bool failed = !headless.sink_error.empty() || !all_written || !finished;
    std::fprintf(stderr, "capture: %s %d of %d frames to %s, rendered at %.1f fps\n",
                 failed ? "failed after" : "wrote", sink_worker_written(), headless.frames_expected,
                 headless.options.capture_path.c_str(), render_rate());
    if (!headless.sink_error.empty()) {
        *error = headless.sink_error;
        return false;
    }
    if (!all_written) {
        *error = worker_error;
        return false;
    }
    if (!finished) {
        *error = sink_error;
        return false;
    }
    return true;
}

const CaptureTable headless_capture = {
    .frame_kept = headless_frame_kept,
    .frames_written = sink_worker_written,
    .frames_expected = headless_frames_expected,
    .start_capture = headless_start_capture,
    .finish_capture = headless_finish_capture,
    .caught_signal = [] { return static_cast<int>(caught_signal); },
};

}  // namespace

const BackendTable headless_backend = {
    .name = "headless",
    .select = [](const HeadlessOptions& options, const WindowOptions&) { chosen = options; },
    .open_window = headless_open_window,
    .close_window = headless_close_window,
    .swap_buffers = headless_swap_buffers,
    .set_title = headless_set_title,
    // No window: no cursor, no events but the close a failed or interrupted
    // capture sends, no box beside the text on stderr.
    .show_cursor = [](bool) {},
    .next_message = headless_next_message,
    // The headless window is never inactive, so the loop never waits.
    .wait_message = [](uint32_t) {},
    .message_box = [](const char*, const char*) {},
    .wall_ms = headless_wall_ms,
    .sound_init = [](int, int, std::string*) { return true; },  // no device to open
    .sound_open_stream = headless_sound_open_stream,
    .sound_play = headless_sound_play,
    // The virtual position holds; nothing reaches the sink until play starts again.
    .sound_pause = [] { headless.playing = false; },
    .sound_position_ms = headless_sound_position_ms,
    .sound_close = headless_sound_close,
    .frame_size =
        [](int* width, int* height) {
            *width = headless.width;
            *height = headless.height;
        },
    .resolve_samples = headless_context_resolve,
    .capture = &headless_capture,
};

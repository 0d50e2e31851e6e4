// Platform layer: the window and GL context, the message queue, message boxes,
// the wall clock and the soundtrack stream; this header is the whole seam the
// shell uses.
//
// Four backends stand behind these functions, each in a folder of its own and
// each filling the table in backend.h: sdl/ (the Linux desktop: SDL2 window,
// context, events and audio, libmpg123 decoding), win32/ (Win32 window, WGL,
// messages, waveOut), web/ (the page's canvas, WebGL, Web Audio) and
// headless/ (an off-screen context on a virtual clock that advances by exactly
// 1000 / fps ms per presented frame, handing presented frames to a PNG or
// video sink). main picks the window backend of its system or headless; only
// src/platform includes SDL, EGL, Win32, Emscripten or mpg123 headers.
//
// Everything here runs on the one thread that owns the GL context.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Win32 virtual-key codes of the keys the show reads: Escape ends it, the
// others drive the player (pause, seeks, the timeline overlay).
constexpr int key_escape = 27;
constexpr int key_tab = 0x09, key_shift = 0x10, key_space = 0x20, key_page_up = 0x21, key_page_down = 0x22,
              key_home = 0x24, key_left = 0x25, key_right = 0x27;

enum class MessageKind {
    quit,         // the quit message posted by platform_post_quit; wparam is its exit code
    close,        // the user asked to close the window
    activate,     // the window was activated or deactivated; minimized tells which
    key_down,     // wparam is the Win32 virtual-key code
    key_up,       // wparam is the Win32 virtual-key code
    syscommand,   // a screen-saver or monitor power-down request; wparam is one of the codes below
};

constexpr uint32_t syscommand_screensave = 0xF140;
constexpr uint32_t syscommand_monitorpower = 0xF170;

struct Message {
    MessageKind kind = MessageKind::quit;
    uint32_t wparam = 0;
    bool minimized = false;  // with activate: true when the window was minimised
};

// The window backend of the system the program was built for (SDL, Win32 or
// the page), or the headless one.
enum class Backend { window, headless };

// What the headless backend needs to know before the window opens.
struct HeadlessOptions {
    double fps = 30.0;            // presented frames per second of virtual time
    int32_t from_ms = 0;          // stream position at which playback starts
    int32_t to_ms = 160704;       // last music time that goes to the frame sink
    std::string capture_path;     // a folder for PNG frames, a .mp4/.mkv video file, or empty for none
    int samples = 1;              // samples a pixel: above 1 the picture is multisampled
};

// How a window backend shows the picture.
enum class Presentation {
    mode_switch,  // the display switched to the window's size when asked, else a fixed window
    window,       // a resizable window, the picture scaled into it
    fullscreen,   // a borderless full screen at the display's own resolution, the picture scaled
};

// What a window backend needs to know before the window opens.
struct WindowOptions {
    Presentation presentation = Presentation::mode_switch;
    bool mute = false;  // no sound device: the stream's position runs on the wall clock
    int32_t audio_offset_ms = 0;  // the picture this much later than the sound (negative: earlier)
    // The scaled presentations' picture size; 0 x 0 draws at the drawable's
    // own size and follows it as the window changes.
    int picture_width = 0;
    int picture_height = 0;
    int samples = 1;  // samples a pixel of the scaled presentations' picture: above 1 it is multisampled
};

// Where a picture goes in a frame of another shape, in GL's window
// coordinates (y from the bottom).
struct Letterbox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The largest rectangle of the picture's shape that fits a frame of the
// given size, centred; the odd pixel of an uneven bar goes to the right and the
// top. Empty when the frame or the picture is.
Letterbox letterbox(int frame_width, int frame_height, int picture_width, int picture_height);

// Chooses the backend; called once by main before platform_open_window.
void platform_select_backend(Backend backend, const HeadlessOptions& headless,
                             const WindowOptions& window = WindowOptions{});

// Opens the window (a window backend) or the off-screen picture (headless)
// with a current GL context of width x height, double-buffered RGBA with a
// depth buffer of at least 16 bits. With Presentation::mode_switch and
// fullscreen_request a window backend first tries to switch the display to width x height at bits per pixel.
// The scaled presentations ignore fullscreen_request: the show draws into a
// width x height off-screen framebuffer (depth 24 bits where the driver has
// them) that every swap scales into the largest rectangle of its shape that
// fits the window, centred between black bars; Alt+Enter switches between the
// window and the full screen there and never reaches the shell.
// *got_fullscreen tells whether the window covers the display.
// The scaled presentations draw at WindowOptions' picture size instead where
// one is given, and at the drawable's own size otherwise.
// Returns false with *error set when no context could be made, or when the
// GL's limits (its largest viewport, renderbuffer or sample count) refuse the
// picture; platform_open_refused_size then tells the second case.
bool platform_open_window(const char* title, int width, int height, int bits,
                          bool fullscreen_request, bool* got_fullscreen, std::string* error);

// Whether the last platform_open_window failed because the GL's limits
// refuse the picture's size or sample count (the command line asked too much).
bool platform_open_refused_size();

// The size in pixels of the frame drawn now: the headless picture, the scaled
// presentations' off-screen picture, the window's client area or the canvas's
// drawing buffer otherwise. A picture that follows the drawable takes its new
// size at a swap, so the shell asks before every frame.
void platform_frame_size(int* width, int* height);

// Makes what has been drawn so far readable by glCopyTexImage2D: where the
// picture is multisampled its samples are resolved into a single-sampled copy
// that reading then takes (drawing goes on into the multisampled one);
// nothing otherwise. The blur calls it before copying the frame.
void platform_resolve_samples();

// Restores the display mode (when it was changed), releases the context and
// destroys the window. Safe to call when nothing is open.
void platform_close_window();

// The bytes at data (a draw list's corners built once) will not change until
// platform_forget_vertices is called for them: a GL that draws client arrays
// by copying them (the browser's) keeps one copy instead. Nothing elsewhere.
void platform_keep_vertices(const void* data, size_t bytes);
// The bytes kept at data are about to change or go.
void platform_forget_vertices(const void* data);

// Presents the back buffer. In the headless backend this also hands the frame to
// the frame sink (when the stream is playing and the position reported since the
// previous swap lies in the capture range) and advances the virtual clock by one
// frame step.
void platform_swap_buffers();

// Whether the frame drawn now would be seen: always in a window and in a
// headless run without capture; in a capture only during playback within the
// capture range (the loading screen never reaches the sink). A frame nobody
// sees may be left undrawn, but it is still presented, so the clock moves on.
bool platform_frame_kept();

// Sets the window title. The headless backend writes a progress line to stderr
// instead (frames written, of how many, render rate), at most a few times a second.
void platform_set_title(const char* title);

// Hides or shows the mouse cursor over the window.
void platform_show_cursor(bool show);

// Fetches at most one pending message. Returns false when none is pending.
bool platform_peek_message(Message* message);

// Waits until a message is pending or timeout_ms have passed, whichever comes
// first, leaving the message in the queue. Returns at once when one is pending
// (the posted quit too) and headless, where nothing ever arrives.
void platform_wait_message(uint32_t timeout_ms);

// Queues the quit message with the given exit code; platform_peek_message returns it later.
void platform_post_quit(int exit_code);

// Always writes "caption: text" to stderr, then shows it: a modal message box
// with an OK button (SDL, Win32), the page's console and its own handler (web),
// nothing headless. With ZELVO_NO_MESSAGE_BOX=1 in the environment the box is
// left out, so a scripted run under Xvfb or wine never waits for a click.
void platform_message_box(const char* text, const char* caption);

// Milliseconds of wall clock: real time in a window, virtual time headless.
uint32_t platform_wall_ms();

// Called first by main, before anything is opened: standard input, output and
// error that are closed are opened onto the null device, so no file or
// connection of the program's own takes their place and receives its output;
// a write to a pipe nobody reads fails rather than ending the process, so it
// is reported with status 1.
void platform_prepare_process();

// The command line's arguments as UTF-8, the program's name first: on Windows
// read again through the wide-character call (argv holds them in the ANSI code
// page), elsewhere argv as given. Called by main.
std::vector<std::string> platform_arguments(int argc, char** argv);

// The folder an installed zelvo keeps its data/ in, found from the running
// program's own folder (its links resolved): that folder itself on Windows,
// where the zip puts data/ beside zelvo.exe, and ../share/zelvo from it
// elsewhere. Empty when the system does not say where the program is.
std::string platform_installed_data_parent();

// Makes a new folder inside `folder` that only this user may enter, under a
// name nobody can predict. Files are written whole there and renamed into
// place, so a link planted under a name the program writes is never followed.
// Returns its path, or "" with *error set. Called by whatever writes files.
std::string platform_make_private_folder(const std::string& folder, std::string* error);

// Starts the mixer at rate Hz with the given number of software channels (the
// device itself is always stereo); false when no audio device can be opened,
// with *error (when given) set to the sound library's own reason. The headless
// backend, and a window backend when muted, open no device and always succeed.
bool sound_init(int rate, int channels, std::string* error = nullptr);

// Opens the soundtrack stream from MP3 bytes held in memory. The bytes must stay
// alive while the stream plays. Returns false with *error set when the bytes do
// not decode as MP3 (every backend decodes far enough to validate them). Bytes
// after the last frame that decodes end the music there, with *warning (when
// given) saying so.
bool sound_open_stream(const uint8_t* bytes, size_t size, std::string* error, std::string* warning = nullptr);

// Starts the stream at the given position in milliseconds of music; while it
// plays or is paused, starts it again from there (a seek).
void sound_play(int32_t start_ms);

// Stops the sound where it is (a live device ramps it to silence first); the
// position holds at the last value reported until sound_play starts it again.
void sound_pause();

// The playback position in milliseconds: what has been heard, smooth between
// device callbacks, never moving backwards from one sound_play to the next,
// running on in real time after the stream ends, and never before the start.
// SDL: what the callback handed over less what still waits in SDL's buffer;
// Win32: the device's own count of samples played; the page: Web Audio's clock
// less its reported output latency. A window backend's position is moved by
// the audio offset (the picture later by that much), and goes on by the wall
// clock from where it stood once the device has not moved for 500 ms while
// playing (saying so once on stderr; a device that answers again plays the
// music on from there). Muted: the start plus the wall-clock time since
// sound_play. Headless: the virtual position. 0 before sound_play.
// Test hook of the SDL and Win32 backends: with ZELVO_HOLD_MS=T in the environment the position
// stays at T from sound_play on, so a screenshot can catch one music time.
int32_t sound_position_ms();

// Stops playback and closes the mixer, waiting at most about a second for a
// device that has stopped answering (SDL). Safe to call more than once.
void sound_close();

// When sound_close left a device closing, ends the process with status at
// once, after flushing standard output and error, since exit would wait on
// what the device's thread holds; returns otherwise. Called on the way out.
void platform_end_if_device_stuck(int status);

// Headless with a capture path: prepares the frame sink (makes the folder, or
// checks that ffmpeg is there for a video). False with *error set when it
// cannot. Called once by start-up right after the window opens; true otherwise.
bool platform_start_capture(std::string* error);

// Headless only: flushes and closes the frame sink and, when capturing, prints the
// final line (frames written, where, at what render rate) to stderr; false with
// *error set when a frame could not be written, or when the capture was
// interrupted (then its unfinished files and its ffmpeg are gone). Called once
// at shut-down.
bool platform_finish_capture(std::string* error);

// Headless with a capture path: SIGINT and SIGTERM no longer end the process at
// once; the first write that fails or a signal that arrives makes the backend
// send the close message, so the loop ends and the capture finishes. Returns
// the signal that interrupted the capture, or 0.
int platform_caught_signal();

// Shell: start-up, the window and its GL context, the loading screen, the
// soundtrack and its clock, the main loop, the status line and shut-down.
//
// Runs everything on the one thread that owns the window. Talks to the
// operating system only through the platform layer. Runs the start-up steps in
// the show's order, calling down into every layer, and is the one place that
// shows a fatal message and ends the program. Writes the process-wide clock
// (music_time, declared by the timeline) and the two values of settings.ini
// (declared by the credits scene, their only reader). Its own state is one
// struct, shell.
//
// Files: main.cpp (the command line and the backend's choice), options.cpp,
// settings.cpp, startup.cpp (start-up in the show's order, playback,
// shut-down), window.cpp (the window and its messages), loading_screen.cpp,
// main_loop.cpp, player.cpp (pause, seeks, --loop and the timeline overlay),
// status_line.cpp, exit.cpp (the ways out), bench.cpp (or bench_web.cpp in the
// browser), bench_figures.cpp, scene_names.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "render/render.h"
#include "resources/resources.h"
#include "scenes/credits/credits.h"

// ---- The ways out (exit.cpp) ----

// Closes the sound and the window (restoring the display), then shows the
// message (stderr always, a message box in a window) and ends the process
// with exit_status. The box
// keeps the show's own text; a cause (the file and the system's reason) follows
// on stderr as "zelvo: CAUSE".
[[noreturn]] void fatal_error(const std::string& text, const std::string& caption, int exit_status = 1,
                              const std::string& cause = "");

// Flushes standard output. Returns exit_ok, or (saying why on stderr)
// exit_failure when what was written could not reach it: a full disk, a
// closed output.
int flush_standard_output();

// ---- Command line ----

// Exit statuses of the program.
constexpr int exit_ok = 0;       // the show ended: its end, --to, Escape or the window closed
constexpr int exit_failure = 1;  // start-up or capture failed; the message says why
constexpr int exit_usage = 2;    // the command line was not understood

struct ShellOptions {
    bool window = false;        // --window: a resizable window, the picture scaled into it
    bool fullscreen = false;    // --fullscreen: the display's own resolution, the picture scaled
    bool mute = false;          // --mute: no sound device; the clock runs on the wall clock
    bool has_audio_offset = false;
    int32_t audio_offset_ms = 0;  // --audio-offset: the picture this much later than the sound (-500 ... 500)
    bool has_size = false;
    int width = 800;            // --size: the frame drawn, in pixels
    int height = 600;
    bool has_samples = false;
    int samples = 1;            // --aa: samples a pixel (1, 2, 4, 8)
    std::string dir;            // --dir: working directory holding data/
    int32_t from_ms = 0;        // --from: where the soundtrack starts
    bool has_to = false;
    int32_t to_ms = 0;          // --to: the show ends once music time passes this
    bool to_past_end = false;   // --to named a time past the show's end, where to_ms now lies
    std::string capture_path;   // --capture: headless, frames into this folder
    bool has_fps = false;
    double fps = 30.0;          // --fps: frames per second of virtual time when capturing
    bool reference = false;     // --reference: every face through the immediate-mode emitters
    bool bench = false;         // --bench: time every scene headless, write only the report
    bool has_bench_frames = false;
    int bench_frames = 60;      // --frames: frames timed per scene
    std::string bench_scene;    // --scene: time this scene (or the show) alone
    std::string bench_json;     // --json: the figures also as JSON into this file
    bool help = false;
    bool version = false;
    bool list_scenes = false;   // --scenes: print the scene table and end
    bool loop = false;          // --loop: at the end the show starts again from music time 0
};

// Samples a pixel in a window or the full screen without --aa.
constexpr int window_default_samples = 4;

// Parses argv[1 ...]. Returns false with *error set for an unknown option, a
// missing or malformed value, values that do not fit together, --from past the
// show's end, or a capture path naming a format other than .mp4 or .mkv. A --to
// past the show's end is moved to it, with to_past_end set.
bool parse_options(int argc, const char* const* argv, ShellOptions* options, std::string* error);

// The text --help prints.
std::string usage_text();

// ---- settings.ini ----

// The values our default settings.ini holds; unreadable values fall back to them.
constexpr float default_ease_divisor = 10.0f;
constexpr int32_t default_particle_modulus = 1000;

struct Settings {
    float ease_divisor = default_ease_divisor;
    int32_t particle_modulus = default_particle_modulus;
};

// Reads the two values from settings text as "%f\n%d" would. Values that cannot
// be read take their defaults and add a line to *warnings; a divisor below 1
// (or not a number) becomes 1 so every easing step still moves toward its target.
Settings parse_settings(const std::string& text, std::string* warnings);

// Reads settings.ini into credits_ease_divisor and credits_particle_modulus,
// warning on stderr about values it replaced. A file that cannot be opened is fatal.
void read_settings_file(const char* path);

// ---- The shell's state ----

struct ShellState {
    bool window_active = true;              // false while the window is minimised
    bool key_down[256] = {};                // by Win32 virtual-key code
    int32_t frame_count = 0;                // frames the main loop drew since playback began
    float frames_per_second = 0.0f;         // average rate of frames drawn since playback began
    bool fullscreen = false;                // the display mode was changed; tear-down shows the cursor then
    TextureId loading_texture = 0;          // the loading picture
    std::vector<uint8_t> soundtrack_bytes;  // the stream plays from these, so they stay until the end
};

// Written by the shell alone (defined in startup.cpp); tests read and reset it.
extern ShellState shell;

// ---- Window and GL context (window.cpp) ----

// Opens the window with its GL context (full screen when asked and the display
// allows it, else a captioned window of the same client size), then runs
// init_gl_state. Returns 1. A window that cannot be made at all is fatal.
int create_gl_window(const char* title, int width, int height, int bits, bool fullscreen);

// Restores the display mode and the cursor and destroys the window.
void destroy_gl_window();

// Handles one message that is not the quit message: activation, the screen
// saver and power requests it refuses, close, keys. Returns 0 when it handled
// the message, 1 when it left it to the system.
int window_proc(const Message& message);

// ---- Main loop (main_loop.cpp) ----

// While the window is inactive a pass waits this long for a message at most.
constexpr uint32_t inactive_wait_ms = 100;

// The player's state: the show paused or playing, the overlay shown or not.
struct Player {
    bool paused = false;
    bool redraw = false;   // paused: the frame at music time is drawn once more and held
    bool overlay = false;  // Tab is held: the timeline bar lies over the picture
};

// The GL side of the player, so a test can stand in for it.
struct PlayerDrawing {
    void (*hold)() = hold_frame;
    void (*held)() = draw_held_frame;
    void (*bar)(const TimelineBar&) = draw_timeline_bar;
};

// What one run of the main loop needs besides the process-wide state.
struct MainLoop {
    int32_t from_ms = 0;           // where playback started, or the last seek; the rate averages from here
    int32_t to_ms = INT32_MAX;     // the loop ends once music time passes this
    bool loop = false;             // --loop: the end starts the show again from music time 0
    int (*draw_frame)() = nullptr; // run_timeline unless a test stands in
    PlayerDrawing drawing;
    Player player;
    bool finished = false;
    int32_t frames_drawn = 0;      // frames presented by the loop
};

// While paused a pass waits this long for a message at most before it shows
// the held picture again.
constexpr uint32_t paused_wait_ms = 15;

// One pass: at most one message (a key of the player's acts at once), then
// (while active and Escape is up) one frame at the soundtrack position, laid
// out at the platform's frame size, or
// while paused the held picture, the timeline bar over either while Tab is
// held, then the counters and the status line. While inactive it draws
// nothing but follows the soundtrack, ends the loop past the show's end or the
// range's, and waits up to inactive_wait_ms for a message. The end starts the
// show again from 0 with --loop.
void main_loop_pass(MainLoop& loop);

// Runs passes until the loop is finished.
void run_main_loop(MainLoop& loop);

// Average frames per second over elapsed_ms of playback; 0 before any has passed.
float average_rate(int32_t frames, int32_t elapsed_ms);

// ---- The player (player.cpp) ----

// Right and Left seek by this bar: the beat of the cue table.
extern const int32_t seek_bar_ms;
// Page Up within this long of a scene's first millisecond goes to the scene before.
extern const int32_t scene_restart_grace_ms;

// Where a key of the player's sends music time t: Right and Left a bar on or
// back (ten with Shift), Page Down the next scene's first millisecond, Page Up
// the first of the scene t lies in (within scene_restart_grace_ms of it, the
// one before), Home 0. Targets are clamped to 0 ... the first millisecond past
// the show's end. False, with *target untouched, for any other key.
bool seek_target(int key, bool shift, int32_t t, int32_t* target);

// The timeline bar at music time t: every scene window as a segment of the
// 800-unit screen width in proportion to its length, the one holding t
// marked, the position, and time_text (which must outlive the bar).
TimelineBar timeline_bar_at(int32_t t, const char* time_text);

// Starts the show at t as --from does: every scene's state and the shared
// rand as start-up leaves them, music time t, the rate counted from there,
// and the sound playing from t (paused: the frame at t drawn and held).
void seek_show(MainLoop& loop, int32_t t);

// A key message, once window_proc has noted it; was_down tells a repeat of a
// held key. Space pauses or resumes on the press, Tab shows the bar while
// held, the seek keys seek (the arrows on every repeat too); others do nothing.
void player_key(MainLoop& loop, const Message& message, bool was_down);

// The show has ended (its end, the range's, a seek past either): with --loop it
// starts again from 0, otherwise the loop is finished.
void end_of_show(MainLoop& loop);

// ---- Status line ----

// "zelvo | %d ms [%d] | %3.0f fps | by Kardel" with the music time, the credits'
// local time and the rate; paused, "paused" stands in place of the rate.
std::string format_status_line(int32_t time, int32_t credits_time, float rate, bool paused = false);

// Sets the status line as the window title (headless: the progress line).
void update_status_line(int32_t time, float rate, bool paused = false);

// ---- Loading screen ----

// Loads data//loading.tga as the loading picture. Start-up step 4.
void load_loading_picture();

// Draws the loading picture over the whole screen, added at full brightness.
void draw_loading_picture();

// The black overlay of the loading screen elapsed_ms after it began, alpha
// elapsed_ms / 3000. Leaves the 90 degree perspective set.
void fade_loading_picture(uint32_t elapsed_ms);

// One whole frame of the loading screen at elapsed_ms, at the frame's size now: cleared, the picture,
// the overlay; run_loading_screen draws each of its frames with it.
void draw_loading_frame(uint32_t elapsed_ms);

// Shows the loading screen by the wall clock until music time reaches 5000 ms,
// music time meanwhile holding the milliseconds since it began. Start-up step 14.
void run_loading_screen();

// The loading screen lasts this long by the wall clock before playback starts.
constexpr int32_t loading_screen_ms = 5000;

// ---- Start-up (startup.cpp) ----

// The start-up builder, run once with the context current by create_gl_window:
// the angle tables, both meshes (a mesh that cannot be loaded is fatal), light
// preset 'v', the GL state every frame starts from and the capture texture,
// then the 90 degree perspective. The scenes build their own shapes and grids
// in init_scenes. Returns 1.
int init_gl_state();

// Starts the mixer (44100 Hz, 32 channels); a mixer that will not start is
// fatal, its cause on stderr followed by the hint that --mute plays without
// sound. Start-up steps 7 and 8.
void start_sound();

// Reads the soundtrack whole into memory and opens the stream from it; a missing,
// unreadable or undecodable file is fatal. Start-up steps 9 to 11.
void load_soundtrack(const char* path);

// The start-up in the show's order up to the loading screen: the window and the
// builder, the loading picture and its first frame, settings, sound, the
// soundtrack, the scene textures and the particle field. Fatal on any failure.
void start_up(const ShellOptions& options);

// The whole run: start-up, loading screen, playback and shut-down, with the
// backend already selected and the working directory set. Returns the exit status.
int run_demo(const ShellOptions& options);

// ---- Bench ----

// The index after the nine scene windows that stands for the whole show.
extern const int bench_show_index;
// The bench's name of scene window i in show order, or "show" for bench_show_index.
const char* bench_scene_name(int i);
// The bench's names of the nine scene windows in show order, then "show" for the
// whole show: the index of name, or -1 for a name it does not know.
int bench_scene_index(const std::string& name);
// "titles, city1, ..., show" for messages.
std::string bench_scene_list();
// The text --scenes prints: a line a scene window, name, first and last ms,
// still capture start and time, title, in columns.
std::string scene_table_text();

// The median of the values (the mean of the middle two for an even count); 0 for none.
double bench_median(std::vector<double> values);
// The nearest-rank percentile: the smallest value that at least p percent of
// the values do not exceed; 0 for none.
double bench_percentile(std::vector<double> values, double p);

// count music times spread evenly over first ... last, both ends included
// (first alone for a count of 1).
std::vector<int32_t> bench_times(int32_t first, int32_t last, int count);

// One line of the report.
struct BenchRow {
    std::string scene;
    int frames = 0;
    double median_ms = 0;
    double p95_ms = 0;
    double fps = 0;
    double limit_ms = 0;  // the median replay of the same frames from display lists
    double ratio = 0;     // median_ms / limit_ms
};

// The row for the frame times and the display-list replay times of one scene.
BenchRow bench_row(const std::string& scene, const std::vector<double>& frame_ms, const std::vector<double>& limit_ms);

// The table the bench prints: a header line naming the frame's size, its
// samples a pixel and the renderer, the column names, one line a row.
std::string format_bench_table(const std::vector<BenchRow>& rows, int frames, int width, int height, int samples,
                               const std::string& renderer);
// The rows as a JSON list of objects with the keys scene, frames, median_ms,
// p95_ms, fps, limit_ms and ratio.
std::string format_bench_json(const std::vector<BenchRow>& rows);

// Runs the start-up headless, times the scenes and prints the report (and
// writes the JSON file when asked); in the browser, prints each scene's median
// time spent issuing a frame. Returns the exit status.
int run_bench(const ShellOptions& options);

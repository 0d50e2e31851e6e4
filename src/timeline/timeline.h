// Timeline: maps music time to the one scene that draws the frame.
//
// The show is one table of scene windows in time order. Each row holds the
// window's first and last millisecond, how the scene's local time is formed
// from music time (origin, period, offset), the light preset and projection set
// before the scene, and the fades and flashes laid over it, all as data.
// timeline_frame turns a music time into the frame description without
// touching GL; run_timeline clears the frame, switches the lights off and draws
// that description. Each row also names its scene (for --scene, the bench and
// the README's picture). init_scenes and reset_scenes reach every scene's own
// init and reset. Needs the scenes and the render kit; keeps no state apart
// from music_time and credits_local_time.
#pragma once

#include <cstdint>
#include <string>

enum class SceneId {
    opening_titles, city_first, credits, city_second, office, lattice, tunnel, objects,
    closing_titles, end
};

// A fade or flash over a window. Its clock x is music time, or with a period
// the time since origin rem period; it shows while first <= x <= last, with
// alpha (x - zero) * slope, or 1 minus that when falling. The slopes are the
// 32-bit reciprocals of the fades' lengths in ms the show was timed with.
enum class OverlayKind { black, white, inversion };

struct Overlay {
    OverlayKind kind;
    int32_t origin, period;  // period 0: x is music time itself
    int32_t first, last;
    int32_t zero;
    float slope;
    bool falling;
};

// How the projection is set before the scene.
enum class Projection {
    standard,   // the frame start's 90 degree perspective stands
    short_90,   // the short perspective (near 0.5, far 80) at 90 degrees
    narrowing,  // from narrow_from on: 90 degrees narrowing to 30 at the slope
};

// How lighting stands around the overlays: some windows switch it off for the
// quads (and on again after them), the credits already draw unlit.
enum class OverlayLighting { as_is, off, off_then_on };

struct SceneWindow {
    SceneId scene;
    const char* name;                          // the scene's short name (--scene, the bench)
    const char* title;                         // how the README's picture labels it
    int32_t first = 0, last = 0;               // music time, inclusive
    int32_t origin = 0, period = 0, offset = 0;  // local = (t - origin) rem period + offset; period 0: t - origin
    int32_t beat = 0;                          // the beat whose phase the scene gets (opening titles), or 0
    char light_preset = 0;                     // applied before the scene, or 0
    Projection projection = Projection::standard;
    int32_t narrow_from = 0;
    float narrow_slope = 0;
    char capture_mode = 0;                     // the scene is drawn inside the zoom blur of this mode, or 0
    bool overlays_first = false;               // the overlays go in before the scene, at depth 0
    OverlayLighting overlay_lighting = OverlayLighting::as_is;
    int overlay_count = 0;
    Overlay overlays[2] = {};
    int32_t still_at = 0, still_from = 0;      // the README's frame of the scene, and where its capture starts
};

constexpr int scene_window_count = 9;
extern const SceneWindow scene_windows[scene_window_count];

// What one frame at music time t draws: computed without touching GL.
struct TimelineFrame {
    SceneId scene = SceneId::end;
    int32_t music_time = 0;       // t itself, for the scenes that follow the music
    const SceneWindow* window = nullptr;  // the row that holds t; null at the end
    int32_t local_time = 0;       // the scene-local time handed to the scene
    int32_t title_phase = 0;      // opening titles: t rem 1333
    bool black_fade = false;      // a black fade_overlay with black_alpha
    float black_alpha = 0.0f;
    bool white_fade = false;      // a white fade_overlay with white_alpha
    float white_alpha = 0.0f;
    bool narrow_fov = false;      // second city visit: perspective with fov below
    float fov = 90.0f;
    bool invert_flash = false;    // tunnel: invert_screen over the frame
};

// The frame plan for music time t. Every t >= 0 falls into exactly one window.
TimelineFrame timeline_frame(int32_t t);

// (t - 32046) rem 21332: the credits' local time, negative before 32046.
int32_t credits_local_time_for(int32_t t);

// Milliseconds of music: the wall clock since the loading screen began, then
// the soundtrack position, written once per drawn frame by the shell's main
// loop; run_timeline hands it to the scenes in the frame description.
extern int32_t music_time;

// Written by run_timeline every frame; the status line shows it.
extern int32_t credits_local_time;

// Builds every scene's data and resets its state. Called once by start-up
// after the meshes and textures load (tests call it too).
void init_scenes();
// Puts every scene's state back as init_scenes left it (the shared rand aside).
void reset_scenes();

// The row named name, or -1.
int find_scene_window(const std::string& name);

// Draws the frame for the current music time. Returns 1 while the show runs,
// 0 once music time has passed 160704 (the frame is then left cleared).
int run_timeline();

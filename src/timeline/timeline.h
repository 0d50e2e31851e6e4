// Timeline: maps music time to the one scene that draws the frame.
//
// Every frame it clears, loads the identity, sets the 90 degree perspective and
// switches the lights off, then calls the scene whose window holds music time
// with that scene's local time and lays the window's fades, inversion flashes
// and field-of-view changes over it. The choice of window, the local time and
// every overlay's alpha come from timeline_frame, a pure function.
#pragma once

#include <cstdint>

enum class SceneId {
    opening_titles, city_first, credits, city_second, office, lattice, tunnel, objects,
    closing_titles, end
};

// What one frame at music time t draws: computed without touching GL.
struct TimelineFrame {
    SceneId scene = SceneId::end;
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

// Written by run_timeline every frame; the status line shows it.
extern int32_t credits_local_time;

// Draws the frame for the current music time. Returns 1 while the show runs,
// 0 once music time has passed 160704 (the frame is then left cleared).
int run_timeline();

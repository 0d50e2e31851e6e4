// The scene dispatcher: one window of music time per scene, with the fades,
// inversion flashes and field-of-view change laid between them.
#include "timeline/timeline.h"

#include <GL/gl.h>

#include "render/render.h"
#include "scenes/city/city.h"
#include "scenes/credits/credits.h"
#include "scenes/lattice/lattice.h"
#include "scenes/objects/objects.h"
#include "scenes/office/office.h"
#include "scenes/titles/titles.h"
#include "scenes/tunnel/tunnel.h"
#include "shell/shell.h"

int32_t credits_local_time = 0;

namespace {

// Last millisecond of each scene window; windows are inclusive and tested in
// ascending order, so each one starts right after the previous one ends.
constexpr int32_t opening_titles_last = 21386;
constexpr int32_t city_first_last = 32046;
constexpr int32_t credits_last = 53358;
constexpr int32_t city_second_last = 64002;
constexpr int32_t office_last = 87996;
constexpr int32_t lattice_last = 109311;
constexpr int32_t tunnel_last = 130624;
constexpr int32_t objects_last = 151940;
constexpr int32_t closing_titles_last = 160704;

// Each fade's slope is the reciprocal of its length in ms, kept as the 32-bit
// float the show was timed with.
constexpr float city_fade_out_slope = 0.00095602294f;     // 1/1046
constexpr float credits_fade_in_slope = 0.0033333334f;    // 1/300
constexpr float credits_fade_out_slope = 0.0027855153f;   // 1/359
constexpr float city_second_fade_slope = 0.0029325513f;   // 1/341
constexpr float city_second_zoom_slope = 0.0004995005f;   // 1/2002
constexpr float tunnel_fade_out_slope = 0.00018751172f;   // 1/5333
constexpr float objects_fade_out_slope = 0.0003400204f;   // 1/2941

TimelineFrame opening_titles_frame(int32_t t) {
    TimelineFrame f;
    f.scene = SceneId::opening_titles;
    f.local_time = t;
    f.title_phase = t % 1333;
    return f;
}

TimelineFrame city_first_frame(int32_t t) {
    TimelineFrame f;
    f.scene = SceneId::city_first;
    f.local_time = (t - 21387) % 10659;
    // The test starts at 30000 but the alpha stays negative, so unseen, until 31000.
    if (t >= 30000) {
        f.black_fade = true;
        f.black_alpha = (t - 31000) * city_fade_out_slope;
    }
    return f;
}

TimelineFrame credits_frame(int32_t t) {
    TimelineFrame f;
    f.scene = SceneId::credits;
    f.local_time = credits_local_time_for(t);
    // 32046 belongs to the city, so the fade-in starts at 1 - 1/300.
    if (t <= 32346) {
        f.black_fade = true;
        f.black_alpha = 1 - (t - 32046) * credits_fade_in_slope;
    }
    if (t >= 53000) {
        f.white_fade = true;
        f.white_alpha = (t - 53000) * credits_fade_out_slope;
    }
    return f;
}

TimelineFrame city_second_frame(int32_t t) {
    TimelineFrame f;
    f.scene = SceneId::city_second;
    // The second visit continues the first one's flight from 10659 on.
    f.local_time = (t - 53359) % 10643 + 10659;
    if (t <= 53700) {
        f.white_fade = true;
        f.white_alpha = (t - 53359) * city_second_fade_slope;
    }
    if (t >= 62000) {
        f.narrow_fov = true;
        f.fov = (1 - (t - 62000) * city_second_zoom_slope) * 60 + 30;
    }
    return f;
}

TimelineFrame tunnel_frame(int32_t t) {
    TimelineFrame f;
    f.scene = SceneId::tunnel;
    f.local_time = (t - 109312) % 21312;
    f.invert_flash = (t - 109312) % 2666 < 166;
    if (f.local_time >= 15999) {
        f.white_fade = true;
        f.white_alpha = (f.local_time - 15999) * tunnel_fade_out_slope;
    }
    return f;
}

TimelineFrame objects_frame(int32_t t) {
    TimelineFrame f;
    f.scene = SceneId::objects;
    f.local_time = (t - 130624) % 21317;
    if (t >= 149000) {
        f.black_fade = true;
        f.black_alpha = (t - 149000) * objects_fade_out_slope;
    }
    return f;
}

TimelineFrame plain_frame(SceneId scene, int32_t local_time) {
    TimelineFrame f;
    f.scene = scene;
    f.local_time = local_time;
    return f;
}

// Lighting is switched off around every overlay so the quad keeps its flat colour.
void unlit_fade(float r, float g, float b, float alpha) {
    glDisable(GL_LIGHTING);
    fade_overlay(r, g, b, alpha, 90);
    glEnable(GL_LIGHTING);
}

void draw_opening_titles_window(int32_t t, const TimelineFrame& f) {
    begin_capture(90);
    draw_opening_titles(f.title_phase, t);
    compose_capture(0, 'h', 90);
}

void draw_city_first_window(const TimelineFrame& f) {
    apply_light_preset('v');
    set_perspective_short(90);
    draw_city(static_cast<uint32_t>(f.local_time));
    if (f.black_fade) {
        glDisable(GL_LIGHTING);
        fade_overlay(0, 0, 0, f.black_alpha, 90);
    }
}

void draw_credits_window(const TimelineFrame& f) {
    draw_credits(credits_local_time);
    if (f.black_fade) fade_overlay(0, 0, 0, f.black_alpha, 90);
    if (f.white_fade) fade_overlay(1, 1, 1, f.white_alpha, 90);
}

void draw_city_second_window(const TimelineFrame& f) {
    apply_light_preset('v');
    glDisable(GL_LIGHTING);
    // The white quad goes in before the city at depth 0, so until 53700 every
    // city fragment fails the depth test and the frame is a rising grey.
    if (f.white_fade) fade_overlay(1, 1, 1, f.white_alpha, 90);
    glEnable(GL_LIGHTING);
    if (f.narrow_fov) set_perspective(f.fov);
    draw_city(static_cast<uint32_t>(f.local_time));
}

void draw_tunnel_window(const TimelineFrame& f) {
    apply_light_preset('b');
    tunnel_scene(f.local_time);
    if (f.invert_flash) {
        glDisable(GL_LIGHTING);
        invert_screen(90);
        glEnable(GL_LIGHTING);
    }
    if (f.white_fade) unlit_fade(1, 1, 1, f.white_alpha);
}

void draw_objects_window(const TimelineFrame& f) {
    apply_light_preset('o');
    object_scene(f.local_time);
    if (f.black_fade) unlit_fade(0, 0, 0, f.black_alpha);
}

void start_frame(int32_t t) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    set_perspective(90);
    credits_local_time = credits_local_time_for(t);
    // GL_LIGHT3 is left alone: only the object room's preset touches it.
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHT1);
    glDisable(GL_LIGHT2);
    glDisable(GL_LIGHTING);
}

}  // namespace

int32_t credits_local_time_for(int32_t t) { return (t - 32046) % 21332; }

TimelineFrame timeline_frame(int32_t t) {
    if (t <= opening_titles_last) return opening_titles_frame(t);
    if (t <= city_first_last) return city_first_frame(t);
    if (t <= credits_last) return credits_frame(t);
    if (t <= city_second_last) return city_second_frame(t);
    if (t <= office_last) return plain_frame(SceneId::office, (t - 64002) % 23994);
    if (t <= lattice_last) return plain_frame(SceneId::lattice, t);
    if (t <= tunnel_last) return tunnel_frame(t);
    if (t <= objects_last) return objects_frame(t);
    if (t <= closing_titles_last) return plain_frame(SceneId::closing_titles, (t - 151941) % 8764);
    return plain_frame(SceneId::end, 0);
}

int run_timeline() {
    const int32_t t = music_time;
    start_frame(t);
    const TimelineFrame f = timeline_frame(t);
    switch (f.scene) {
        case SceneId::opening_titles: draw_opening_titles_window(t, f); break;
        case SceneId::city_first: draw_city_first_window(f); break;
        case SceneId::credits: draw_credits_window(f); break;
        case SceneId::city_second: draw_city_second_window(f); break;
        case SceneId::office: draw_office_scene(f.local_time); break;
        case SceneId::lattice: cube_lattice_scene(f.local_time); break;
        case SceneId::tunnel: draw_tunnel_window(f); break;
        case SceneId::objects: draw_objects_window(f); break;
        case SceneId::closing_titles: draw_closing_titles(f.local_time); break;
        case SceneId::end: return 0;  // the cleared frame is what gets presented
    }
    return 1;
}

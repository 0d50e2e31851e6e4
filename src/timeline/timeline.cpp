// The scene dispatcher: one table of scene windows, with the fades, inversion
// flashes and field-of-view change laid between them as data.
#include "timeline/timeline.h"

#include <GL/gl.h>

#include <climits>

#include "render/render.h"
#include "resources/resources.h"
#include "scenes/city/city.h"
#include "scenes/credits/credits.h"
#include "scenes/lattice/lattice.h"
#include "scenes/objects/objects.h"
#include "scenes/office/office.h"
#include "scenes/titles/titles.h"
#include "scenes/tunnel/tunnel.h"
#include "timeline/cues.h"

int32_t music_time = 0;
int32_t credits_local_time = 0;

namespace {

constexpr int32_t open_start = INT32_MIN;
constexpr int32_t open_end = INT32_MAX;

}  // namespace

// The lattice counts its beat itself, from music time 0: the cue table's.
static_assert(lattice_beat_ms == beat_ms);

namespace {

// The row w with the times of the cue table's window i.
constexpr SceneWindow timed(SceneWindow w, int i) {
    const CueWindow& c = cue_windows[i];
    w.first = c.first;
    w.last = c.last;
    w.origin = c.origin;
    w.period = c.period;
    w.offset = c.offset;
    return w;
}

}  // namespace

// Windows are inclusive and tested in ascending order; each starts right after
// the previous one ends. At the last millisecond of some windows the remainder
// wraps: the city gets 0 at 32046, the office at 87996, the tunnel at 130624.
// Times come from the cue table the soundtrack is laid on; the slopes are the
// 32-bit reciprocals of the fades' lengths.
const SceneWindow scene_windows[scene_window_count] = {
    // The cards flash on the off-beat through the soft zoom blur.
    timed({.scene = SceneId::opening_titles, .name = "titles", .title = "Opening titles",
     .beat = beat_ms, .capture_mode = 'h', .still_at = 600, .still_from = 600}, 0),
    // The fade test starts at 30000, but the alpha stays negative, so unseen,
    // until 31000: black from 31000 to 32046 (1/1046).
    timed({.scene = SceneId::city_first, .name = "city1", .title = "Town flight",
     .light_preset = 'v', .projection = Projection::short_90,
     .overlay_lighting = OverlayLighting::off, .overlay_count = 1,
     .overlays = {{OverlayKind::black, 0, 0, city_fade_test_from, open_end, city_to_black.from, 0.00095602294f,
                   false}},
     .still_at = 25000, .still_from = 25000}, 1),
    // In from black over 300 ms (32046 belongs to the city, so the first alpha
    // is 1 - 1/300), out to white over 359 ms. The images move a step a drawn
    // frame, so their still plays the scene from its start.
    timed({.scene = SceneId::credits, .name = "credits", .title = "Credits", .overlay_count = 2,
     .overlays = {{OverlayKind::black, 0, 0, open_start, credits_from_black.to, credits_from_black.from,
                   0.0033333334f, true},
                  {OverlayKind::white, 0, 0, credits_to_white.from, open_end, credits_to_white.from,
                   0.0027855153f, false}},
     .still_at = 38633, .still_from = 32047}, 2),
    // The second visit continues the first one's flight from 10659 on. The
    // white quad goes in before the city at depth 0, so until 53700 every city
    // fragment fails the depth test and the frame is a grey rising over 341 ms;
    // from 62000 the view narrows from 90 to 30 degrees over 2002 ms.
    timed({.scene = SceneId::city_second, .name = "city2", .title = "Town flight, continued",
     .light_preset = 'v', .projection = Projection::narrowing, .narrow_from = town_narrowing.from,
     .narrow_slope = 0.0004995005f, .overlays_first = true, .overlay_lighting = OverlayLighting::off_then_on,
     .overlay_count = 1,
     .overlays = {{OverlayKind::white, 0, 0, open_start, town_grey.to, town_grey.from, 0.0029325513f, false}},
     .still_at = 60000, .still_from = 60000}, 3),
    timed({.scene = SceneId::office, .name = "office", .title = "Office greetings", .light_preset = 'i',
     .still_at = 79003, .still_from = 79003}, 4),
    // The lattice keeps its beat from the start of the music, so it gets t itself.
    timed({.scene = SceneId::lattice, .name = "lattice", .title = "Cube lattice", .still_at = 88000,
     .still_from = 88000}, 5),
    // A 166 ms negative every 2666 ms from 109312, and out to white over 5333 ms
    // from local 15999.
    timed({.scene = SceneId::tunnel, .name = "tunnel", .title = "Tunnel", .light_preset = 'b',
     .overlay_lighting = OverlayLighting::off_then_on, .overlay_count = 2,
     .overlays = {{OverlayKind::inversion, flash_origin, flash_period, open_start, flash_length - 1, 0, 0, false},
                  {OverlayKind::white, cue_windows[6].origin, cue_windows[6].period, tunnel_to_white.from,
                   open_end, tunnel_to_white.from, 0.00018751172f, false}},
     .still_at = 111312, .still_from = 111312}, 6),
    // Out to black over 2941 ms from 149000.
    timed({.scene = SceneId::objects, .name = "objects", .title = "Object room", .light_preset = 'o',
     .overlay_lighting = OverlayLighting::off_then_on, .overlay_count = 1,
     .overlays = {{OverlayKind::black, 0, 0, objects_to_black.from, open_end, objects_to_black.from,
                   0.0003400204f, false}},
     .still_at = 134625, .still_from = 134625}, 7),
    timed({.scene = SceneId::closing_titles, .name = "closing", .title = "Closing letters",
     .capture_mode = 'g', .still_at = 152300, .still_from = 152300}, 8),
};

namespace {

const SceneWindow& credits_window = scene_windows[static_cast<int>(SceneId::credits)];

int32_t window_local_time(const SceneWindow& w, int32_t t) {
    if (w.period == 0) return t - w.origin + w.offset;
    return (t - w.origin) % w.period + w.offset;
}

// The overlay's clock at t, and whether it shows; *alpha its alpha when it does.
bool overlay_shows(const Overlay& o, int32_t t, float* alpha) {
    int32_t x = o.period == 0 ? t : (t - o.origin) % o.period;
    if (x < o.first || x > o.last) return false;
    const float rising = (x - o.zero) * o.slope;
    *alpha = o.falling ? 1 - rising : rising;
    return true;
}

void add_overlay(const Overlay& o, int32_t t, TimelineFrame& f) {
    float alpha = 0;
    if (!overlay_shows(o, t, &alpha)) return;
    switch (o.kind) {
    case OverlayKind::black:
        f.black_fade = true;
        f.black_alpha = alpha;
        break;
    case OverlayKind::white:
        f.white_fade = true;
        f.white_alpha = alpha;
        break;
    case OverlayKind::inversion: f.invert_flash = true; break;
    }
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

void draw_scene(const TimelineFrame& f) {
    switch (f.scene) {
    case SceneId::opening_titles: draw_opening_titles(f.title_phase, f.local_time); break;
    case SceneId::city_first:
    case SceneId::city_second: draw_city(static_cast<uint32_t>(f.local_time)); break;
    case SceneId::credits: draw_credits(f.local_time, f.music_time); break;
    case SceneId::office: draw_office_scene(f.local_time); break;
    case SceneId::lattice: draw_lattice(f.local_time); break;
    case SceneId::tunnel: draw_tunnel(f.local_time); break;
    case SceneId::objects: draw_objects(f.local_time, f.music_time); break;
    case SceneId::closing_titles: draw_closing_titles(f.local_time); break;
    case SceneId::end: break;
    }
}

// In the window's order: the flash, then the black fade, then the white fade.
void draw_overlays(const TimelineFrame& f) {
    const OverlayLighting lighting = f.window->overlay_lighting;
    if (lighting != OverlayLighting::as_is) glDisable(GL_LIGHTING);
    if (f.invert_flash) invert_screen(90);
    if (f.black_fade) fade_overlay(0, 0, 0, f.black_alpha, 90);
    if (f.white_fade) fade_overlay(1, 1, 1, f.white_alpha, 90);
    if (lighting == OverlayLighting::off_then_on) glEnable(GL_LIGHTING);
}

bool has_overlay(const TimelineFrame& f) { return f.invert_flash || f.black_fade || f.white_fade; }

}  // namespace

int32_t credits_local_time_for(int32_t t) { return window_local_time(credits_window, t); }

TimelineFrame timeline_frame(int32_t t) {
    TimelineFrame f;
    f.music_time = t;
    for (const SceneWindow& w : scene_windows) {
        if (t > w.last) continue;
        f.scene = w.scene;
        f.window = &w;
        f.local_time = window_local_time(w, t);
        if (w.beat != 0) f.title_phase = t % w.beat;
        for (int i = 0; i < w.overlay_count; ++i) add_overlay(w.overlays[i], t, f);
        if (w.projection == Projection::narrowing && t >= w.narrow_from) {
            f.narrow_fov = true;
            f.fov = (1 - (t - w.narrow_from) * w.narrow_slope) * 60 + 30;
        }
        return f;
    }
    return f;
}

void init_scenes() {
    init_titles();
    init_city();
    init_credits();
    init_office();
    init_lattice();
    init_tunnel();
    init_objects();
}

void reset_scenes() {
    reset_city();
    reset_credits();
    reset_office();
    reset_tunnel();
    reset_objects();
}

int find_scene_window(const std::string& name) {
    for (int i = 0; i < scene_window_count; ++i)
        if (name == scene_windows[i].name) return i;
    return -1;
}

int run_timeline() {
    const int32_t t = music_time;
    start_frame(t);
    const TimelineFrame f = timeline_frame(t);
    // The cleared frame is what gets presented at the end.
    if (f.scene == SceneId::end) return 0;
    const SceneWindow& w = *f.window;

    if (w.light_preset != 0) apply_light_preset(w.light_preset);
    if (w.projection == Projection::short_90) set_perspective_short(90);
    // The second city visit switches lighting off and on around its white quad
    // whether or not the quad shows that frame.
    if (w.overlays_first) {
        draw_overlays(f);
    }
    if (f.narrow_fov) set_perspective(f.fov);
    if (w.capture_mode != 0) begin_capture(90);
    draw_scene(f);
    if (w.capture_mode != 0) compose_capture(0, w.capture_mode, 90);
    if (!w.overlays_first && has_overlay(f)) draw_overlays(f);
    return 1;
}

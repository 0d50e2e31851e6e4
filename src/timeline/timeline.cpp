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

int32_t credits_local_time = 0;

namespace {

constexpr int32_t open_start = INT32_MIN;
constexpr int32_t open_end = INT32_MAX;

constexpr Overlay no_overlay = {OverlayKind::black, 0, 0, 0, 0, 0, 0, false};

}  // namespace

// Windows are inclusive and tested in ascending order; each starts right after
// the previous one ends. At the last millisecond of some windows the remainder
// wraps: the city gets 0 at 32046, the office at 87996, the tunnel at 130624.
const SceneWindow scene_windows[scene_window_count] = {
    // The cards flash on the off-beat through the soft zoom blur.
    {SceneId::opening_titles, 0, 21386, 0, 0, 0, 1333, 0, Projection::standard, 0, 0, 'h', false,
     OverlayLighting::as_is, 0, {no_overlay, no_overlay}},
    // The fade test starts at 30000, but the alpha stays negative, so unseen,
    // until 31000: black from 31000 to 32046 (1/1046).
    {SceneId::city_first, 21387, 32046, 21387, 10659, 0, 0, 'v', Projection::short_90, 0, 0, 0, false,
     OverlayLighting::off, 1,
     {{OverlayKind::black, 0, 0, 30000, open_end, 31000, 0.00095602294f, false}, no_overlay}},
    // In from black over 300 ms (32046 belongs to the city, so the first alpha
    // is 1 - 1/300), out to white over 359 ms.
    {SceneId::credits, 32047, 53358, 32046, 21332, 0, 0, 0, Projection::standard, 0, 0, 0, false,
     OverlayLighting::as_is, 2,
     {{OverlayKind::black, 0, 0, open_start, 32346, 32046, 0.0033333334f, true},
      {OverlayKind::white, 0, 0, 53000, open_end, 53000, 0.0027855153f, false}}},
    // The second visit continues the first one's flight from 10659 on. The
    // white quad goes in before the city at depth 0, so until 53700 every city
    // fragment fails the depth test and the frame is a grey rising over 341 ms;
    // from 62000 the view narrows from 90 to 30 degrees over 2002 ms.
    {SceneId::city_second, 53359, 64002, 53359, 10643, 10659, 0, 'v', Projection::narrowing, 62000,
     0.0004995005f, 0, true, OverlayLighting::off_then_on, 1,
     {{OverlayKind::white, 0, 0, open_start, 53700, 53359, 0.0029325513f, false}, no_overlay}},
    {SceneId::office, 64003, 87996, 64002, 23994, 0, 0, 0, Projection::standard, 0, 0, 0, false,
     OverlayLighting::as_is, 0, {no_overlay, no_overlay}},
    // The lattice keeps its beat from the start of the music, so it gets t itself.
    {SceneId::lattice, 87997, 109311, 0, 0, 0, 0, 0, Projection::standard, 0, 0, 0, false,
     OverlayLighting::as_is, 0, {no_overlay, no_overlay}},
    // A 166 ms negative every 2666 ms from 109312, and out to white over 5333 ms
    // from local 15999.
    {SceneId::tunnel, 109312, 130624, 109312, 21312, 0, 0, 'b', Projection::standard, 0, 0, 0, false,
     OverlayLighting::off_then_on, 2,
     {{OverlayKind::inversion, 109312, 2666, open_start, 165, 0, 0, false},
      {OverlayKind::white, 109312, 21312, 15999, open_end, 15999, 0.00018751172f, false}}},
    // Out to black over 2941 ms from 149000.
    {SceneId::objects, 130625, 151940, 130624, 21317, 0, 0, 'o', Projection::standard, 0, 0, 0, false,
     OverlayLighting::off_then_on, 1,
     {{OverlayKind::black, 0, 0, 149000, open_end, 149000, 0.0003400204f, false}, no_overlay}},
    {SceneId::closing_titles, 151941, 160704, 151941, 8764, 0, 0, 0, Projection::standard, 0, 0, 0, false,
     OverlayLighting::as_is, 0, {no_overlay, no_overlay}},
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
    case SceneId::credits: draw_credits(f.local_time); break;
    case SceneId::office: draw_office_scene(f.local_time); break;
    case SceneId::lattice: cube_lattice_scene(f.local_time); break;
    case SceneId::tunnel: tunnel_scene(f.local_time); break;
    case SceneId::objects: object_scene(f.local_time); break;
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

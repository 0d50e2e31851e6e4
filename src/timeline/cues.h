// The show's cues: when each scene starts and ends, the beats the pictures
// flash on and the fades between scenes, in music time (ms). One table for
// the timeline, the soundtrack generator and the tests; header only and free
// of GL, so the generator lays its bars and accents on it without linking
// anything of the program.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

// A scene window, inclusive, and how the scene's local time is formed from
// music time t: (t - origin) rem period + offset; period 0: t - origin + offset.
struct CueWindow {
    int32_t first, last;
    int32_t origin, period, offset;
};

// In show order: opening titles, city, credits, city again, office, cube
// lattice, tunnel, object room, closing letters.
inline constexpr int cue_window_count = 9;
inline constexpr CueWindow cue_windows[cue_window_count] = {
    {0, 21386, 0, 0, 0},
    {21387, 32046, 21387, 10659, 0},
    {32047, 53358, 32046, 21332, 0},
    {53359, 64002, 53359, 10643, 10659},
    {64003, 87996, 64002, 23994, 0},
    {87997, 109311, 0, 0, 0},
    {109312, 130624, 109312, 21312, 0},
    {130625, 151940, 130624, 21317, 0},
    {151941, 160704, 151941, 8764, 0},
};
inline constexpr int32_t show_last_ms = 160704;  // the last drawn millisecond

// The beat the title cards and the lattice follow, counted from music time 0:
// a card shows, and the lattice blurs, from 165 to 665 ms into every beat.
inline constexpr int32_t beat_ms = 1333;
inline constexpr int32_t beat_flash_first = 165;
inline constexpr int32_t beat_flash_last = 665;

// The tunnel's inversion flash: 166 ms every 2666 ms from its first frame.
inline constexpr int32_t flash_origin = 109312;
inline constexpr int32_t flash_period = 2666;
inline constexpr int32_t flash_length = 166;

// A fade: its overlay's alpha is 0 at from and 1 at to (or the other way
// round for a fade in).
struct CueFade {
    int32_t from, to;
};
inline constexpr int32_t city_fade_test_from = 30000;  // the alpha stays negative until 31000
inline constexpr CueFade city_to_black{31000, 32046};
inline constexpr CueFade credits_from_black{32046, 32346};
inline constexpr CueFade credits_to_white{53000, 53359};
// The white quad over the second city visit hides the town behind a grey
// rising to white until it stops at 53700; the town appears at 53701.
inline constexpr CueFade town_grey{53359, 53700};
inline constexpr int32_t town_appears = 53701;
inline constexpr CueFade town_narrowing{62000, 64002};  // the field of view, 90 to 30 degrees
// In the tunnel's local time: out to white from 15999 over 5333 ms.
inline constexpr CueFade tunnel_to_white{15999, 21332};
inline constexpr CueFade objects_to_black{149000, 151941};

// The moments the picture changes at once, which the music accents.
enum class CueKind { card_flash, blur_start, tunnel_flash, scene_cut, town_appears };

struct Cue {
    int32_t ms;
    CueKind kind;
};

// Every accent cue in time order: each card flash (the opening titles' beats),
// each of the lattice's blur starts, each tunnel flash, every scene cut and
// the town out of white. The tunnel's first flash is also its cut.
inline std::vector<Cue> show_accents() {
    std::vector<Cue> cues;
    const CueWindow& titles = cue_windows[0];
    const CueWindow& lattice = cue_windows[5];
    const CueWindow& tunnel = cue_windows[6];
    for (int32_t t = beat_flash_first; t <= lattice.last; t += beat_ms) {
        if (t <= titles.last) cues.push_back({t, CueKind::card_flash});
        if (t >= lattice.first) cues.push_back({t, CueKind::blur_start});
    }
    for (int32_t t = flash_origin; t <= tunnel.last; t += flash_period) cues.push_back({t, CueKind::tunnel_flash});
    for (int i = 1; i < cue_window_count; ++i) cues.push_back({cue_windows[i].first, CueKind::scene_cut});
    cues.push_back({town_appears, CueKind::town_appears});
    std::stable_sort(cues.begin(), cues.end(), [](const Cue& a, const Cue& b) { return a.ms < b.ms; });
    return cues;
}

// The piece: about 180 BPM in 4/4 in D minor, 120 bars and a silence. Each
// section is one scene of the show, and the tempo map lays its first downbeat
// on the scene's cut; the accents are struck on the picture's own moments from
// the cue table: a stab where each title card lights up, a hit and a chord
// gated to the blur at each of the lattice's blur starts, a crash and a boom
// with each tunnel flash, a hit at every cut and where the town comes out of
// white. Swells and fills end 70 ms before the downbeat they lead into, so
// every drop lands on a moment of silence.
#include "soundtrack_score.h"

#include <cmath>
#include <cstring>

#include "soundtrack.h"
#include "timeline/cues.h"

namespace {

constexpr int64_t step_samples = bar_samples / 16;  // one nominal sixteenth: 83 1/3 ms

// First bars of the sections, one per scene window of the show.
constexpr int titles_bar = 0;       // opening titles, 16 bars
constexpr int city_bar = 16;        // city flight, 8 bars
constexpr int credits_bar = 24;     // credits, 16 bars
constexpr int city_again_bar = 40;  // city flight continued, 8 bars
constexpr int office_bar = 48;      // office greetings, 18 bars
constexpr int lattice_bar = 66;     // cube lattice, 16 bars
constexpr int tunnel_bar = 82;      // tunnel, 16 bars
constexpr int objects_bar = 98;     // object room, 16 bars
constexpr int closing_bar = 114;    // closing letters: 6 bars, the last chord dies before the end
constexpr int section_bars[tempo_section_count] = {16, 8, 16, 8, 18, 16, 16, 16, 8};
static_assert(tempo_section_count == cue_window_count);

struct TempoTable {
    TempoSection sections[tempo_section_count];
};

constexpr TempoTable lay_tempo_map() {
    TempoTable table{};
    int bar = 0;
    for (int i = 0; i < tempo_section_count; ++i) {
        const int32_t start = cue_windows[i].first;
        const bool own_beat = i == 0 || i + 1 == tempo_section_count;
        const double bar_ms =
            own_beat ? beat_ms : static_cast<double>(cue_windows[i + 1].first - start) / section_bars[i];
        table.sections[i] = {bar, section_bars[i], start, bar_ms};
        bar += section_bars[i];
    }
    return table;
}

constexpr TempoTable tempo_table = lay_tempo_map();

int64_t at(int bar, double step) { return bar_sample(bar + step / 16.0); }

int64_t steps(double count) { return static_cast<int64_t>(std::llround(count * step_samples)); }

int64_t samples_of(double seconds) {
    return static_cast<int64_t>(std::llround(seconds * soundtrack_rate));
}

double seconds_of(int32_t ms) { return ms / 1000.0; }

// The samples of the cues of one kind, in time order.
std::vector<int64_t> cues_of(CueKind kind) {
    std::vector<int64_t> out;
    for (const Cue& c : show_accents())
        if (c.kind == kind) out.push_back(cue_sample(c.ms));
    return out;
}

// The gap left before a drop.
const int64_t breath = samples_of(0.070);

uint32_t seed_at(int64_t sample, uint32_t kind) {
    return static_cast<uint32_t>(sample) * 2654435761u ^ (kind * 0x85EBCA6Bu);
}

// A bass note (octave 1 or 2) and four chord tones around middle C.
struct Chord {
    int bass;
    int tones[4];
};

constexpr Chord chord_dm{38, {57, 62, 65, 69}};  // A3 D4 F4 A4
constexpr Chord chord_bb{34, {58, 62, 65, 69}};  // Bb3 D4 F4 A4: Bbmaj7
constexpr Chord chord_f{41, {57, 60, 65, 69}};   // A3 C4 F4 A4
constexpr Chord chord_c{36, {55, 60, 64, 67}};   // G3 C4 E4 G4
constexpr Chord chord_gm{43, {58, 62, 67, 70}};  // Bb3 D4 G4 Bb4
constexpr Chord chord_a{33, {57, 61, 64, 69}};   // A3 C#4 E4 A4: the dominant

constexpr const Chord* theme_progression[] = {&chord_dm, &chord_bb, &chord_f, &chord_c};
constexpr const Chord* credits_progression[] = {&chord_gm, &chord_bb, &chord_dm, &chord_c};
constexpr const Chord* lattice_progression[] = {&chord_dm, &chord_dm, &chord_bb, &chord_c};
constexpr const Chord* tunnel_progression[] = {&chord_bb, &chord_c, &chord_dm, &chord_dm,
                                               &chord_gm, &chord_bb, &chord_c, &chord_a};
constexpr const Chord* objects_progression[] = {&chord_gm, &chord_dm, &chord_bb, &chord_a,
                                                &chord_gm, &chord_dm, &chord_bb, &chord_c};
constexpr const Chord* closing_progression[] = {&chord_bb, &chord_f, &chord_c, &chord_dm,
                                                &chord_bb, &chord_dm};

template <size_t N>
const Chord& chord_of(const Chord* const (&progression)[N], int bar_in_section) {
    return *progression[bar_in_section % N];
}

// Drum patterns, one character per sixteenth: X loud, x medium, o soft, . rest.
struct Groove {
    const char* kick;
    const char* snare;
    const char* clap;
    const char* hat;
    const char* open_hat;
    double duck;  // how far each kick pushes the melodic buses down
};

constexpr Groove city_groove{
    "X...X...X...X...",
    "................",
    "....X.......X...",
    ".o.o.o.o.o.o.o.o",
    "..x...x...x...x.",
    0.55};
constexpr Groove credits_intro_groove{
    "X.........x.....",
    "................",
    "................",
    "x.o.x.o.x.o.x.o.",
    "................",
    0.3};
constexpr Groove credits_groove{
    "X.........x.....",
    "........X.......",
    "................",
    "x.o.x.o.x.o.x.o.",
    "..............o.",
    0.3};
constexpr Groove credits_build_groove{
    "X.........x..x..",
    "........X......o",
    "................",
    "xoooxoooxoooxooo",
    "..............x.",
    0.35};
constexpr Groove office_groove{
    "X...X...X...X...",
    "...........o..o.",
    "....X.......X...",
    "xo.oxo.oxo.oxo.o",
    "..x...x...x...x.",
    0.5};
// The lattice's four blocks of four bars, each with its own beat. None plays
// on the third sixteenth, just after the blur's accent.
constexpr Groove lattice_grooves[4] = {
    {"X...X...X...X...",
     "................",
     "................",
     "o...o.o.o...o.o.",
     "................",
     0.55},
    {"X...X...X...X...",
     "................",
     "....X.......X...",
     "oo.xoooxoooxooox",
     "................",
     0.6},
    {"X.........X.....",
     "........X.......",
     "................",
     "x...x...x...x...",
     "......o.......o.",
     0.4},
    {"X...X...X..xX...",
     "...............o",
     "....X.......X...",
     "xo.oxoooxoooxooo",
     "..........x...x.",
     0.65},
};
constexpr Groove tunnel_groove{
    "X...X...X...X...",
    "....X.......X...",
    "................",
    "xoxoxoxoxoxoxoxo",
    "..x...x...x...x.",
    0.5};
constexpr Groove objects_groove{
    "X......x..X.....",
    "....X.......X...",
    "................",
    "x.o.x.o.x.o.x.o.",
    "..............x.",
    0.35};

// Bass lines, one character per sixteenth: r root, o octave, f fifth,
// - holds the note before, . rest.
constexpr const char* titles_bass = "..r...r...r...r.";
constexpr const char* city_bass = ".rro.rro.rro.rro";
constexpr const char* credits_bass = "r-----..r---f---";
constexpr const char* office_bass = "..o-..o-..o-..or";
constexpr const char* lattice_bass = ".ror.orf.ror.rfo";
constexpr const char* tunnel_bass = ".rro.rro.rro.rfo";
constexpr const char* objects_bass = "r-----.rr---o-..";
constexpr const char* closing_bass = "r---------------";

// Arpeggios, one character per sixteenth: 0-3 the chord tones upwards, 4-7
// the same an octave higher, . rest.
constexpr const char* titles_arp = "..0.1.2.3.2.1.2.";
constexpr const char* city_arp = "0124012401240124";
constexpr const char* credits_arp = "0.1.2.4.2.1.0.2.";
constexpr const char* office_arp = "0.2.1.3.2.4.3.1.";
constexpr const char* tunnel_arp = "0123421301234213";
constexpr const char* objects_arp = "0.2.1.3.2.4.3.1.";
constexpr const char* closing_arp = "0...2...1...4...";

// Melodies: start and length in sixteenths from the phrase's first bar, MIDI pitch.
struct MelodyNote {
    int step;
    int length;
    int pitch;
};

// The main theme, eight bars over the theme progression (Dm Bb F C, twice).
constexpr MelodyNote main_theme[] = {
    {0, 4, 69},   {4, 4, 74},   {8, 2, 76},   {10, 6, 77},  // A4 D5 E5 F5
    {16, 4, 76},  {20, 4, 74},  {24, 8, 69},                // E5 D5 A4
    {32, 4, 72},  {36, 4, 74},  {40, 2, 72},  {42, 6, 69},  // C5 D5 C5 A4
    {48, 4, 67},  {52, 4, 69},  {56, 8, 64},                // G4 A4 E4
    {64, 4, 69},  {68, 4, 74},  {72, 2, 76},  {74, 6, 77},  // A4 D5 E5 F5
    {80, 4, 79},  {84, 4, 77},  {88, 8, 74},                // G5 F5 D5
    {96, 4, 72},  {100, 4, 77}, {104, 2, 76}, {106, 6, 72}, // C5 F5 E5 C5
    {112, 4, 76}, {116, 12, 74},                            // E5 D5
};

// The office's answer to it, busier and higher, over the same chords.
constexpr MelodyNote office_theme[] = {
    {0, 2, 81},   {2, 2, 77},   {4, 2, 74},   {6, 2, 77},  {8, 4, 81},   {12, 4, 79},
    {16, 2, 77},  {18, 2, 74},  {20, 2, 70},  {22, 2, 74}, {24, 8, 77},
    {32, 2, 76},  {34, 2, 72},  {36, 2, 69},  {38, 2, 72}, {40, 4, 76},  {44, 4, 77},
    {48, 4, 79},  {52, 4, 76},  {56, 8, 72},
    {64, 2, 81},  {66, 2, 77},  {68, 2, 74},  {70, 2, 77}, {72, 4, 81},  {76, 4, 82},
    {80, 2, 81},  {82, 2, 77},  {84, 2, 74},  {86, 2, 77}, {88, 8, 81},
    {96, 2, 79},  {98, 2, 76},  {100, 2, 72}, {102, 2, 76},{104, 4, 79}, {108, 4, 77},
    {112, 4, 74}, {116, 4, 76}, {120, 8, 74},
};

// Long notes over the tunnel's second eight bars (Gm Bb C A Bb C Dm Dm).
constexpr MelodyNote soaring_line[] = {
    {0, 16, 74}, {16, 16, 77}, {32, 8, 79}, {40, 8, 76},
    {48, 16, 76}, {64, 16, 77}, {80, 16, 79}, {96, 32, 81},
};

// The closing letters' slow farewell (Bb F C Dm Bb Dm).
constexpr MelodyNote closing_theme[] = {
    {0, 8, 77},  {8, 8, 74},  {16, 8, 72}, {24, 8, 69}, {32, 8, 67}, {40, 8, 72},
    {48, 16, 69}, {64, 8, 74}, {72, 8, 70}, {80, 16, 74},
};

constexpr Patch bass_patch{.saw = 0.6, .square = 0.4, .sub = 0.8, .cutoff_hz = 180.0,
                           .env_octaves = 2.5, .env_decay_s = 0.08, .resonance = 1.1,
                           .key_track = 0.5, .attack_s = 0.002, .decay_s = 0.2,
                           .sustain = 0.75, .release_s = 0.03, .drive = 0.4};
constexpr Patch acid_patch{.saw = 1.0, .sub = 0.4, .cutoff_hz = 220.0, .env_octaves = 3.0,
                           .env_decay_s = 0.11, .resonance = 5.0, .key_track = 0.3,
                           .attack_s = 0.002, .decay_s = 0.15, .sustain = 0.6,
                           .release_s = 0.02, .drive = 0.7};
constexpr Patch pluck_patch{.saw = 0.7, .square = 0.3, .cutoff_hz = 350.0, .env_octaves = 4.0,
                            .env_decay_s = 0.09, .resonance = 1.2, .key_track = 0.5,
                            .attack_s = 0.001, .decay_s = 0.22, .sustain = 0.0,
                            .release_s = 0.05};
constexpr Patch stab_patch{.saw = 1.0, .unison = 2, .detune_cents = 12.0, .spread = 0.5,
                           .cutoff_hz = 600.0, .env_octaves = 3.5, .env_decay_s = 0.09,
                           .resonance = 1.0, .attack_s = 0.002, .decay_s = 0.2,
                           .sustain = 0.25, .release_s = 0.15};
constexpr Patch gate_patch{.saw = 1.0, .unison = 2, .detune_cents = 14.0, .spread = 0.6,
                           .cutoff_hz = 900.0, .env_octaves = 2.5, .env_decay_s = 0.15,
                           .resonance = 1.3, .attack_s = 0.002, .decay_s = 0.3,
                           .sustain = 0.7, .release_s = 0.02};
constexpr Patch organ_patch{.saw = 0.3, .square = 0.5, .sine = 0.6, .cutoff_hz = 1800.0,
                            .env_octaves = 1.0, .env_decay_s = 0.05, .resonance = 0.9,
                            .attack_s = 0.002, .decay_s = 0.12, .sustain = 0.3,
                            .release_s = 0.05};
constexpr Patch lead_patch{.saw = 1.0, .unison = 2, .detune_cents = 10.0, .spread = 0.3,
                           .cutoff_hz = 1400.0, .env_octaves = 1.5, .env_decay_s = 0.25,
                           .resonance = 1.0, .key_track = 0.3, .attack_s = 0.012,
                           .decay_s = 0.5, .sustain = 0.7, .release_s = 0.15,
                           .vibrato_cents = 18.0, .vibrato_hz = 5.5, .vibrato_delay_s = 0.22,
                           .drive = 0.3};
constexpr Patch soar_patch{.saw = 0.7, .square = 0.4, .unison = 3, .detune_cents = 14.0,
                           .spread = 0.5, .cutoff_hz = 2200.0, .env_octaves = 0.5,
                           .env_decay_s = 0.6, .resonance = 0.9, .key_track = 0.2,
                           .attack_s = 0.08, .decay_s = 1.0, .sustain = 0.8,
                           .release_s = 0.4, .vibrato_cents = 22.0, .vibrato_hz = 5.0,
                           .vibrato_delay_s = 0.35};

Patch pad_patch(double cutoff_hz) {
    return Patch{.saw = 1.0, .unison = 3, .detune_cents = 16.0, .spread = 0.7,
                 .cutoff_hz = cutoff_hz, .resonance = 0.8, .attack_s = 0.25, .decay_s = 1.5,
                 .sustain = 0.85, .release_s = 0.7};
}

double velocity(const char* pattern, int step) {
    switch (pattern[step]) {
        case 'X': return 1.0;
        case 'x': return 0.7;
        case 'o': return 0.4;
        default: return 0.0;
    }
}

void kick(Arrangement* a, int64_t when, double gain, double duck) {
    play_kick(&a->drums, when, 0.55 * gain);
    if (duck > 0.0) a->ducks.push_back({when, duck});
}

// From first_step on; the downbeat's hits go at downbeat instead where it is
// given (a flash of the picture close to the bar's start).
void play_groove(Arrangement* a, int bar, const Groove& g, double level = 1.0, int first_step = 0,
                 int64_t downbeat = -1) {
    for (int s = first_step; s < 16; ++s) {
        const int64_t t = s == 0 && downbeat >= 0 ? downbeat : at(bar, s);
        if (double v = velocity(g.kick, s)) kick(a, t, v * level, g.duck * v);
        if (double v = velocity(g.snare, s)) play_snare(&a->snares, t, 0.6 * v * level, seed_at(t, 1));
        if (double v = velocity(g.clap, s)) play_clap(&a->snares, t, 0.55 * v * level, seed_at(t, 2));
        if (double v = velocity(g.hat, s))
            play_hat(&a->drums, t, 0.2 * v * level, 0.03, 0.25, seed_at(t, 3));
        if (double v = velocity(g.open_hat, s))
            play_hat(&a->drums, t, 0.14 * v * level, 0.11, -0.2, seed_at(t, 4));
    }
}

// Snare hits every `every` sixteenths from first to last (inclusive), growing louder.
void snare_roll(Arrangement* a, int bar, int first, int last, int every, double from, double to) {
    for (int s = first; s <= last; s += every) {
        const double x = last == first ? 1.0 : static_cast<double>(s - first) / (last - first);
        const int64_t t = at(bar, s);
        play_snare(&a->snares, t, 0.5 * (from + (to - from) * x), seed_at(t, 5));
    }
}

// A swell from the start of from_bar that stops just before to_bar's downbeat.
void riser_into(Arrangement* a, int64_t from, int to_bar, double gain) {
    const int64_t end = at(to_bar, 0) - breath;
    play_riser(&a->fx, from, end - from, gain, 350.0, 7000.0, seed_at(from, 6));
}

void impact_at(Arrangement* a, int64_t t, double crash_gain, double boom_gain) {
    play_crash(&a->fx, t, crash_gain, 2.2, seed_at(t, 7));
    if (boom_gain > 0.0) play_boom(&a->fx, t, boom_gain, seed_at(t, 8));
}

void impact(Arrangement* a, int bar, double crash_gain, double boom_gain) {
    impact_at(a, at(bar, 0), crash_gain, boom_gain);
}

void play_bass_line(Arrangement* a, int bar, const char* line, const Chord& chord,
                    const Patch& patch, double gain, int first_step = 0) {
    for (int s = first_step; s < 16; ++s) {
        int offset;
        switch (line[s]) {
            case 'r': offset = 0; break;
            case 'o': offset = 12; break;
            case 'f': offset = 7; break;
            default: continue;
        }
        int held = 1;
        while (s + held < 16 && line[s + held] == '-') ++held;
        const double gate = held == 1 ? 0.7 : 0.9;
        const int64_t t = at(bar, s);
        play_note(&a->bass, patch, t, steps(held * gate), chord.bass + offset, gain, 0.0,
                  seed_at(t, 9));
    }
}

void play_pad(Arrangement* a, int bar, double bars, const Chord& chord, double cutoff_hz,
              double gain) {
    const Patch patch = pad_patch(cutoff_hz);
    const double pans[] = {-0.35, 0.15, -0.15, 0.35};
    const int64_t t = at(bar, 0);
    for (int i = 0; i < 4; ++i)
        play_note(&a->pad, patch, t, steps(16.0 * bars), chord.tones[i], gain, pans[i],
                  seed_at(t, 10 + i));
}

int arp_pitch(const Chord& chord, char c) { return chord.tones[(c - '0') % 4] + 12 * ((c - '0') / 4); }

void play_arp(Arrangement* a, int bar, const char* pattern, const Chord& chord, int transpose,
              const Patch& patch, double gain, int first_step = 0) {
    for (int s = first_step; s < 16; ++s) {
        if (pattern[s] < '0' || pattern[s] > '7') continue;
        const int64_t t = at(bar, s);
        play_note(&a->lead, patch, t, steps(0.8), arp_pitch(chord, pattern[s]) + transpose, gain,
                  s % 2 == 0 ? -0.35 : 0.35, seed_at(t, 14));
    }
}

void play_bell_arp(Arrangement* a, int bar, const char* pattern, const Chord& chord,
                   int transpose, double gain, double seconds) {
    for (int s = 0; s < 16; ++s) {
        if (pattern[s] < '0' || pattern[s] > '7') continue;
        play_bell(&a->lead, at(bar, s), seconds, arp_pitch(chord, pattern[s]) + transpose, gain,
                  s % 4 == 0 ? 0.4 : -0.4, 3.5, 0.9);
    }
}

void play_stab(Arrangement* a, int64_t when, int64_t length, const Chord& chord, int transpose,
               const Patch& patch, double gain) {
    const double pans[] = {-0.3, -0.1, 0.1, 0.3};
    for (int i = 0; i < 4; ++i)
        play_note(&a->lead, patch, when, length, chord.tones[i] + transpose, gain, pans[i],
                  seed_at(when, 20 + i));
}

// The notes that start at or after from.
template <size_t N>
void play_melody(Arrangement* a, int bar, const MelodyNote (&notes)[N], const Patch& patch,
                 int transpose, double gain, int64_t from = 0) {
    for (const MelodyNote& n : notes) {
        const int64_t t = at(bar, n.step);
        if (t < from) continue;
        play_note(&a->lead, patch, t, steps(n.length * 0.92), n.pitch + transpose, gain, 0.05,
                  seed_at(t, 30));
    }
}

template <size_t N>
void play_bell_melody(Arrangement* a, int bar, const MelodyNote (&notes)[N], int transpose,
                      double gain) {
    for (const MelodyNote& n : notes) {
        const double seconds = n.length * step_samples / static_cast<double>(soundtrack_rate) + 0.6;
        play_bell(&a->lead, at(bar, n.step), seconds, n.pitch + transpose, gain, -0.1, 2.0, 1.4);
    }
}

// Sparse and open: a pad that brightens bar by bar and one accent per bar
// where each title card lights up, 165 ms into the picture's beat. No kick
// yet, and nothing starts in the 50 ms before a card, so the accent stands out.
void compose_titles(Arrangement* a) {
    const std::vector<int64_t> cards = cues_of(CueKind::card_flash);
    for (int i = 0; i < 16; ++i) {
        const int bar = titles_bar + i;
        const Chord& chord = chord_of(theme_progression, i);
        play_pad(a, bar, 1.0, chord, 500.0 + 1500.0 * i / 15.0, 0.045);
        if (i < static_cast<int>(cards.size())) {
            play_stab(a, cards[i], steps(2), chord, 12, stab_patch, 0.16);
            play_boom(&a->fx, cards[i], 0.45, seed_at(cards[i], 40));
        }
        if (i >= 4) {
            for (int s : {4, 8, 12}) play_hat(&a->drums, at(bar, s), 0.1, 0.03, 0.25, seed_at(at(bar, s), 41));
        }
        if (i >= 8) {
            for (int s : {6, 10, 14})
                play_hat(&a->drums, at(bar, s), 0.07, 0.11, -0.2, seed_at(at(bar, s), 42));
            play_bass_line(a, bar, titles_bass, chord, bass_patch, 0.3);
            play_arp(a, bar, titles_arp, chord, 12, pluck_patch, 0.12);
        }
        if (i >= 12) {
            for (int s : {4, 12}) play_clap(&a->snares, at(bar, s), 0.35, seed_at(at(bar, s), 43));
        }
    }
    snare_roll(a, titles_bar + 15, 12, 14, 1, 0.6, 1.2);
    riser_into(a, at(titles_bar + 14, 0), city_bar, 0.12);
}

// The first groove: four on the floor, rolling bass, a bright arpeggio. The
// first pass breaks down in its last bar while the picture fades to black, a
// reversed cymbal swelling into the credits. The second pass opens in the
// white-out: a hit on the cut, a swell through the rising grey and the drop
// when the town appears.
void compose_city(Arrangement* a, int first_bar, bool second_pass) {
    const int64_t town = cue_sample(town_appears);
    if (second_pass) {
        impact(a, first_bar, 0.2, 0.4);
        play_riser(&a->fx, at(first_bar, 0), town - samples_of(0.012) - at(first_bar, 0), 0.2, 500.0,
                   9000.0, seed_at(town, 6));
        impact_at(a, town, 0.3, 0.55);
        kick(a, town, 1.0, 0.55);
        play_clap(&a->snares, town, 0.4, seed_at(town, 2));
    } else {
        impact(a, first_bar, 0.28, 0.0);
    }
    for (int i = 0; i < 8; ++i) {
        const int bar = first_bar + i;
        const Chord& chord = chord_of(theme_progression, i);
        const bool breakdown = !second_pass && i == 7;
        if (breakdown) {
            kick(a, at(bar, 0), 1.0, 0.55);
            play_pad(a, bar, 1.0, chord, 600.0, 0.045);
            play_bass_line(a, bar, "r-------........", chord, bass_patch, 0.3);
            continue;
        }
        // Under the grey only the swell plays; the groove starts with the town.
        const int first_step = second_pass && i == 0 ? 5 : 0;
        play_groove(a, bar, city_groove, 1.0, first_step);
        if (first_step == 0) {
            play_pad(a, bar, 1.0, chord, 1800.0, 0.04);
        } else {
            const Patch patch = pad_patch(1800.0);
            const double pans[] = {-0.35, 0.15, -0.15, 0.35};
            for (int k = 0; k < 4; ++k)
                play_note(&a->pad, patch, town, at(bar + 1, 0) - town, chord.tones[k], 0.05, pans[k],
                          seed_at(town, 10 + k));
        }
        play_bass_line(a, bar, city_bass, chord, bass_patch, 0.3, first_step);
        play_arp(a, bar, city_arp, chord, 12, pluck_patch, second_pass ? 0.05 : 0.07, first_step);
    }
    if (second_pass) {
        play_melody(a, first_bar, main_theme, lead_patch, 0, 0.12, town);
        snare_roll(a, first_bar + 7, 12, 14, 1, 0.5, 1.0);
        // The picture narrows its field of view over the last two seconds.
        riser_into(a, at(first_bar + 6, 8), office_bar, 0.14);
    } else {
        play_reverse_crash(&a->fx, at(credits_bar, 0) - breath, 0.35, 1.0, 77);
    }
}

// Half-time and warm: the theme on an electric piano over a slower beat,
// building up to a snare roll and a swell that peak as the picture turns white.
void compose_credits(Arrangement* a) {
    impact(a, credits_bar, 0.25, 0.0);
    for (int i = 0; i < 16; ++i) {
        const int bar = credits_bar + i;
        const Chord& chord = chord_of(credits_progression, i);
        const Groove& groove = i < 4 ? credits_intro_groove : i < 12 ? credits_groove
                                                                     : credits_build_groove;
        play_groove(a, bar, groove, 0.9);
        play_pad(a, bar, 1.0, chord, 1300.0, 0.045);
        play_bass_line(a, bar, credits_bass, chord, bass_patch, 0.28);
        if (i >= 12) play_arp(a, bar, credits_arp, chord, 12, pluck_patch, 0.05);
    }
    play_bell_melody(a, credits_bar, main_theme, 0, 0.14);
    play_bell_melody(a, credits_bar + 8, main_theme, 12, 0.09);
    const int64_t white = cue_sample(credits_to_white.from);
    for (int s = 0; s < 16 && at(credits_bar + 15, s) < white; ++s) {
        const int64_t t = at(credits_bar + 15, s);
        play_snare(&a->snares, t, 0.5 * (0.15 + 0.95 * s / 10.0), seed_at(t, 5));
    }
    play_riser(&a->fx, at(credits_bar + 14, 0), white - at(credits_bar + 14, 0), 0.14, 350.0, 7000.0,
               seed_at(white, 6));
    play_crash(&a->fx, white, 0.12, 1.5, seed_at(white, 7));
}

// House: off-beat organ chords and octave bass, then the office's own melody.
void compose_office(Arrangement* a) {
    impact(a, office_bar, 0.28, 0.5);
    for (int i = 0; i < 18; ++i) {
        const int bar = office_bar + i;
        const Chord& chord = i < 16 ? chord_of(theme_progression, i) : i == 16 ? chord_bb : chord_c;
        play_groove(a, bar, office_groove);
        play_bass_line(a, bar, office_bass, chord, bass_patch, 0.3);
        play_pad(a, bar, 1.0, chord, 1200.0, 0.03);
        if (i < 16) {
            for (int s : {2, 6, 10, 14}) play_stab(a, at(bar, s), steps(1), chord, 12, organ_patch, 0.06);
        }
        if (i < 8) play_arp(a, bar, office_arp, chord, 12, pluck_patch, 0.06);
    }
    play_melody(a, office_bar + 8, office_theme, lead_patch, 0, 0.11);
    snare_roll(a, office_bar + 17, 8, 14, 1, 0.4, 1.1);
    riser_into(a, at(office_bar + 16, 0), lattice_bar, 0.14);
}

// How each block of four lattice bars sounds: its beat, how far the acid
// line's filter opens (octaves above 220 Hz, from and to), the registers of
// the bass and the gated chord, the chord's filter and level, the pad and the
// level of the whole.
struct LatticeBlock {
    const Groove* groove;
    double open_from, open_to;
    int bass_shift, chord_shift;
    bool spread_voicing;  // the chord's lowest tone an octave up
    double chord_cutoff_hz, chord_gain, pad_gain, level;
};

constexpr LatticeBlock lattice_blocks[4] = {
    {&lattice_grooves[0], 0.0, 0.6, 0, 0, false, 650.0, 0.10, 0.0, 0.8},
    {&lattice_grooves[1], 0.6, 1.6, 0, 12, false, 1100.0, 0.11, 0.0, 1.0},
    {&lattice_grooves[2], 1.8, 0.8, 12, 12, true, 1900.0, 0.13, 0.035, 0.7},
    {&lattice_grooves[3], 1.4, 2.6, 0, 12, true, 2800.0, 0.12, 0.03, 1.1},
};

// Hypnotic: an acid line, a chord gated to the 501 ms in which the picture
// blurs and struck with a hit where each blur starts; every four bars the
// beat, the filters, the voicing and the registers change.
void compose_lattice(Arrangement* a) {
    // A boom on the cut; the crash waits for the first blur, 146 ms later,
    // which it would otherwise drown.
    impact(a, lattice_bar, 0.0, 0.55);
    const std::vector<int64_t> blurs = cues_of(CueKind::blur_start);
    if (!blurs.empty()) play_crash(&a->fx, blurs[0], 0.3, 2.2, seed_at(blurs[0], 7));
    const int64_t blur_length = samples_of(seconds_of(beat_flash_last - beat_flash_first + 1));
    for (int i = 0; i < 16; ++i) {
        const int bar = lattice_bar + i;
        const LatticeBlock& block = lattice_blocks[i / 4];
        Chord chord = chord_of(lattice_progression, i);
        play_groove(a, bar, *block.groove, block.level);
        Patch acid = acid_patch;
        const double x = (i % 4) / 3.0;
        acid.cutoff_hz = 220.0 * det_exp2(block.open_from + (block.open_to - block.open_from) * x);
        if (i / 4 == 2) acid.resonance = 7.0;
        play_bass_line(a, bar, lattice_bass, Chord{chord.bass + block.bass_shift, {}}, acid,
                       0.22 * block.level);
        if (block.spread_voicing) chord.tones[0] += 12;
        if (i < static_cast<int>(blurs.size())) {
            Patch gate = gate_patch;
            gate.cutoff_hz = block.chord_cutoff_hz;
            play_stab(a, blurs[i], blur_length, chord, block.chord_shift, gate, block.chord_gain);
            play_boom(&a->fx, blurs[i], 0.3 * block.level, seed_at(blurs[i], 44));
        }
        if (block.pad_gain > 0.0) play_pad(a, bar, 1.0, chord, 900.0, block.pad_gain);
    }
    snare_roll(a, lattice_bar + 15, 8, 14, 1, 0.4, 1.1);
}

// Driving: crash, boom and kick with each of the picture's inversion flashes,
// every second bar; fast arpeggios through the echo, a long soaring line, and
// a four-bar swell into the white-out.
void compose_tunnel(Arrangement* a) {
    const std::vector<int64_t> flashes = cues_of(CueKind::tunnel_flash);
    for (int i = 0; i < 16; ++i) {
        const int bar = tunnel_bar + i;
        const Chord& chord = chord_of(tunnel_progression, i);
        // The flashes keep the picture's 2666 ms, so they drift a few ms
        // after these bars' downbeats; the downbeat goes with the flash.
        const bool flash = i % 2 == 0 && i / 2 < static_cast<int>(flashes.size());
        const int64_t downbeat = flash ? flashes[i / 2] : -1;
        if (flash) impact_at(a, downbeat, 0.2, 0.45);
        if (i < 15) {
            play_groove(a, bar, tunnel_groove, 1.0, 0, downbeat);
        } else {
            for (int s : {0, 4, 8}) kick(a, at(bar, s), 1.0, 0.5);
        }
        play_bass_line(a, bar, i < 15 ? tunnel_bass : ".rro.rro.rr.....", chord, bass_patch, 0.3);
        play_pad(a, bar, 1.0, chord, 2500.0, 0.05);
        play_arp(a, bar, tunnel_arp, chord, 12, pluck_patch, 0.08);
    }
    play_melody(a, tunnel_bar + 4, soaring_line, soar_patch, 0, 0.09);
    snare_roll(a, tunnel_bar + 14, 0, 14, 2, 0.3, 0.7);
    snare_roll(a, tunnel_bar + 15, 0, 14, 1, 0.6, 1.2);
    riser_into(a, at(tunnel_bar + 12, 0), objects_bar, 0.18);
}

// Rocking and glassy: a syncopated beat under FM bells; the drums leave when
// the picture starts fading to black, and the bells ring on alone.
void compose_objects(Arrangement* a) {
    impact(a, objects_bar, 0.3, 0.55);
    for (int i = 0; i < 16; ++i) {
        const int bar = objects_bar + i;
        const Chord& chord = chord_of(objects_progression, i);
        const bool fading = i >= 14;
        if (!fading) {
            play_groove(a, bar, objects_groove);
            play_bass_line(a, bar, objects_bass, chord, bass_patch, 0.28);
        }
        play_pad(a, bar, 1.0, chord, fading ? 650.0 : 1500.0, fading ? 0.035 : 0.04);
        play_bell_arp(a, bar, fading ? closing_arp : objects_arp, chord, 12, 0.07, 0.9);
    }
}

// The farewell: pad, a slow bell melody and the last D minor chord, struck
// two seconds before the show ends so that it rings out and dies away with
// the last letters.
void compose_closing(Arrangement* a) {
    impact(a, closing_bar, 0.15, 0.3);
    for (int i = 0; i < 6; ++i) {
        const int bar = closing_bar + i;
        const Chord& chord = chord_of(closing_progression, i);
        const bool last = i == 5;
        play_pad(a, bar, last ? 0.8 : 1.0, chord, 1100.0, 0.045);
        play_bass_line(a, bar, last ? "r-----------...." : closing_bass, chord, bass_patch,
                       last ? 0.2 : 0.16);
        if (!last) play_bell_arp(a, bar, closing_arp, chord, 12, 0.04, 1.2);
    }
    play_bell_melody(a, closing_bar, closing_theme, 0, 0.13);
}

}  // namespace

void compose_soundtrack(Arrangement* a) {
    compose_titles(a);
    compose_city(a, city_bar, false);
    compose_credits(a);
    compose_city(a, city_again_bar, true);
    compose_office(a);
    compose_lattice(a);
    compose_tunnel(a);
    compose_objects(a);
    compose_closing(a);
    // The music dips with the picture's fades to black and comes back with
    // the next scene's cut; it falls away while the credits turn white and
    // hits again on the cut. It is silent for the last 250 ms of the show.
    const double credits = seconds_of(cue_windows[2].first), town = seconds_of(cue_windows[3].first);
    const double closing = seconds_of(cue_windows[8].first), end = seconds_of(show_last_ms);
    const double a_ms = 0.001;
    a->master_gain = {{0.0, 1.0},
                      {seconds_of(city_to_black.from), 1.0},
                      {credits - a_ms, 0.7},
                      {credits, 1.0},
                      {seconds_of(credits_to_white.from), 1.0},
                      {town - a_ms, 0.3},
                      {town, 1.0},
                      {seconds_of(objects_to_black.from), 1.0},
                      {closing - a_ms, 0.55},
                      {closing, 1.0},
                      {end - 1.3, 1.0},
                      {end - 0.25, 0.0}};
}

const TempoSection* tempo_map() { return tempo_table.sections; }

int64_t bar_sample(double bars) {
    const TempoSection* s = tempo_table.sections;
    while (s + 1 < tempo_table.sections + tempo_section_count && bars >= s[1].first_bar) ++s;
    const double ms = s->start_ms + (bars - s->first_bar) * s->bar_ms;
    // The first sample at or after ms; a whole ms lands exactly where cue_sample puts it.
    return static_cast<int64_t>(std::ceil(ms * (soundtrack_rate / 1000.0) - 1e-6));
}

int64_t cue_sample(int32_t ms) { return (static_cast<int64_t>(ms) * soundtrack_rate + 999) / 1000; }

// The score of the soundtrack: which instrument plays what, bar by bar, into
// the mixer's buses. The mixdown and mastering live in soundtrack.cpp.
#pragma once

#include <cstdint>
#include <vector>

#include "soundtrack_synth.h"

// What the score writes: one buffer per bus (each has its own treatment in the
// mix), the kicks that duck the melodic buses, and the master gain curve that
// lets the music breathe with the picture's fades.
struct Arrangement {
    Stereo drums;   // kick and hats: dry
    Stereo snares;  // snares and claps: a little room
    Stereo bass;    // ducked by the kick
    Stereo pad;     // chords: ducked, reverb
    Stereo lead;    // plucks, leads, bells, stabs: ducked, echo and reverb
    Stereo fx;      // crashes, risers, booms: reverb, never ducked

    struct Duck {
        int64_t at;
        double depth;  // 0 ... 1: how far the melodic buses dip under this kick
    };
    std::vector<Duck> ducks;

    struct GainPoint {
        double seconds;
        double gain;
    };
    std::vector<GainPoint> master_gain;  // piecewise linear, in time order

    explicit Arrangement(size_t frames)
        : drums(frames), snares(frames), bass(frames), pad(frames), lead(frames), fx(frames) {}
};

// Writes the whole piece into the arrangement's buses.
void compose_soundtrack(Arrangement* arrangement);

// The tempo map: the piece's bars laid section by section, one section per
// scene window of the show, so that each section's first downbeat falls on its
// scene's first millisecond to the sample. A section's bars share its window
// evenly (about 1332 ms each); the opening titles and the closing letters keep
// the pictures' 1333 ms beat.
struct TempoSection {
    int first_bar;
    int bars;
    int32_t start_ms;
    double bar_ms;
};
constexpr int tempo_section_count = 9;
// The sections in time order.
const TempoSection* tempo_map();
// The sample of a position counted in bars from the start (a fraction is a
// point inside the bar); past the last section its bars go on.
int64_t bar_sample(double bars);
// The first sample of music time ms, the one the show's clock reads as ms.
int64_t cue_sample(int32_t ms);

// Inside the platform layer: the soundtrack decoded whole with libmpg123, for
// the sound backends that play it (SDL, waveOut) and the video sink that muxes
// it. The browser decodes it itself. Not for use outside src/platform (tests
// and the MP3 fuzzer excepted).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "codecs/codecs.h"

// A whole soundtrack decoded to interleaved 16-bit samples.
struct DecodedAudio {
    int rate = 0;
    int channels = 0;
    std::vector<int16_t> samples;  // frames * channels values, the encoder delay removed
};

// Decodes MP3 bytes held in memory completely (gapless: the first sample is the
// first sample of the music). Returns false with *error set when they do not
// decode. Bytes after the last frame that decodes end the music there, with
// *warning (when given) saying where.
bool mp3_decode(const uint8_t* bytes, size_t size, DecodedAudio* audio, std::string* error,
                std::string* warning = nullptr);


// ---- The fade before a device closes (fade.cpp) ----

// Every live backend ramps its output to silence over this long before it
// closes the device, on every way out, so the end never clicks.
constexpr int fade_out_ms = 30;

// A linear ramp from full level to silence over total frames; remaining
// counts down as frames pass through it. total 0: no fade has begun.
struct FadeOut {
    int64_t total = 0;
    int64_t remaining = 0;
};

// The fade that starts now at rate Hz.
FadeOut begin_fade_out(int rate);

// Scales frames of interleaved samples by the ramp, from where it stands, and
// leaves silence once it has run out; untouched while no fade has begun.
void apply_fade_out(int16_t* samples, int64_t frames, int channels, FadeOut* fade);

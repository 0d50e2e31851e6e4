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


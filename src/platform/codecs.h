// Inside the platform layer: the PNG writer, the MP3 decoder and the sample
// clock arithmetic that the backends and frame sinks share, and that tests use
// to read what the show writes. Not for use by the rest of the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Writes width x height RGB rows, given bottom row first as glReadPixels returns
// them, as an 8-bit RGB PNG with the top row first. False with *error naming the file.
bool platform_write_png(const std::string& path, const uint8_t* rgb, int width, int height, std::string* error);

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

// The position in milliseconds of the sample with the given index at rate Hz.
int32_t sample_to_ms(int64_t sample, int rate);
// The index of the sample that plays at ms milliseconds at rate Hz (never below 0).
int64_t ms_to_sample(int32_t ms, int rate);

// Inside the platform layer: the PNG writer and reader, the MP3 decoder and the
// sample clock arithmetic that the backends and frame sinks share, and that
// tests use to read what the show writes. Not for use by the rest of the
// program. The PNG pair (png_file.cpp) is pure and also serves the data
// generator through the zelvo_codecs library; the rest needs libmpg123.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Which row of a picture its pixel data starts with.
enum class RowOrder {
    top_first,
    bottom_first,  // as glReadPixels returns them
};

// Writes width x height 8-bit RGB rows, given in the order rows says, as an
// 8-bit RGB PNG with the top row first. False with *error naming the file; no
// truncated file stays behind. Used by the PNG frame sink, the tests and the
// data generator's sheets.
bool write_png_rgb(const std::string& path, const uint8_t* rgb, int width, int height, RowOrder rows,
                   std::string* error);

// Reads a PNG as 8-bit RGB rows, top row first; empty, with *error (when given)
// naming the file, when it cannot. *width and *height, when given, receive its size.
std::vector<uint8_t> read_png_rgb(const std::string& path, int* width = nullptr, int* height = nullptr,
                                  std::string* error = nullptr);

// The common format the bytes begin like ("PNG", "JPEG", "WAV", "Ogg", "FLAC",
// "MP4", ...), or nullptr for none of them. MP3 and TGA are not named: neither
// has a signature to tell it by.
const char* file_format_name(const uint8_t* bytes, size_t size);

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

// Codecs: the lowest layer, pure and free of GL and of every system library
// but libpng. The PNG writer and reader, the TGA decoder, the names of common
// file formats told by their first bytes, and the sample arithmetic the sound
// backends count in. The program (resources, the headless backend's sinks),
// the data generator in tools/ and the tests share them through the
// zelvo_codecs library; nothing here includes a header of the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

// ---- File names (file_names.cpp) ----
//
// Names are UTF-8 strings everywhere; on Windows these pass them through the
// wide-character calls, as the narrow ones read the ANSI code page.

// The std::filesystem path of a UTF-8 name; every layer builds paths from names through it.
std::filesystem::path file_path(const std::string& name);
// The UTF-8 name of a path (what messages print and what file_path reads back).
std::string file_name_text(const std::filesystem::path& path);
// std::fopen for a UTF-8 name.
std::FILE* open_file(const std::string& name, const char* mode);

// ---- PNG (png_file.cpp; not in the browser build) ----

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

// ---- File formats (file_format.cpp) ----

// The common format the bytes begin like ("PNG", "JPEG", "WAV", "Ogg", "FLAC",
// "MP4", ...), or nullptr for none of them. MP3 and TGA are not named: neither
// has a signature to tell it by.
const char* file_format_name(const uint8_t* bytes, size_t size);

// ---- Samples (samples.cpp) ----

// The position in milliseconds of the sample with the given index at rate Hz.
int32_t sample_to_ms(int64_t sample, int rate);
// The index of the sample that plays at ms milliseconds at rate Hz (never below 0).
int64_t ms_to_sample(int32_t ms, int rate);

// ---- TGA (tga.cpp) ----

// Decodes a true-colour TGA held in memory (type 2, or type 10 run-length
// encoded; 24 bits, or 32 with the alpha dropped; a colour map it carries is
// skipped) or a greyscale one (type 3 or 11; 8 bits, or 16 with the alpha
// dropped), either row order as the descriptor says, into tightly packed RGB
// rows, top row of the picture first. Returns false with *error set (no file
// name) when the data is short, another type or depth, colour-mapped,
// zero-sized or larger than 8192 x 8192 pixels, or another format (a PNG, a
// JPEG, ... is named as such).
bool decode_tga(const uint8_t* bytes, size_t size, uint16_t* width, uint16_t* height,
                std::vector<uint8_t>* rgb, std::string* error);

// Reads a TGA file into RGB rows, top row first, reading no more of it than its
// header accounts for and allocating nothing before the file's size has been
// checked against the header. False with *error set to the problem (without the file
// name) when the file is missing, unreadable or malformed.
bool read_tga_rgb(const char* path, uint16_t* width, uint16_t* height, std::vector<uint8_t>* rgb,
                  std::string* error);

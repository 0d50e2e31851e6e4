// The TGA decoder of the resources: true-colour pictures into RGB rows, top
// row first, as the texture loader wants them. Pure and free of GL; the data
// generator shares it (through the zelvo_codecs library) to read back what it
// writes, without linking anything else of the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

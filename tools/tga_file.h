// Uncompressed 24-bit TGA files as the demo's loader reads them: image type 2,
// no ID field, no colour map, 24 bits per pixel, image descriptor 0 (rows stored
// bottom row first, no alpha bits), pixels in blue-green-red order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image.h"

constexpr int tga_header_size = 18;

// The file bytes of img: its top row (row 0) becomes the last row stored.
std::vector<uint8_t> encode_tga(const Image& img);

// Writes bytes to path, creating the folders above it. False with *error set
// (naming the path) when it cannot.
bool write_file(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);
bool write_file(const std::string& path, const std::string& text, std::string* error);

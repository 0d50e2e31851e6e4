// Reading back the PNG frames the show writes, for tests.
#pragma once

#include <string>
#include <vector>

// The PNG's pixels as RGB rows, top row first; empty when it cannot be read.
// *width and *height, when given, receive its size.
std::vector<uint8_t> read_png_rgb(const std::string& path, int* width = nullptr, int* height = nullptr);

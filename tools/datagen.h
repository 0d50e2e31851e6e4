// The default data pack generator: every picture, both meshes, settings.ini and
// the soundtrack, written deterministically (the same bytes on every run).
#pragma once

#include <string>
#include <vector>

// Writes settings.ini, the pictures and the meshes into dir (which it creates).
// Returns false with *error set when a file cannot be written.
bool write_data_pack(const std::string& dir, std::string* error);

// Writes kardel.mp3 into dir. Returns false with *error set on failure.
bool write_soundtrack(const std::string& dir, std::string* error);

// Writes the program's 256 x 256 icon as a PNG.
bool write_icon(const std::string& png_path, std::string* error);

// Writes one PNG showing every picture of dir with its file name under it.
bool write_contact_sheet(const std::string& png_path, const std::string& dir, std::string* error);

// One frame of the show for a frame sheet: a PNG of it and the line under it.
struct SheetFrame {
    std::string png_path;
    std::string label;
};

// Writes one PNG with the frames scaled to 400 x 300, three to a row, each over its label.
bool write_frame_sheet(const std::string& png_path, const std::vector<SheetFrame>& frames, std::string* error);

// Text for the generated pictures, rendered with FreeType from the DejaVu fonts
// of Debian's fonts-dejavu-core and fonts-dejavu-extra packages (looked up where
// those packages put them; no font file is part of this project). Text comes out as grey coverage
// that the pictures blur, colour and compose.
#pragma once

#include <string>

#include "image.h"

enum class Font {
    sans,
    sans_bold,
    sans_bold_oblique,
    sans_extra_light,
    sans_condensed_bold,
    serif_bold,
    serif_bold_italic,
    serif_italic,
    mono_bold,
    font_count
};

struct TextStyle {
    Font font = Font::sans_bold;
    float size = 100.0f;     // em size in design units
    float tracking = 0.0f;   // extra space after each letter, design units
    float embolden = 0.0f;   // outline growth on every side, design units
};

// Opens every font once. False with *error naming the missing file and the
// package that provides it. Must succeed before render_text is called.
bool open_fonts(std::string* error);

// One line of text as coverage, cropped to its ink and padded by pad pixels on
// each side. A design unit is sx pixels wide and sy pixels tall, so a picture
// that is stretched when drawn can carry text pre-squeezed to look right there.
// baseline_row, when given, receives the mask row on which the letters stand.
Mask render_text(const std::string& text, const TextStyle& style, float sx, float sy, int pad,
                 int* baseline_row = nullptr);

// The ink size of the text in design units (width, height), for fitting.
void measure_text(const std::string& text, const TextStyle& style, float* width, float* height);

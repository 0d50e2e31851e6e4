// Contact sheets: a data folder's pictures, each scaled into a grid cell over
// its file name, or frames of the show over their labels, written as one PNG
// for a person to look over.
#include <algorithm>
#include <cmath>

#include "codecs/codecs.h"
#include "datagen.h"
#include "pictures.h"

namespace {

constexpr int columns = 8;
constexpr int cell_w = 200;
constexpr int picture_h = 160;
constexpr int label_h = 22;
constexpr int gap = 8;
constexpr Colour background{0.16f, 0.16f, 0.18f};

// Area-averaged down-scaling (or nearest-pixel enlarging) of src into a w x h box at (x0, y0).
void draw_scaled(Image& sheet, const Image& src, int x0, int y0, int w, int h) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int sx0 = x * src.width / w, sx1 = std::max(sx0 + 1, (x + 1) * src.width / w);
            int sy0 = y * src.height / h, sy1 = std::max(sy0 + 1, (y + 1) * src.height / h);
            float sum[3] = {0, 0, 0};
            for (int sy = sy0; sy < sy1; ++sy)
                for (int sx = sx0; sx < sx1; ++sx)
                    for (int c = 0; c < 3; ++c) sum[c] += src.at(sx, sy)[c];
            float n = static_cast<float>((sx1 - sx0) * (sy1 - sy0));
            float* p = sheet.at(x0 + x, y0 + y);
            for (int c = 0; c < 3; ++c) p[c] = sum[c] / n;
        }
}

void draw_label(Image& sheet, const std::string& text, int cx, int top, float size = 12.0f) {
    TextStyle style{Font::sans, size, 0.0f, 0.0f};
    int baseline = 0;
    Mask ink = render_text(text, style, 1.0f, 1.0f, 0, &baseline);
    Mask layer(sheet.width, sheet.height);
    stamp_max(layer, ink, cx - ink.width / 2, top + 15 - baseline);
    paint(sheet, layer, {0.92f, 0.92f, 0.92f});
}

// Pictures are read and written as 8-bit RGB rows, top row first.
Image image_from_rgb8(const std::vector<uint8_t>& rgb, int width, int height) {
    Image img(width, height);
    for (size_t i = 0; i < img.rgb.size(); ++i) img.rgb[i] = rgb[i] / 255.0f;
    return img;
}

bool write_png(const std::string& path, const Image& img, std::string* error) {
    std::vector<uint8_t> rgb(img.rgb.size());
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(std::lround(clamp01(img.rgb[i]) * 255.0f));
    return write_png_rgb(path, rgb.data(), img.width, img.height, RowOrder::top_first, error);
}

}  // namespace

bool write_icon(const std::string& png_path, std::string* error) {
    if (!open_fonts(error)) return false;
    Image icon(256, 256);
    paint_icon(icon);
    return write_png(png_path, icon, error);
}

bool write_contact_sheet(const std::string& png_path, const std::string& dir, std::string* error) {
    if (!open_fonts(error)) return false;
    const std::vector<PictureRecipe>& recipes = picture_recipes();
    int rows = (static_cast<int>(recipes.size()) + columns - 1) / columns;
    Image sheet(gap + columns * (cell_w + gap), gap + rows * (picture_h + label_h + gap));
    fill(sheet, background);
    for (size_t i = 0; i < recipes.size(); ++i) {
        const std::string path = dir + "/" + recipes[i].path;
        uint16_t width = 0, height = 0;
        std::vector<uint8_t> rgb;
        if (!read_tga_rgb(path.c_str(), &width, &height, &rgb, error)) {
            *error = path + ": " + *error;
            return false;
        }
        const Image pic = image_from_rgb8(rgb, width, height);
        float fit = std::min(static_cast<float>(cell_w) / pic.width, static_cast<float>(picture_h) / pic.height);
        int w = std::max(1, static_cast<int>(pic.width * fit));
        int h = std::max(1, static_cast<int>(pic.height * fit));
        int cell_x = gap + static_cast<int>(i % columns) * (cell_w + gap);
        int cell_y = gap + static_cast<int>(i / columns) * (picture_h + label_h + gap);
        draw_scaled(sheet, pic, cell_x + (cell_w - w) / 2, cell_y + (picture_h - h) / 2, w, h);
        draw_label(sheet, recipes[i].path, cell_x + cell_w / 2, cell_y + picture_h);
    }
    return write_png(png_path, sheet, error);
}

bool write_frame_sheet(const std::string& png_path, const std::vector<SheetFrame>& frames, std::string* error) {
    if (!open_fonts(error)) return false;
    constexpr int frame_columns = 3, frame_w = 400, frame_h = 300, frame_label_h = 30;
    const int rows = (static_cast<int>(frames.size()) + frame_columns - 1) / frame_columns;
    Image sheet(gap + frame_columns * (frame_w + gap), gap + rows * (frame_h + frame_label_h + gap));
    fill(sheet, background);
    for (size_t i = 0; i < frames.size(); ++i) {
        int width = 0, height = 0;
        const std::vector<uint8_t> rgb = read_png_rgb(frames[i].png_path, &width, &height, error);
        if (rgb.empty()) return false;
        const Image frame = image_from_rgb8(rgb, width, height);
        const int cell_x = gap + static_cast<int>(i % frame_columns) * (frame_w + gap);
        const int cell_y = gap + static_cast<int>(i / frame_columns) * (frame_h + frame_label_h + gap);
        draw_scaled(sheet, frame, cell_x, cell_y, frame_w, frame_h);
        draw_label(sheet, frames[i].label, cell_x + frame_w / 2, cell_y + frame_h + 4, 15.0f);
    }
    return write_png(png_path, sheet, error);
}

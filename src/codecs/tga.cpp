// The TGA decoder: true-colour pictures, as bytes or as a file, into RGB rows.
// Pure and free of GL, so the data generator links it too.

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "codecs/codecs.h"

namespace {

constexpr size_t tga_header_size = 18;
constexpr uint8_t tga_colour_mapped = 1;
constexpr uint8_t tga_true_colour = 2;
constexpr uint8_t tga_greyscale = 3;
constexpr uint8_t tga_run_length_flag = 8;  // types 9, 10 and 11: the same, run-length encoded
constexpr uint8_t tga_top_origin = 0x20;   // descriptor bit: rows stored top first
constexpr uint8_t tga_right_origin = 0x10; // descriptor bit: pixels stored right to left

// Far beyond any picture of the show (the largest is 512 x 512), and small
// enough that a header claiming more cannot make us ask for gigabytes.
constexpr size_t largest_picture_pixels = size_t{8192} * 8192;

uint16_t read_le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

bool refuse(std::string* error, const std::string& text) {
    if (error) *error = text;
    return false;
}

// What the 18-byte header says about the picture.
struct TgaLayout {
    uint16_t width = 0, height = 0;
    size_t pixel_size = 0;     // bytes per stored pixel: 3 or 4 in colour, 1 or 2 in grey
    bool grey = false;
    bool run_length = false;
    bool top_first = false;
    bool right_to_left = false;
    size_t pixels_at = 0;      // after the header, the ID field and any colour map
    size_t most_pixel_bytes = 0;  // the longest pixel data the header allows
};

std::string size_text(uint16_t w, uint16_t h) { return std::to_string(w) + " x " + std::to_string(h); }

bool read_layout(const uint8_t* bytes, size_t size, TgaLayout* layout, std::string* error) {
    // A colour-map type beyond 1 means no TGA at all; say what the file is when we can.
    if (size >= 2 && bytes[1] > 1) {
        if (const char* format = file_format_name(bytes, size))
            return refuse(error, std::string("holds ") + format + " data, not a TGA picture");
    }
    if (size < tga_header_size)
        return refuse(error, "shorter than a TGA header (" + std::to_string(size) + " of 18 bytes)");
    const uint8_t image_type = bytes[2];
    const uint8_t base_type = image_type & ~tga_run_length_flag;
    const uint8_t bits_per_pixel = bytes[16];
    if (bytes[1] > 1) return refuse(error, "has colour-map type " + std::to_string(bytes[1]) + "; it is no TGA picture");
    if (base_type == tga_colour_mapped)
        return refuse(error, "is a colour-mapped TGA (type " + std::to_string(image_type) +
                                 "); only true-colour and greyscale pictures load");
    if (image_type == 0 || image_type > 11 || (base_type != tga_true_colour && base_type != tga_greyscale))
        return refuse(error, "is TGA image type " + std::to_string(image_type) +
                                 "; only true-colour (type 2, or 10 run-length encoded) and greyscale "
                                 "(type 3, or 11) pictures load");
    layout->grey = base_type == tga_greyscale;
    if (layout->grey ? bits_per_pixel != 8 && bits_per_pixel != 16 : bits_per_pixel != 24 && bits_per_pixel != 32)
        return refuse(error, "has " + std::to_string(bits_per_pixel) + " bits per pixel; only " +
                                 (layout->grey ? "8 and 16 load in grey" : "24 and 32 load in colour"));
    layout->width = read_le16(bytes + 12);
    layout->height = read_le16(bytes + 14);
    if (layout->width == 0 || layout->height == 0)
        return refuse(error, "is zero-sized (" + size_text(layout->width, layout->height) + ")");
    const size_t pixels = size_t{layout->width} * layout->height;
    if (pixels > largest_picture_pixels)
        return refuse(error, "is " + size_text(layout->width, layout->height) +
                                 " pixels, more than the 8192 x 8192 a picture may have");
    layout->pixel_size = bits_per_pixel / 8;
    layout->run_length = (image_type & tga_run_length_flag) != 0;
    layout->top_first = (bytes[17] & tga_top_origin) != 0;
    layout->right_to_left = (bytes[17] & tga_right_origin) != 0;
    // A true-colour picture may carry a colour map it does not use: skip it.
    const size_t map_entries = bytes[1] == 1 ? read_le16(bytes + 5) : 0;
    const size_t map_entry_size = (size_t{bytes[7]} + 7) / 8;
    layout->pixels_at = tga_header_size + bytes[0] + map_entries * map_entry_size;
    // A run-length packet holds one pixel at the least, behind its one-byte header.
    layout->most_pixel_bytes = pixels * (layout->pixel_size + (layout->run_length ? 1 : 0));
    return true;
}

// The fewest bytes of pixel data that can hold the whole picture: a
// run-length packet covers at most 128 pixels.
size_t least_pixel_bytes(const TgaLayout& layout) {
    const size_t count = size_t{layout.width} * layout.height;
    return layout.run_length ? (count + 127) / 128 * (1 + layout.pixel_size) : count * layout.pixel_size;
}

std::string short_text(const TgaLayout& layout, size_t needed, size_t size) {
    return "is shorter than its header says (" + size_text(layout.width, layout.height) +
           (layout.run_length ? " needs at least " : " needs ") +
           std::to_string(needed) + " bytes, the file has " + std::to_string(size) + ")";
}

// The stored pixels in file order, alpha dropped; false when the data ends early.
bool unpack_pixels(const TgaLayout& layout, const uint8_t* data, size_t size, std::vector<uint8_t>* bgr,
                   std::string* error) {
    const size_t count = size_t{layout.width} * layout.height;
    const size_t ps = layout.pixel_size;
    // Checked before anything is allocated: a header may claim 65535 x 65535
    // over a few bytes.
    const size_t least = least_pixel_bytes(layout);
    if (size < least) {
        if (!layout.run_length)
            return refuse(error, short_text(layout, layout.pixels_at + least, layout.pixels_at + size));
        return refuse(error, "ends inside its run-length data (" + std::to_string(size) + " bytes cannot hold " +
                                 std::to_string(count) + " pixels)");
    }
    bgr->assign(count * 3, 0);
    if (!layout.run_length) {
        for (size_t i = 0; i < count; ++i)
            for (int c = 0; c < 3; ++c) (*bgr)[i * 3 + c] = data[i * ps + (layout.grey ? 0 : c)];
        return true;
    }
    size_t at = 0;
    for (size_t done = 0; done < count;) {
        if (at >= size)
            return refuse(error, "ends inside its run-length data (" + std::to_string(done) + " of " +
                                     std::to_string(count) + " pixels)");
        const uint8_t packet = data[at++];
        const size_t run = (packet & 0x7F) + 1u;
        const bool repeated = (packet & 0x80) != 0;
        if (run > count - done) return refuse(error, "has a run-length packet that runs past its last pixel");
        const size_t stored = repeated ? ps : run * ps;
        if (size - at < stored)
            return refuse(error, "ends inside its run-length data (" + std::to_string(done) + " of " +
                                     std::to_string(count) + " pixels)");
        for (size_t k = 0; k < run; ++k, ++done) {
            const uint8_t* src = data + at + (repeated ? 0 : k * ps);
            for (int c = 0; c < 3; ++c) (*bgr)[done * 3 + c] = src[layout.grey ? 0 : c];
        }
        at += stored;
    }
    return true;
}

}  // namespace

bool decode_tga(const uint8_t* bytes, size_t size, uint16_t* width, uint16_t* height,
                std::vector<uint8_t>* rgb, std::string* error) {
    TgaLayout layout;
    if (!read_layout(bytes, size, &layout, error)) return false;
    if (size < layout.pixels_at)
        return refuse(error, short_text(layout, layout.pixels_at + least_pixel_bytes(layout), size));
    std::vector<uint8_t> bgr;
    if (!unpack_pixels(layout, bytes + layout.pixels_at, size - layout.pixels_at, &bgr, error)) return false;

    // The texture wants the top row first, left to right, in red, green, blue,
    // so t = 0 is the top edge. Files say in their descriptor which corner
    // they start from; most store the bottom row first.
    const size_t w = layout.width, h = layout.height;
    rgb->assign(w * h * 3, 0);
    for (size_t r = 0; r < h; ++r) {
        const size_t file_row = layout.top_first ? r : h - 1 - r;
        for (size_t x = 0; x < w; ++x) {
            const size_t file_x = layout.right_to_left ? w - 1 - x : x;
            const uint8_t* src = bgr.data() + (file_row * w + file_x) * 3;
            uint8_t* dst = rgb->data() + (r * w + x) * 3;
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
    *width = layout.width;
    *height = layout.height;
    return true;
}

bool read_tga_rgb(const char* path, uint16_t* width, uint16_t* height, std::vector<uint8_t>* rgb,
                  std::string* error) {
    // Only the bytes the header accounts for are read, so a huge or padded file
    // costs no more memory than its picture; and a header that claims more
    // than the file holds is refused before anything is allocated for it.
    std::FILE* file = open_file(path, "rb");
    if (!file) return refuse(error, std::strerror(errno));
    struct stat status;
    if (fstat(fileno(file), &status) != 0 || !S_ISREG(status.st_mode)) {
        const std::string problem = S_ISREG(status.st_mode) ? std::strerror(errno) : "not a regular file";
        std::fclose(file);
        return refuse(error, problem);
    }
    const size_t file_size = static_cast<size_t>(status.st_size);
    std::vector<uint8_t> bytes(tga_header_size);
    size_t got = std::fread(bytes.data(), 1, tga_header_size, file);
    TgaLayout layout;
    bool ok = std::ferror(file) ? refuse(error, std::strerror(errno)) : read_layout(bytes.data(), got, &layout, error);
    if (ok && file_size < layout.pixels_at + least_pixel_bytes(layout)) {
        ok = refuse(error, short_text(layout, layout.pixels_at + least_pixel_bytes(layout), file_size));
    }
    if (ok) {
        bytes.resize(std::min(file_size, layout.pixels_at + layout.most_pixel_bytes));
        got += std::fread(bytes.data() + got, 1, bytes.size() - got, file);
        if (std::ferror(file)) ok = refuse(error, std::strerror(errno));
    }
    std::fclose(file);
    return ok && decode_tga(bytes.data(), got, width, height, rgb, error);
}

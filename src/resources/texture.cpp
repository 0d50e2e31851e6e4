// Scene textures from uncompressed 24-bit TGA pictures, and the blank capture texture.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdint>
#include <string>
#include <vector>

#include "resources/resources.h"



TextureId scene_textures[texture_slot_count] = {};

namespace {

constexpr size_t tga_header_size = 18;
constexpr uint8_t tga_true_colour = 2;

uint16_t read_le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

bool refuse(std::string* error, const std::string& text) {
    if (error) *error = text;
    return false;
}

}  // namespace

bool decode_tga(const uint8_t* bytes, size_t size, uint16_t* width, uint16_t* height,
                std::vector<uint8_t>* rgb, std::string* error) {
    if (size < tga_header_size)
        return refuse(error, "shorter than a TGA header (" + std::to_string(size) + " of 18 bytes)");
    const uint8_t id_length = bytes[0];
    const uint8_t colour_map_type = bytes[1];
    const uint8_t image_type = bytes[2];
    const uint8_t bits_per_pixel = bytes[16];
    if (colour_map_type != 0) return refuse(error, "has a colour map; only 24-bit true-colour pictures load");
    if (image_type != tga_true_colour)
        return refuse(error, "is TGA image type " + std::to_string(image_type) +
                                 "; only uncompressed true-colour (type 2) pictures load");
    if (bits_per_pixel != 24)
        return refuse(error, "has " + std::to_string(bits_per_pixel) + " bits per pixel; only 24 load");
    const uint16_t w = read_le16(bytes + 12);
    const uint16_t h = read_le16(bytes + 14);
    if (w == 0 || h == 0)
        return refuse(error, "is zero-sized (" + std::to_string(w) + " x " + std::to_string(h) + ")");

    // The ID field, when present, sits between the header and the pixels.
    const size_t pixels_at = tga_header_size + id_length;
    const size_t row_bytes = size_t{w} * 3;
    const size_t pixel_bytes = row_bytes * h;
    if (size < pixels_at || size - pixels_at < pixel_bytes)
        return refuse(error, "is shorter than its header says (" + std::to_string(w) + " x " +
                                 std::to_string(h) + " needs " + std::to_string(pixels_at + pixel_bytes) +
                                 " bytes, the file has " + std::to_string(size) + ")");

    // Files store the bottom row first and each pixel as blue, green, red; the
    // texture wants the top row first in red, green, blue, so t = 0 is the top
    // edge. The descriptor's origin bit is not consulted.
    const uint8_t* pixels = bytes + pixels_at;
    rgb->assign(pixel_bytes, 0);
    for (size_t r = 0; r < h; ++r) {
        const uint8_t* src = pixels + (h - 1 - r) * row_bytes;
        uint8_t* dst = rgb->data() + r * row_bytes;
        for (size_t i = 0; i < row_bytes; i += 3) {
            dst[i] = src[i + 2];
            dst[i + 1] = src[i + 1];
            dst[i + 2] = src[i];
        }
    }
    *width = w;
    *height = h;
    return true;
}

bool read_tga_rgb(const char* path, uint16_t* width, uint16_t* height, std::vector<uint8_t>* rgb,
                  std::string* error) {
    std::vector<uint8_t> bytes;
    return read_whole_file(path, SIZE_MAX, &bytes, error) &&
           decode_tga(bytes.data(), bytes.size(), width, height, rgb, error);
}

TextureId upload_mipmapped_texture(const std::vector<uint8_t>& rgb, uint16_t width, uint16_t height) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    // Rows are tightly packed; the default 4-byte row alignment would skew
    // pictures whose width is not a multiple of four.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, 3, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return static_cast<TextureId>(name);
}

bool load_texture(const char* path, TextureId* texture, std::string* error) {
    uint16_t width = 0;
    uint16_t height = 0;
    std::vector<uint8_t> rgb;
    if (!read_tga_rgb(path, &width, &height, &rgb, error)) {
        *error = std::string(path) + ":\n" + *error;
        return false;
    }
    *texture = upload_mipmapped_texture(rgb, width, height);
    return true;
}

bool load_scene_textures(std::string* error) {
    for (int slot = 0; slot < texture_slot_count; ++slot)
        if (!load_texture(scene_texture_files[slot], &scene_textures[slot], error)) return false;
    return true;
}

void create_blank_texture(uint32_t* table, int size, int components, uint32_t format, int index) {
    const std::vector<uint32_t> zeros(static_cast<size_t>(size) * size * components, 0);
    GLuint name = 0;
    glGenTextures(1, &name);
    table[index] = name;
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, components, size, size, 0, format, GL_UNSIGNED_INT, zeros.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

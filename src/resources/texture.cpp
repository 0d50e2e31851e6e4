// Scene textures from true-colour TGA pictures (decoded in tga.cpp), and the
// blank capture texture.
#include <GL/gl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "resources/resources.h"

TextureId scene_textures[texture_slot_count] = {};

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
    // The chain GLU would build, made here so a system without GLU samples the same texels.
    const std::vector<MipmapLevel> chain = mipmap_chain(rgb, width, height);
    for (size_t level = 0; level < chain.size(); ++level) {
        const MipmapLevel& l = chain[level];
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGB, l.width, l.height, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, l.rgb.data());
    }
    return static_cast<TextureId>(name);
}

bool load_texture(const char* path, TextureId* texture, std::string* error) {
    uint16_t width = 0;
    uint16_t height = 0;
    std::vector<uint8_t> rgb;
    if (!read_tga_rgb(path, &width, &height, &rgb, error)) {
        *error = shown_path(path) + ":\n" + *error;
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
    // Bytes, and the format as the internal format: the same black texture
    // wherever WebGL, which takes no other, is the GL.
    const std::vector<uint8_t> zeros(static_cast<size_t>(size) * size * components, 0);
    GLuint name = 0;
    glGenTextures(1, &name);
    table[index] = name;
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), size, size, 0, format, GL_UNSIGNED_BYTE, zeros.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

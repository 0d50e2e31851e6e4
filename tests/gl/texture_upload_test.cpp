// Texture uploads and the blank capture texture, on a headless context.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "resources/resources.h"
#include "support/gl_harness.h"

namespace {

class TextureGl : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(gl_open());
        gl_reset_frame();
    }
};

GLint texture_parameter(GLenum name) {
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

GLint level_parameter(int level, GLenum name) {
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
    return value;
}

std::vector<uint8_t> read_level(int level, int width, int height) {
    std::vector<uint8_t> texels(static_cast<size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

}  // namespace

TEST_F(TextureGl, UploadKeepsTightRowsBuildsMipmapsAndLeavesTheTextureBound) {
    glDisable(GL_TEXTURE_2D);
    // One pixel wide: rows of 3 bytes, which a 4-byte row alignment would skew.
    const std::vector<uint8_t> rgb = {6, 5, 4, 3, 2, 1};
    const TextureId name = upload_mipmapped_texture(rgb, 1, 2);
    EXPECT_NE(name, 0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, name);
    EXPECT_EQ(texture_parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(texture_parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(level_parameter(0, GL_TEXTURE_WIDTH), 1);
    EXPECT_EQ(level_parameter(0, GL_TEXTURE_HEIGHT), 2);
    EXPECT_EQ(level_parameter(1, GL_TEXTURE_HEIGHT), 1);
    EXPECT_EQ(read_level(0, 1, 2), rgb);
}

TEST_F(TextureGl, BlankTextureIsBlackWithLinearFiltersAndNoMipmaps) {
    uint32_t table[3] = {0, 0, 0};
    create_blank_texture(table, 64, 3, GL_RGB, 1);
    EXPECT_EQ(table[0], 0u);
    EXPECT_EQ(table[2], 0u);
    ASSERT_NE(table[1], 0u);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<uint32_t>(bound), table[1]);
    EXPECT_EQ(level_parameter(0, GL_TEXTURE_WIDTH), 64);
    EXPECT_EQ(level_parameter(0, GL_TEXTURE_HEIGHT), 64);
    EXPECT_EQ(level_parameter(1, GL_TEXTURE_WIDTH), 0);
    EXPECT_EQ(texture_parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(texture_parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    const std::vector<uint8_t> texels = read_level(0, 64, 64);
    EXPECT_EQ(texels, std::vector<uint8_t>(texels.size(), 0));
}

TEST_F(TextureGl, EveryScenePictureIsLoadedIntoItsOwnTexture) {
    std::set<TextureId> names;
    for (int slot = 0; slot < texture_slot_count; ++slot) {
        SCOPED_TRACE(scene_texture_files[slot]);
        const TextureId name = scene_textures[slot];
        ASSERT_NE(name, 0);
        EXPECT_TRUE(glIsTexture(name));
        names.insert(name);
        glBindTexture(GL_TEXTURE_2D, name);
        EXPECT_GT(level_parameter(0, GL_TEXTURE_WIDTH), 0);
    }
    EXPECT_EQ(names.size(), static_cast<size_t>(texture_slot_count));
}

// The chain the show uploads (and the browser build, which has no GLU) against
// the one GLU builds here, level by level: the same texels where the sides are
// powers of two, within a level of rounding where GLU rescales first.
TEST_F(TextureGl, MipmapChainIsGlusLevelForLevel) {
    struct Case {
        int width, height, tolerance;
    } cases[] = {{256, 256, 0}, {64, 16, 0}, {1, 8, 0}, {8, 1, 0}, {2, 2, 0}, {3, 5, 1}, {12, 6, 1}};
    uint32_t seed = 7;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        std::vector<uint8_t> rgb(static_cast<size_t>(c.width) * c.height * 3);
        for (uint8_t& v : rgb) v = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, c.width, c.height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        const std::vector<MipmapLevel> chain = mipmap_chain(rgb, c.width, c.height);
        ASSERT_EQ(static_cast<GLint>(chain.size()), 1 + static_cast<GLint>(std::log2(std::max(
                                                          level_parameter(0, GL_TEXTURE_WIDTH),
                                                          level_parameter(0, GL_TEXTURE_HEIGHT)))));
        for (size_t level = 0; level < chain.size(); ++level) {
            const MipmapLevel& ours = chain[level];
            ASSERT_EQ(ours.width, level_parameter(static_cast<int>(level), GL_TEXTURE_WIDTH)) << level;
            ASSERT_EQ(ours.height, level_parameter(static_cast<int>(level), GL_TEXTURE_HEIGHT)) << level;
            const std::vector<uint8_t> glu = read_level(static_cast<int>(level), ours.width, ours.height);
            int worst = 0;
            for (size_t i = 0; i < glu.size(); ++i) worst = std::max(worst, std::abs(glu[i] - ours.rgb[i]));
            EXPECT_LE(worst, c.tolerance) << "level " << level;
        }
        glDeleteTextures(1, &name);
    }
}

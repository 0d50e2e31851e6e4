// Placeholder until the texture loader lands.
#include "resources/resources.h"

const char* const scene_texture_files[texture_slot_count] = {};
TextureId scene_textures[texture_slot_count] = {};
const char* const loading_texture_file = "data//loading.tga";
bool decode_tga(const uint8_t*, size_t, uint16_t*, uint16_t*, std::vector<uint8_t>*, std::string*) { return false; }
std::vector<uint8_t> read_tga_rgb(const char*, uint16_t*, uint16_t*) { return {}; }
TextureId upload_mipmapped_texture(const std::vector<uint8_t>&, uint16_t, uint16_t) { return 0; }
TextureId load_texture(const char*) { return 0; }
void load_scene_textures() {}
void create_blank_texture(uint32_t*, int, int, uint32_t, int) {}

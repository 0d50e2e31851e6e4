// Writes the default data pack: every picture, both meshes and settings.ini.
#include <string>

#include "datagen.h"
#include "resources/data_files.h"
#include "meshes.h"
#include "pictures.h"
#include "tga_file.h"

namespace {

// credits_ease_divisor and credits_particle_modulus, in the "%f\n%d" layout
// that start-up reads.
constexpr const char* settings_text = "10.000000\n1000\n";

}  // namespace

bool write_data_pack(const std::string& dir, std::string* error) {
    if (!open_fonts(error)) return false;
    for (const PictureRecipe& recipe : picture_recipes())
        if (!write_file(dir + "/" + recipe.path, encode_tga(make_picture(recipe)), error)) return false;
    return write_file(dir + "/" + data_folder_path(campfer_mesh_file), ef3_text(build_sculpture_body()), error) &&
           write_file(dir + "/" + data_folder_path(hose_mesh_file), ef3_text(build_sculpture_arm()), error) &&
           write_file(dir + "/" + data_folder_path(settings_file), std::string(settings_text), error);
}

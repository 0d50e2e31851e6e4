// The picture table of the data pack and the helpers its painters share.
#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>

#include "resources/data_files.h"

namespace {

// Size and painter of each picture, in the order of the show's picture table,
// the loading picture last.
struct Painting {
    int width;
    int height;
    void (*paint)(Image& img);
};

const Painting paintings[] = {
        {128, 128, paint_particle},
        {512, 256, paint_credit_mirl},
        {256, 256, paint_role_code},
        {256, 256, paint_role_graphics},
        {256, 256, paint_role_models},
        {512, 256, paint_credit_rennic},
        {256, 256, paint_role_sync},
        {512, 256, paint_credit_vek},
        {256, 256, paint_role_music},
        {256, 256, paint_fin_f},
        {256, 256, paint_fin_i},
        {256, 256, paint_fin_n},
        {256, 256, paint_facade_windows1},
        {256, 256, paint_facade_windows2},
        {256, 256, paint_road},
        {256, 256, paint_crossing},
        {512, 128, paint_sign},
        {256, 256, paint_facade_brick},
        {256, 256, paint_facade_concrete},
        {1024, 256, paint_title_kardel},
        {1024, 256, paint_title_demo},
        {1024, 256, paint_title_for},
        {1024, 256, paint_title_ostrel},
        {1024, 256, paint_title_zelvo},
        {256, 1024, paint_tunnel},
        {256, 512, paint_wood_door},
        {256, 128, paint_wood_rail},
        {512, 512, paint_marble},
        {128, 256, paint_metal},
        {256, 256, paint_wood_planks},
        {512, 512, paint_office_wall},
        {512, 512, paint_ceiling},
        {512, 128, [](Image& img) { paint_plate(img, 0); }},
        {512, 128, [](Image& img) { paint_plate(img, 1); }},
        {512, 128, [](Image& img) { paint_plate(img, 2); }},
        {512, 128, [](Image& img) { paint_plate(img, 3); }},
        {512, 128, [](Image& img) { paint_plate(img, 4); }},
        {512, 128, [](Image& img) { paint_plate(img, 5); }},
        {512, 128, [](Image& img) { paint_plate(img, 6); }},
        {512, 128, [](Image& img) { paint_plate(img, 7); }},
        {512, 128, [](Image& img) { paint_plate(img, 8); }},
        {512, 128, [](Image& img) { paint_plate(img, 9); }},
        {512, 128, [](Image& img) { paint_plate(img, 10); }},
        {512, 128, [](Image& img) { paint_plate(img, 11); }},
        {512, 128, [](Image& img) { paint_plate(img, 12); }},
        {512, 128, [](Image& img) { paint_plate(img, 13); }},
        {512, 128, paint_plate_zelvo},
        {512, 256, paint_ball},
        {512, 512, paint_swirl},
        {1024, 512, paint_loading},
};

static_assert(std::size(paintings) == scene_picture_count + 1);

}  // namespace

const std::vector<PictureRecipe>& picture_recipes() {
    // The names come from the table the show loads its pictures by.
    static const std::vector<std::string> paths = [] {
        std::vector<std::string> names;
        for (const char* file : scene_texture_files) names.push_back(data_folder_path(file));
        names.push_back(data_folder_path(loading_texture_file));
        return names;
    }();
    static const std::vector<PictureRecipe> recipes = [] {
        std::vector<PictureRecipe> table;
        for (size_t i = 0; i < paths.size(); ++i)
            table.push_back({paths[i].c_str(), paintings[i].width, paintings[i].height, paintings[i].paint});
        return table;
    }();
    return recipes;
}

Image make_picture(const PictureRecipe& recipe) {
    Image img(recipe.width, recipe.height);
    recipe.paint(img);
    return img;
}

Frame frame_for(const Image& img, float drawn_w, float drawn_h) {
    return {img.width / drawn_w, img.height / drawn_h};
}

Mask text_layer(const Image& img, const std::string& text, const TextStyle& style, Frame f, float cx,
                float baseline_y) {
    int baseline_row = 0;
    Mask glyphs = render_text(text, style, f.sx, f.sy, 0, &baseline_row);
    Mask layer(img.width, img.height);
    int x = static_cast<int>(std::lround(cx - glyphs.width * 0.5f));
    int y = static_cast<int>(std::lround(baseline_y)) - baseline_row;
    stamp_max(layer, glyphs, x, y);
    return layer;
}

float fit_size(const std::string& text, TextStyle style, float max_w, float max_h) {
    float w = 0.0f, h = 0.0f;
    measure_text(text, style, &w, &h);
    if (w <= 0.0f || h <= 0.0f) return style.size;
    return style.size * std::min(max_w / w, max_h / h);
}

void add_glow(Image& img, const Mask& layer, Frame f, const Glow& glow) {
    Mask tight = blur(layer, glow.tight_radius * f.sx, glow.tight_radius * f.sy);
    Mask wide = blur(layer, glow.wide_radius * f.sx, glow.wide_radius * f.sy);
    scale_mask(tight, glow.tight_strength);
    scale_mask(wide, glow.wide_strength);
    add_light(img, wide, glow.glow);
    add_light(img, tight, glow.glow);
    add_light(img, layer, glow.core);
}

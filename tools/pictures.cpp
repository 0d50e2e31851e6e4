// The picture table of the data pack and the helpers its painters share.
#include "pictures.h"

#include <algorithm>
#include <cmath>

const std::vector<PictureRecipe>& picture_recipes() {
    static const std::vector<PictureRecipe> recipes = {
        {"credits/particle.tga", 128, 128, paint_particle},
        {"credits/mirl.tga", 512, 256, paint_credit_mirl},
        {"credits/cod.tga", 256, 256, paint_role_code},
        {"credits/gfx.tga", 256, 256, paint_role_graphics},
        {"credits/mdl.tga", 256, 256, paint_role_models},
        {"credits/rennic.tga", 512, 256, paint_credit_rennic},
        {"credits/sync.tga", 256, 256, paint_role_sync},
        {"credits/vek.tga", 512, 256, paint_credit_vek},
        {"credits/zik.tga", 256, 256, paint_role_music},
        {"fin/end_f.tga", 256, 256, paint_fin_f},
        {"fin/end_i.tga", 256, 256, paint_fin_i},
        {"fin/end_n.tga", 256, 256, paint_fin_n},
        {"city/ablak1.tga", 256, 256, paint_facade_windows1},
        {"city/ablak2.tga", 256, 256, paint_facade_windows2},
        {"city/ut1.tga", 256, 256, paint_road},
        {"city/keresztezodes1.tga", 256, 256, paint_crossing},
        {"city/kardel1.tga", 512, 128, paint_sign},
        {"city/tex1.tga", 256, 256, paint_facade_brick},
        {"city/tex2.tga", 256, 256, paint_facade_concrete},
        {"text/kardel1.tga", 1024, 256, paint_title_kardel},
        {"text/demo.tga", 1024, 256, paint_title_demo},
        {"text/for.tga", 1024, 256, paint_title_for},
        {"text/ostrel.tga", 1024, 256, paint_title_ostrel},
        {"text/zelvo.tga", 1024, 256, paint_title_zelvo},
        {"tunnel1/tunnel4.tga", 256, 1024, paint_tunnel},
        {"greetz/office/fa3.tga", 256, 512, paint_wood_door},
        {"greetz/office/fa2.tga", 256, 128, paint_wood_rail},
        {"greetz/office/marvany3.tga", 512, 512, paint_marble},
        {"greetz/office/vas1.tga", 128, 256, paint_metal},
        {"greetz/office/fa1.tga", 256, 256, paint_wood_planks},
        {"greetz/office/irodahaz_fal1.tga", 512, 512, paint_office_wall},
        {"greetz/office/plafon1.tga", 512, 512, paint_ceiling},
        {"greetz/grp01.tga", 512, 128, [](Image& img) { paint_plate(img, 0); }},
        {"greetz/grp02.tga", 512, 128, [](Image& img) { paint_plate(img, 1); }},
        {"greetz/grp03.tga", 512, 128, [](Image& img) { paint_plate(img, 2); }},
        {"greetz/grp04.tga", 512, 128, [](Image& img) { paint_plate(img, 3); }},
        {"greetz/grp05.tga", 512, 128, [](Image& img) { paint_plate(img, 4); }},
        {"greetz/grp06.tga", 512, 128, [](Image& img) { paint_plate(img, 5); }},
        {"greetz/grp07.tga", 512, 128, [](Image& img) { paint_plate(img, 6); }},
        {"greetz/grp08.tga", 512, 128, [](Image& img) { paint_plate(img, 7); }},
        {"greetz/grp09.tga", 512, 128, [](Image& img) { paint_plate(img, 8); }},
        {"greetz/grp10.tga", 512, 128, [](Image& img) { paint_plate(img, 9); }},
        {"greetz/grp11.tga", 512, 128, [](Image& img) { paint_plate(img, 10); }},
        {"greetz/grp12.tga", 512, 128, [](Image& img) { paint_plate(img, 11); }},
        {"greetz/grp13.tga", 512, 128, [](Image& img) { paint_plate(img, 12); }},
        {"greetz/grp14.tga", 512, 128, [](Image& img) { paint_plate(img, 13); }},
        {"greetz/zelvo.tga", 512, 128, paint_plate_zelvo},
        {"object/sphere1.tga", 512, 256, paint_ball},
        {"object/swirl1.tga", 512, 512, paint_swirl},
        {"loading.tga", 1024, 512, paint_loading},
    };
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

// The pictures of the default data pack: their files, sizes and painters.
//
// Every picture is designed in the units in which a scene draws it (a title card
// is 720 x 190 screen units, a facade tile one unit wide and one storey high, a
// door plate 0.6 x 0.2) and painted straight into its power-of-two image, so a
// picture that the scene stretches is stored pre-squeezed and looks right on
// screen. Pictures that are added to the frame are light on pure black with a
// black border; pictures that a scene repeats tile without a seam.
#pragma once

#include <string>
#include <vector>

#include "image.h"
#include "text_render.h"

struct PictureRecipe {
    const char* path;  // inside the data folder, single slashes
    int width;
    int height;
    void (*paint)(Image& img);
};

// Every picture in the order the demo loads them, the loading picture last.
const std::vector<PictureRecipe>& picture_recipes();

// Paints one picture.
Image make_picture(const PictureRecipe& recipe);

// ---- helpers shared by the painters ----

// Pixels per design unit across and down, for a picture of w x h pixels drawn
// drawn_w x drawn_h units.
struct Frame {
    float sx, sy;
};
Frame frame_for(const Image& img, float drawn_w, float drawn_h);

// The text's coverage placed in a mask of the picture's size: its ink centred
// on x = cx, its baseline on y = baseline_y (pixels).
Mask text_layer(const Image& img, const std::string& text, const TextStyle& style, Frame f, float cx,
                float baseline_y);

// The largest em size (design units) at which text fits max_w x max_h units.
float fit_size(const std::string& text, TextStyle style, float max_w, float max_h);

// Adds text as light: a bright core plus a tight and a wide glow, radii in design units.
struct Glow {
    Colour core;
    Colour glow;
    float tight_radius;
    float tight_strength;
    float wide_radius;
    float wide_strength;
};
void add_glow(Image& img, const Mask& layer, Frame f, const Glow& glow);

// Painters, one per picture (defined by concern in pictures_*.cpp).
void paint_particle(Image& img);
void paint_credit_mirl(Image& img);
void paint_credit_rennic(Image& img);
void paint_credit_vek(Image& img);
void paint_role_code(Image& img);
void paint_role_graphics(Image& img);
void paint_role_models(Image& img);
void paint_role_sync(Image& img);
void paint_role_music(Image& img);
void paint_fin_f(Image& img);
void paint_fin_i(Image& img);
void paint_fin_n(Image& img);
void paint_icon(Image& img);
void paint_title_kardel(Image& img);
void paint_title_demo(Image& img);
void paint_title_for(Image& img);
void paint_title_ostrel(Image& img);
void paint_title_zelvo(Image& img);
void paint_loading(Image& img);

void paint_facade_windows1(Image& img);
void paint_facade_windows2(Image& img);
void paint_facade_brick(Image& img);
void paint_facade_concrete(Image& img);
void paint_road(Image& img);
void paint_crossing(Image& img);
void paint_sign(Image& img);

void paint_wood_door(Image& img);
void paint_wood_rail(Image& img);
void paint_wood_planks(Image& img);
void paint_marble(Image& img);
void paint_metal(Image& img);
void paint_office_wall(Image& img);
void paint_ceiling(Image& img);
// Door plates: the fourteen greeted groups (index 0 ... 13) and the production's own.
void paint_plate(Image& img, int group);
void paint_plate_zelvo(Image& img);
// The invented group name on plate index 0 ... 13.
const char* group_name(int group);

void paint_tunnel(Image& img);
void paint_ball(Image& img);
void paint_swirl(Image& img);

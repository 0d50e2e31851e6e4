// The files of the data folder: one table for the program, the data-pack
// generator and the tests. Header only and free of GL, so the generator uses it
// without linking anything of the program.
//
// Paths are the ones the show opens, relative to its working directory and
// written with the doubled slashes it has always used; data_folder_path gives a
// file's place inside the data folder itself.
#pragma once

#include <string>

// The scene pictures in the order start-up loads them (one texture slot each).
inline constexpr int scene_picture_count = 49;
inline constexpr const char* scene_texture_files[scene_picture_count] = {
    "data//credits//particle.tga",
    "data//credits//mirl.tga",
    "data//credits//cod.tga",
    "data//credits//gfx.tga",
    "data//credits//mdl.tga",
    "data//credits//rennic.tga",
    "data//credits//sync.tga",
    "data//credits//vek.tga",
    "data//credits//zik.tga",
    "data//fin//end_f.tga",
    "data//fin//end_i.tga",
    "data//fin//end_n.tga",
    "data//city//ablak1.tga",
    "data//city//ablak2.tga",
    "data//city//ut1.tga",
    "data//city//keresztezodes1.tga",
    "data//city//kardel1.tga",
    "data//city//tex1.tga",
    "data//city//tex2.tga",
    "data//text//kardel1.tga",
    "data//text//demo.tga",
    "data//text//for.tga",
    "data//text//ostrel.tga",
    "data//text//zelvo.tga",
    "data//tunnel1//tunnel4.tga",
    "data//greetz//office//fa3.tga",
    "data//greetz//office//fa2.tga",
    "data//greetz//office//marvany3.tga",
    "data//greetz//office//vas1.tga",
    "data//greetz//office//fa1.tga",
    "data//greetz//office//irodahaz_fal1.tga",
    "data//greetz//office//plafon1.tga",
    "data//greetz//grp01.tga",
    "data//greetz//grp02.tga",
    "data//greetz//grp03.tga",
    "data//greetz//grp04.tga",
    "data//greetz//grp05.tga",
    "data//greetz//grp06.tga",
    "data//greetz//grp07.tga",
    "data//greetz//grp08.tga",
    "data//greetz//grp09.tga",
    "data//greetz//grp10.tga",
    "data//greetz//grp11.tga",
    "data//greetz//grp12.tga",
    "data//greetz//grp13.tga",
    "data//greetz//grp14.tga",
    "data//greetz//zelvo.tga",
    "data//object//sphere1.tga",
    "data//object//swirl1.tga",
};

inline constexpr const char* loading_texture_file = "data//loading.tga";
inline constexpr const char* campfer_mesh_file = "data//object//campfer3.ef3";
inline constexpr const char* hose_mesh_file = "data//object//hose3.ef3";
inline constexpr const char* settings_file = "data//settings.ini";
inline constexpr const char* soundtrack_file = "data//kardel.mp3";

// "data//credits//particle.tga" -> "credits/particle.tga".
inline std::string data_folder_path(const char* show_path) {
    const std::string prefix = "data//";
    const char* p = show_path;
    if (std::string(p).rfind(prefix, 0) == 0) p += prefix.size();
    std::string path;
    for (; *p != '\0'; ++p) {
        path += *p;
        if (p[0] == '/' && p[1] == '/') ++p;
    }
    return path;
}

// Resources: everything made once at start-up and read-only afterwards.
//
// Owns the scene textures (loaded from uncompressed 24-bit TGA pictures), the
// two EF3 meshes, the whole-degree sine and cosine tables with the vector
// operations built on them, the turned shapes of the street lamps and balls,
// the demo's own random number generator and the table of data files (the
// TGA decoder beneath them is the codecs'). Needs a current GL context for
// the textures; the parsers, tables and builders are pure and usable without
// one. Loaders report a failure to their caller with a message naming the
// file; they never end the program. Nothing here is freed before the process
// ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "codecs/codecs.h"
#include "resources/data_files.h"

// ---- Files ----

// The path as messages show it: the show's file names are written with doubled
// slashes ("data//object//hose3.ef3"), shown with single ones.
std::string shown_path(const std::string& path);

// Reads a whole regular file of at most limit bytes into *bytes. Returns false
// with *error set to the reason (the system's text, "not a regular file", ...);
// *opened, when given, tells whether the file could be opened at all.
bool read_whole_file(const char* path, size_t limit, std::vector<uint8_t>* bytes, std::string* error,
                     bool* opened = nullptr);

// An OpenGL texture name as the loader hands it out.
using TextureId = uint16_t;

struct Vec3 {
    float x, y, z;
};

struct Point2 {
    float x, y;
};

// An indexed triangle mesh read from an EF3 file.
struct Mesh {
    std::vector<Vec3> vertices;
    std::vector<int32_t> faces;  // three vertex indices per triangle
    int32_t face_count = 0;
    int32_t vertex_count = 0;
};

// A table of ready vertices built by one of the shape builders.
using Shape = std::vector<Vec3>;

// ---- Scene textures, in the order start-up loads them ----

enum TextureSlot {
    tex_credits_particle, tex_credits_mirl, tex_credits_cod, tex_credits_gfx, tex_credits_mdl,
    tex_credits_rennic, tex_credits_sync, tex_credits_vek, tex_credits_zik,
    tex_fin_f, tex_fin_i, tex_fin_n,
    tex_city_window1, tex_city_window2, tex_city_road, tex_city_crossing, tex_city_sign,
    tex_city_facade3, tex_city_facade4,
    tex_title_kardel, tex_title_demo, tex_title_for, tex_title_ostrel, tex_title_zelvo,
    tex_tunnel_wall,
    tex_office_wood3, tex_office_wood2, tex_office_marble, tex_office_metal, tex_office_wood1,
    tex_office_wall, tex_office_ceiling,
    tex_greet_01, tex_greet_02, tex_greet_03, tex_greet_04, tex_greet_05, tex_greet_06,
    tex_greet_07, tex_greet_08, tex_greet_09, tex_greet_10, tex_greet_11, tex_greet_12,
    tex_greet_13, tex_greet_14, tex_greet_zelvo,
    tex_object_sphere, tex_object_swirl,
    texture_slot_count
};

// scene_texture_files (data_files.h) names the file of each slot.
static_assert(texture_slot_count == scene_picture_count);

// The loaded scene textures, filled by load_scene_textures.
extern TextureId scene_textures[texture_slot_count];

// ---- TGA pictures: decode_tga and read_tga_rgb, in codecs/codecs.h ----

// One level of a mipmap chain: width x height RGB rows.
struct MipmapLevel {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

// The mipmap chain GLU's gluBuild2DMipmaps makes of RGB rows: level 0 is the
// picture, rescaled (box filter) to the nearest powers of two where its sides
// are not; each further level averages 2 x 2 pixels of the one before
// (rounding halves up), or 2 pixels once a side is 1 (rounding down), down to
// 1 x 1. Pure; used by upload_mipmapped_texture.
std::vector<MipmapLevel> mipmap_chain(const std::vector<uint8_t>& rgb, int width, int height);

// Uploads RGB rows with a full mipmap chain; leaves the texture bound and
// GL_TEXTURE_2D enabled. Returns the texture name truncated to 16 bits.
TextureId upload_mipmapped_texture(const std::vector<uint8_t>& rgb, uint16_t width, uint16_t height);

// Reads and uploads one picture. Called at start-up only. False with *error set
// to "PATH:\nPROBLEM" when the picture cannot be read.
bool load_texture(const char* path, TextureId* texture, std::string* error);

// Loads every scene texture in slot order, stopping at the first that fails
// (*error as load_texture's). Called once by start-up.
bool load_scene_textures(std::string* error);

// Creates a blank size x size texture of the given component count and pixel
// format, linear filters, no mipmaps, and stores its name at table[index].
// Called once at start-up for the capture texture.
void create_blank_texture(uint32_t* table, int size, int components, uint32_t format, int index);

// ---- Meshes ----

// Parses EF3 text (counts, vertices, triangles; a byte-order mark before them
// is skipped). Returns false with *error set to "line N: PROBLEM" for a token
// that is not a whole number where one belongs, text that ends before the last
// triangle, counts that are negative or too large, a coordinate that is not
// finite, or an index outside the vertex list. Anything after the last
// triangle is ignored.
bool parse_ef3(const std::string& text, Mesh* mesh, std::string* error);

// Loads an EF3 file into *mesh. False with *error set to "File IO error" when
// the file cannot be read (*cause, when given, then says "PATH: REASON"), or to
// "PATH: line N: PROBLEM" when its contents are refused (PATH as shown_path writes it).
bool load_mesh(const char* path, Mesh* mesh, std::string* error, std::string* cause = nullptr);

// The three corners of triangle face, in file order, as the mesh is drawn.
void mesh_triangle_corners(const Vec3* vertices, const int32_t* faces, int32_t face, Vec3 corners[3]);

extern Mesh campfer_mesh;  // the sculpture's body
extern Mesh hose_mesh;     // the sculpture's arm

// ---- Angle tables and vector math ----

// Fills sin_table and cos_table for -359 ... 360 degrees. The first step of start-up's builder.
void build_angle_tables();

// Rounds halves toward positive infinity: 2.5 -> 3, -2.5 -> -2.
int round_half_up(float x);

// The magnitude of x.
float abs_float(float x);

// Sine and cosine of whole degrees from the tables; angles beyond +-359 wrap.
float sin_deg(int degrees);
float cos_deg(int degrees);

Vec3 vec3_sub(Vec3 a, Vec3 b);
Vec3 vec3_cross(Vec3 a, Vec3 b);
// Scales v to unit length in place (a zero vector becomes non-finite).
void vec3_normalize(Vec3& v);

// ---- Shapes ----

// Two rings of n points, bottom (radius r1 at -h/2) then top (radius r2 at +h/2).
Shape build_tube_rings(float r1, float r2, float h, uint16_t n);
// Four rings of n points: outer bottom a, outer top b, inner bottom c, inner top d, height e.
Shape build_shell_rings(float a, float b, float c, float d, float e, uint16_t n);
// A sphere grid of radius R: n rounded up to even m, m/2 rows of m columns, row 0 the +y pole.
Shape build_sphere_grid(float R, uint16_t n);

// ---- Random numbers ----

// The demo's rand: 32-bit LCG (state * 214013 + 2531011, seed 1), bits 16-30,
// so 0 ... 32767; one sequence shared by every scene.
int demo_rand();

// Puts the generator back to its seed; for tests.
void reset_demo_rand();

// 1 / 32767: a demo_rand result times this is a fraction in 0 ... 1 inclusive.
constexpr float demo_rand_scale = 3.0518509e-05f;

// Placeholder until the resources land.
#include "resources/resources.h"

bool parse_ef3(const std::string&, Mesh*, std::string*, std::string*) { return false; }
Mesh load_mesh(const char*) { return {}; }
void draw_mesh(const Vec3*, const int32_t*, int32_t) {}
Mesh campfer_mesh;
Mesh hose_mesh;
void build_angle_tables() {}
int round_half_up(float) { return 0; }
float abs_float(float x) { return x < 0 ? -x : x; }
float sin_deg(int) { return 0; }
float cos_deg(int) { return 0; }
Vec3 vec3_sub(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 vec3_cross(Vec3 a, Vec3) { return a; }
void vec3_normalize(Vec3&) {}
Shape build_tube_rings(float, float, float, uint16_t) { return {}; }
Shape build_shell_rings(float, float, float, float, float, uint16_t) { return {}; }
Shape build_sphere_grid(float, uint16_t) { return {}; }
Shape lamp_base_tube, lamp_collar_tube, lamp_pole_tube, lamp_shade_shell, ball_sphere_grid, knob_sphere_grid;
int init_gl_state() { return 1; }

// Placeholder until the render kit lands.
#include "render/render.h"

Vec3 vec3_make(float x, float y, float z) { return {x, y, z}; }
Vec3 face_normal(Vec3 a, Vec3, Vec3) { return a; }
void emit_triangle(Vec3, Vec3, Vec3) {}
void emit_quad(Vec3, Vec3, Vec3, Vec3) {}
void emit_textured_quad(Vec3, Vec3, Vec3, Vec3, float, float, float, float, float, float, float, float) {}
void textured_box_faces(float, float, float, BoxFace*) {}
const float box_face_texcoords[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
void draw_textured_box(float, float, float) {}
Vec3 bezier_point(Vec3 p0, Vec3, Vec3, Vec3, float) { return p0; }
Point2 profile_point(Point2 q0, Point2, Point2, Point2, Point2, Point2, float) { return q0; }
void camera_path_update(CameraPath&, uint32_t) {}
void camera_path_look(CameraPath&, uint32_t) {}

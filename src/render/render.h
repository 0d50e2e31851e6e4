// Render kit: the drawing operations several scenes share.
//
// Projections (the 800 x 600 orthographic screen and the two perspectives), the
// full-screen fade overlay, the light presets, the three face emitters that send
// one flat normal per face, the textured box, the cubic Bezier and tunnel
// profile curves and the camera-path rule. The geometry each operation produces
// is reachable as plain data (corner tables, normals, the camera for a time) so
// it can be checked without a GL context; the GL calls are a thin layer over it.
// Keeps no state apart from each camera path's held eye and centre.
#pragma once

#include <cstdint>

#include "resources/resources.h"

// ---- Projections, overlays and lights ----

// Projection = 800 x 600 orthographic screen, y up, depth 0 ... 1; model-view identity.
void set_ortho_screen();
// Projection = perspective fov degrees, aspect 4:3, near 0.1, far 5000; model-view identity.
void set_perspective(float fov);
// As set_perspective with near 0.5 and far 80 (the first city visit).
void set_perspective_short(float fov);
// Draws one full-screen quad of colour (r, g, b, alpha) blended over the frame,
// writing depth 0, then sets the perspective with fov. Leaves texturing on, blending off.
void fade_overlay(float r, float g, float b, float alpha, float fov);
// Applies the light preset named by code ('v', 'b', 'i', 'o'), then enables GL_LIGHTING.
void apply_light_preset(char code);

// ---- Face emitters (called between glBegin and glEnd) ----

Vec3 vec3_make(float x, float y, float z);
// Unit normal of the triangle a, b, c: counter-clockwise seen by a viewer points at the viewer.
Vec3 face_normal(Vec3 a, Vec3 b, Vec3 c);
void emit_triangle(Vec3 a, Vec3 b, Vec3 c);
void emit_quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d);
void emit_textured_quad(Vec3 a, Vec3 b, Vec3 c, Vec3 d, float sa, float ta, float sb, float tb,
                        float sc, float tc, float sd, float td);

// ---- Textured box ----

struct BoxFace {
    Vec3 corners[4];
};

// The six faces of a box centred on the origin (front, back, left, right, top,
// bottom) with their corners in emission order.
void textured_box_faces(float width, float height, float depth, BoxFace faces[6]);

// Texture coordinates of every box face's corners c1 ... c4.
extern const float box_face_texcoords[4][2];

// Draws the box in one GL_QUADS batch with the bound texture stretched once over each face.
void draw_textured_box(float width, float height, float depth);

// ---- Curves and camera paths ----

// Cubic Bezier point at t.
Vec3 bezier_point(Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, float t);
// The tunnel's closed degree-five profile curve (weights 1, 3, 9, 9, 3, 1) at t.
Point2 profile_point(Point2 q0, Point2 q1, Point2 q2, Point2 q3, Point2 q4, Point2 q5, float t);

// A scene's camera flight: segment k covers windows[k][0] <= a < windows[k][1];
// eye and centre follow their own cubic Bezier curve within each segment.
struct CameraPath {
    int segment_count;
    const uint32_t (*windows)[2];
    const Vec3 (*eye_points)[4];
    const Vec3 (*centre_points)[4];
    Vec3 held_eye;     // where the last matching frame put the eye
    Vec3 held_centre;  // where the last matching frame put the centre
};

// Updates the path's held eye and centre for scene-local time a (unchanged when
// no window holds a). Pure; camera_path_look calls it.
void camera_path_update(CameraPath& path, uint32_t a);

// Updates the held eye and centre for a and sets the view with gluLookAt, up (0, 1, 0).
// Called once per frame by a scene before it draws anything.
void camera_path_look(CameraPath& path, uint32_t a);

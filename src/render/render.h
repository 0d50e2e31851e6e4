// Render kit: the drawing operations several scenes share.
//
// Projections (the 800 x 600 orthographic screen and the two perspectives), the
// full-screen fade overlay, the light presets, the three face emitters that send
// one flat normal per face, the textured box, the mesh and sphere-grid drawers,
// placement chains, the cubic Bezier and tunnel profile curves, the camera-path
// rule, and the post effects: the frame capture with its zoom blur and the
// colour-inversion overlay. The geometry each operation produces is reachable
// as plain data (corner tables, normals, placements, the camera for a time) so
// it can be checked without a GL context; the GL calls are a thin layer over it.
// Keeps no state apart from each camera path's held eye and centre and the
// capture texture. Needs resources (tables, shapes, meshes); never the scenes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "resources/resources.h"

// ---- Drawing path ----

// Set once by the shell before start-up. True (--reference) sends every face
// through the immediate-mode emitters below, face by face, as the scenes were
// first written; false draws the same faces from arrays built once. Both paths
// draw the same pixels; the straightforward one stays to check the other.
extern bool reference_drawing;

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

// A face as data: four corners in emission order (normal from the first three).
struct Quad {
    Vec3 corners[4];
};

// A textured face as data: corners in emission order and the (s, t) of each.
struct TexturedQuad {
    Vec3 corners[4];
    float texcoords[4][2];
};

// emit_quad / emit_textured_quad of the face's own corners (and coordinates).
void emit_plain(const Quad& q);
void emit_textured(const TexturedQuad& q);

// ---- Face arrays ----

// A corner as the emitters send it, laid out for glInterleavedArrays'
// GL_T2F_N3F_V3F: texture coordinate, the face's normal, position. Untextured
// faces carry (0, 0), which nothing reads while texturing is off.
struct ArrayVertex {
    float s, t;
    float nx, ny, nz;
    float x, y, z;
};

// Faces laid end to end, four corners a quad or three a triangle, each corner
// with its face's normal from face_normal. Built once for constant geometry;
// drawing it sends the same vertices, normals and coordinates as the emitters.
using FaceArray = std::vector<ArrayVertex>;

// The four corners of a face, each with the face's normal.
void quad_corners(const Quad& q, ArrayVertex corners[4]);
void textured_quad_corners(const TexturedQuad& q, ArrayVertex corners[4]);

void append_quad(FaceArray& array, const Quad& q);
void append_textured_quad(FaceArray& array, const TexturedQuad& q);
void append_triangle(FaceArray& array, Vec3 a, Vec3 b, Vec3 c);

// Draws count corners as GL_QUADS, or as GL_TRIANGLES, in one call.
void draw_quad_array(const ArrayVertex* corners, size_t count);
void draw_triangle_array(const ArrayVertex* corners, size_t count);
// The same for the corners [first, first + count) of an array.
void draw_quad_array(const FaceArray& array, size_t first = 0, size_t count = SIZE_MAX);
void draw_triangle_array(const FaceArray& array, size_t first = 0, size_t count = SIZE_MAX);

// For a run of draws from one array: enables and points the client arrays
// once, then draws ranges of it; the end disables the client arrays again.
void begin_array_draws(const FaceArray& array);
void draw_array_quads(size_t first, size_t count);
void end_array_draws();

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

// ---- Meshes and sphere grids ----

// Draws every triangle flat-shaded in one GL_TRIANGLES batch.
void draw_mesh(const Vec3* vertices, const int32_t* faces, int32_t face_count);
// The triangles as draw_mesh sends them, for draw_triangle_array.
void mesh_face_array(const Vec3* vertices, const int32_t* faces, int32_t face_count, FaceArray* array);

// The quads of a ball over a sphere grid built with the same segment count, in
// drawing order: the bands (rows 1 ... rows - 2, each closed at the seam), then
// the caps (top then bottom quad per column, closing quads last), whose last two
// corners meet at the pole (0, +-pole_distance, 0). Texture coordinates are
// (k / count, r / rows), s = 1 at the seam, t = 0 at the top pole and 1 at the
// bottom. Row 0 is never read. False, with no quads, when the count (segments
// rounded up to even) is below 4 or the grid does not hold count / 2 rows of count.
bool grid_sphere_quads(const Shape& grid, float pole_distance, uint16_t segments,
                       std::vector<TexturedQuad>* quads);

// ---- Placement chains ----

// A scene places its parts with a chain of matrix moves kept as data. The GL
// layer replays the chain with glPushMatrix, glTranslatef, glRotatef and
// glPopMatrix, drawing part k where the chain says so; tests replay the same
// chain on the CPU to learn where every part stands.
enum class MoveKind { push, pop, translate, rotate, part };

struct Move {
    MoveKind kind;
    float x, y, z;   // translate: the offset; rotate: the axis
    float degrees;   // rotate: the angle, counter-clockwise about the axis
    int part;        // part: which of the scene's parts stands here
};

constexpr Move push_move() { return {MoveKind::push, 0, 0, 0, 0, 0}; }
constexpr Move pop_move() { return {MoveKind::pop, 0, 0, 0, 0, 0}; }
constexpr Move translate_move(float x, float y, float z) { return {MoveKind::translate, x, y, z, 0, 0}; }
constexpr Move rotate_move(float degrees, float x, float y, float z) {
    return {MoveKind::rotate, x, y, z, degrees, 0};
}
constexpr Move part_move(int part) { return {MoveKind::part, 0, 0, 0, 0, part}; }

// Sends one push, pop, translation or rotation to the model-view matrix; a part does nothing.
void apply_move(const Move& move);

// A model-view matrix on the CPU, column-major as GL keeps it.
struct Placement {
    float m[16];
};

Placement placement_identity();
// Where a local point lands, and where a local direction points (unit vectors stay unit).
Vec3 placement_point(const Placement& p, Vec3 local);
Vec3 placement_direction(const Placement& p, Vec3 local);

// Replays moves from the identity as GL would. Appends the matrix current at
// every part move to *parts (when given) and returns the matrix after the last move.
Placement replay_moves(const Move* moves, int count, std::vector<Placement>* parts);

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

// ---- Frame capture, zoom blur and inversion ----

// The capture texture table (one entry): 512 x 512 RGB, made once at start-up.
extern uint32_t capture_textures[1];

// Perspective fov, push the model-view matrix, viewport 512 x 512. The scene follows.
void begin_capture(float fov);
// Copies the capture, clears, adds the passes of mode, restores the 800 x 600
// viewport and the perspective with fov. Pops the matrix begin_capture pushed.
void compose_capture(int slot, char mode, float fov);
// Replaces every pixel by its complement, then sets the perspective with fov.
void invert_screen(float fov);

// One zoom-blur mode: pass i shows the capture with inset i * inset_step at pass_alpha.
struct CaptureMode {
    char code;
    int passes;
    float inset_step;
    float pass_alpha;
};

// The mode for a code ('h', 'g', 'f'), or nullptr for any other character.
const CaptureMode* find_capture_mode(char code);

// Texture coordinates paired with the full-screen corners (0, 0), (0, 600),
// (800, 600), (800, 0) for a pass with inset d.
void capture_pass_texcoords(float d, float texcoords[4][2]);

// Render kit: the drawing operations several scenes share.
//
// The frame's layout (the 800 x 600 screen fitted into a frame of any size),
// projections (the 800 x 600 orthographic screen and the two perspectives), the
// full-screen fade overlay, the light presets, faces with one flat normal each,
// the box, meshes and sphere grids as faces, placement chains, draw lists (what
// a scene draws, as data, and the one function that draws it, face by face or
// from arrays), the cubic Bezier and tunnel profile curves, the camera-path
// rule, and the post effects: the frame capture with its zoom blur and the
// colour-inversion overlay. The geometry each operation produces is reachable
// as plain data (corners, normals, placements, the camera for a time) so it can
// be checked without a GL context; the GL calls are a thin layer over it.
// Keeps no state apart from the drawing path, the frame's layout, the capture
// texture and the player's held picture (a camera path's held eye and centre
// belong to its scene). Needs resources (tables, shapes, meshes) and the
// platform's frame size; never the scenes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "resources/resources.h"

// ---- Drawing path ----

// Set once by the shell before start-up; only draw_list reads it. True
// (--reference) sends every face of a draw list through the immediate-mode
// emitters, face by face; false draws the same corners from arrays. Both paths
// draw the same pixels; the straightforward one stays to check the other.
extern bool reference_drawing;

// ---- The frame's layout (layout.cpp) ----

// Where the 800 x 600 screen lies in a frame of some size, and the pixel sizes
// that follow from it. Everything drawn in the screen's coordinates scales
// with the picture; what is sized in pixels scales by picture_height / 600.
struct FrameLayout {
    int width = 800;  // the frame drawn
    int height = 600;
    // The largest 4:3 rectangle of the frame, centred between black bars.
    int x = 0;
    int y = 0;
    int picture_width = 800;
    int picture_height = 600;
    int capture_size = 512;          // the blur's square: round(512 x picture_height / 600)
    int capture_texture_size = 512;  // the smallest power of two that holds it
};

// The layout of a width x height frame. Pure.
FrameLayout frame_layout(int width, int height);

// The smallest power of two not below n (1 for n up to 1): the size of a
// texture that holds n pixels where GL takes no other sizes.
int power_of_two_above(int n);

// The layout frames are drawn with now (800 x 600 until set_frame_size).
const FrameLayout& current_frame_layout();

// Lays the screen out in a width x height frame: the viewport becomes the
// picture's rectangle and a capture texture already made is made anew when its
// square needs another size. Called at start-up and when the frame's size changes.
void set_frame_size(int width, int height);

// Takes the platform's frame size: set_frame_size when it differs from the
// layout's. Called by the shell before every frame it draws.
void follow_frame_size();

// With the context current: empty when the GL can draw a width x height frame's
// capture texture, else which limit refuses it ("the GL's largest texture is
// 8192 x 8192"). The shell asks before anything is drawn.
std::string frame_size_refusal(int width, int height);

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

// ---- Faces ----

// Unit normal of the triangle a, b, c: counter-clockwise seen by a viewer points at the viewer.
// A quad is shaded with the plane of its first three corners.
Vec3 face_normal(Vec3 a, Vec3 b, Vec3 c);

// A face as data: four corners in emission order (normal from the first three).
struct Quad {
    Vec3 corners[4];
};

// A textured face as data: corners in emission order and the (s, t) of each.
struct TexturedQuad {
    Vec3 corners[4];
    float texcoords[4][2];
};

// ---- Face arrays ----

// A corner as the emitters send it, laid out as GL_T2F_N3F_V3F: texture
// coordinate, the face's normal, position. Untextured
// faces carry (0, 0), which nothing reads while texturing is off.
struct ArrayVertex {
    float s, t;
    float nx, ny, nz;
    float x, y, z;
};

// Faces laid end to end, four corners a quad or three a triangle, each corner
// with its face's normal from face_normal: the corners of a draw list.
using FaceArray = std::vector<ArrayVertex>;

// The four corners of a face, each with the face's normal.
void quad_corners(const Quad& q, ArrayVertex corners[4]);
void textured_quad_corners(const TexturedQuad& q, ArrayVertex corners[4]);

void append_quad(FaceArray& array, const Quad& q);
void append_textured_quad(FaceArray& array, const TexturedQuad& q);
void append_triangle(FaceArray& array, Vec3 a, Vec3 b, Vec3 c);

// ---- Boxes ----

// The six faces of a box of full extents width x height x depth centred on the
// origin (front +z, back -z, left -x, right +x, top +y, bottom -y), each
// counter-clockwise seen from outside. Every box of the show comes from here.
void box_faces(float width, float height, float depth, Quad faces[6]);

// Texture coordinates of every textured box face's corners c1 ... c4: the
// picture stretched once over the face, t = 0 along the top edge of the sides.
extern const float box_face_texcoords[4][2];

// The box's faces with box_face_texcoords.
void textured_box_faces(float width, float height, float depth, TexturedQuad faces[6]);

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

// ---- Draw lists ----

// What a scene draws, as data: corners (each with its face's normal and its
// texture coordinate, optionally a colour), batches of corners drawn under one
// texture and state, the parts those batches make up, and the chain of moves
// that places the parts. Constant geometry is built once at start-up; per-frame
// geometry (the tunnel wall, the sprites, the cubes' colours) is refilled in
// place, keeping its storage. draw_list is the one place that chooses between
// the immediate-mode emitters and arrays, and tests read the very same list.

struct Colour {
    float r, g, b, a;
};

enum class Primitive { quads, triangles };

// How GL stands around one batch: each setting is made before the batch and
// undone after it, so a batch leaves the state as it found it.
struct BatchState {
    bool untextured = false;  // texturing off, no texture coordinates sent
    int light = -1;           // light GL_LIGHT0 + light on for the batch alone, or -1
    bool additive = false;    // blended (source alpha, one) without the depth test
    bool normals = true;      // false: no normals sent (unlit sprites)
};

struct DrawBatch {
    // Where the texture name bound before the batch is kept, read when the
    // batch is drawn (a scene's slot); null keeps the texture that is bound.
    const TextureId* texture;
    BatchState state;
    Primitive primitive;
    size_t first, count;  // the corners drawn
};

struct DrawList {
    FaceArray corners;
    std::vector<Colour> colours;       // one per corner, or none
    std::vector<DrawBatch> batches;
    std::vector<size_t> part_batches;  // part k: batches from part_batches[k] to the next part's first
    std::vector<Move> moves;           // places the parts; without moves every batch is drawn in order
    bool kept = false;                 // keep_draw_list: the corners are final
};

// Empties the list, keeping its storage (for per-frame geometry); a kept list's
// corners are no longer kept.
void clear_draw_list(DrawList& list);
// The list's corners are built once and will not change (its colours and moves
// may): the platform may keep its own copy of them. Called by a builder at its end.
void keep_draw_list(DrawList& list);

// Opens a part: the batches opened from now on belong to it. Returns its number.
int begin_part(DrawList& list);
// Opens a batch at the end of the corners; the add functions fill the open batch.
void begin_batch(DrawList& list, const TextureId* texture, BatchState state = {},
                 Primitive primitive = Primitive::quads);

void add_quad(DrawList& list, const Quad& q);
void add_textured_quad(DrawList& list, const TexturedQuad& q);
void add_triangle(DrawList& list, Vec3 a, Vec3 b, Vec3 c);
// A face whose corners carry their own colour. A list gives every corner a
// colour this way, or none.
void add_coloured_quad(DrawList& list, const TexturedQuad& q, const Colour colours[4]);
// Opens a batch with the texture and adds the box's six faces (textured_box_faces).
void add_textured_box(DrawList& list, const TextureId* texture, Vec3 size);

// Appends a chain of moves with every part number raised by part_offset, so a
// part's own chain can stand where the outer chain places that part.
void append_moves(std::vector<Move>& out, const Move* moves, size_t count, int part_offset = 0);

// Draws the list: replays its moves (or, without moves, draws every batch),
// each batch through the immediate-mode emitters under --reference and from
// arrays otherwise. A list with colours leaves the current colour at its last corner's.
void draw_list(const DrawList& list);

// A batch as drawn: the list's batch and the model-view matrix (relative to
// the list's own frame) it is drawn under.
struct PlacedBatch {
    const DrawBatch* batch;
    Placement placement;
};

// The batches in the order draw_list draws them, with their placements: the moves replayed on the CPU.
std::vector<PlacedBatch> placed_batches(const DrawList& list);
// Every corner of one placed batch where it lands.
std::vector<Vec3> placed_corners(const DrawList& list, const PlacedBatch& placed);

// ---- Full-screen quads ----

// Draws the 800 x 600 screen rectangle at depth 0 under the current matrices
// through a draw list: corners (0, 0), (0, 600), (800, 600), (800, 0), each with
// the colour and, when texcoords is given, its texture coordinate (untextured
// otherwise, texturing left on after). The caller sets blending and depth.
void draw_screen_quad(const float (*texcoords)[2], Colour colour);

// ---- Meshes and sphere grids ----

// The mesh's triangles, flat-shaded, appended to the list's open batch.
void add_mesh(DrawList& list, const Vec3* vertices, const int32_t* faces, int32_t face_count);

// The quads of a ball over a sphere grid built with the same segment count, in
// drawing order: the bands (rows 1 ... rows - 2, each closed at the seam), then
// the caps (top then bottom quad per column, closing quads last), whose last two
// corners meet at the pole (0, +-pole_distance, 0). Texture coordinates are
// (k / count, r / rows), s = 1 at the seam, t = 0 at the top pole and 1 at the
// bottom. Row 0 is never read. False, with no quads, when the count (segments
// rounded up to even) is below 4 or the grid does not hold count / 2 rows of count.
bool grid_sphere_quads(const Shape& grid, float pole_distance, uint16_t segments,
                       std::vector<TexturedQuad>* quads);

// Opens a batch with the texture and state given and adds the ball's quads
// (textured unless the state says otherwise). Empty for a refused count.
void add_grid_sphere(DrawList& list, const TextureId* texture, const Shape& grid, float pole_distance, uint16_t segments,
                     BatchState state = {});

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

// The capture texture table (one entry): RGB, the layout's capture texture
// size square (512 x 512 for an 800 x 600 frame).
extern uint32_t capture_textures[1];

// Makes the capture texture at the current layout's size. Called once by the
// start-up builder.
void make_capture_texture();

// Perspective fov, push the model-view matrix, viewport the capture square at
// the picture's lower-left corner (512 x 512 in an 800 x 600 frame). The scene follows.
void begin_capture(float fov);
// Copies the capture square (resolved first where the frame is multisampled),
// clears, adds the passes of mode, restores the picture's viewport and the
// perspective with fov. Pops the matrix begin_capture pushed.
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
// (800, 600), (800, 0) for a pass with inset d, times scale: the share of the
// capture texture its square fills (capture_size / capture_texture_size).
void capture_pass_texcoords(float d, float texcoords[4][2], float scale = 1.0f);

// ---- The held picture and the timeline bar (the player's, drawn over the finished frame) ----

// Copies the finished picture (the current viewport, resolved first where the
// frame is multisampled) into the held-picture texture, made on first use.
// Called when the show pauses, before anything is laid over the frame.
void hold_frame();
// Draws the held picture back over the viewport it was copied from, pixel for
// pixel; then the 90 degree perspective. Called for each frame while paused.
void draw_held_frame();

// Text in a 5 x 7 pixel font (lower-case letters, digits, space and . : - / |;
// capitals drawn as lower case, anything else as a space), each font pixel
// scale units wide, advancing 6 pixels a character.
float text_width(const char* text, float scale);
// Adds the text's pixels as coloured quads with its lower-left corner at (x, y)
// in screen space, a quad for each run of pixels in a row, to the open batch.
void add_text(DrawList& list, const char* text, float x, float y, float scale, Colour colour);

// One scene window's stretch of the bar, in screen x.
struct BarSegment {
    float x0, x1;
    const char* name;
    bool current;  // the window music time stands in
};

// What the timeline bar shows: the scene windows end to end across the screen,
// where music time stands, and the time as text beside that mark.
struct TimelineBar {
    static constexpr int max_segments = 16;
    int segment_count = 0;
    BarSegment segments[max_segments] = {};
    float position_x = 0;
    const char* time_text = "";
};

// The bar's height from the bottom of the 800 x 600 screen.
constexpr float timeline_bar_height = 46;

// The bar as coloured quads in screen space: a dark band along the bottom,
// each segment with its name centred in it (the current one lit), the mark at
// the position and the time above it, kept inside the screen.
void timeline_bar_list(const TimelineBar& bar, DrawList& list);
// Blends the bar over the finished frame (no depth test, unlit), then sets the
// 90 degree perspective; texturing on and blending off after.
void draw_timeline_bar(const TimelineBar& bar);

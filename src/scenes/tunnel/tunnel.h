// Tunnel scene: a lit, textured flight through a 600-unit tube whose ring
// outlines morph.
//
// The tube is 30 identical segments of 10 rings, each ring's outline a closed
// profile curve of five control points around the z axis. Every 533 ms each
// ring takes on the shape its farther neighbour had, so the ripples run toward
// the mouth while the camera flies the other way and finally backs out of the
// far end. The morph, the outline sampling and the quads are plain data
// computed without GL, refilled into the wall's draw list every frame; the
// frame draws that list. Its state (the ring outlines and the camera path's
// held eye and centre, both zero at the start) and its scratch live in
// tunnel_scene. Needs the tunnel wall texture loaded by start-up.
#pragma once

#include <cstdint>

#include "render/render.h"
#include "resources/resources.h"

// The outline of one ring before sampling: control points P0 ... P4 (the
// curve closes by repeating P0).
struct TunnelProfile {
    Point2 points[5];
};

constexpr int tunnel_keyframe_count = 10;
constexpr int tunnel_ring_count = 10;      // rings in a segment
constexpr int tunnel_sample_count = 50;    // samples around an outline
constexpr int tunnel_segment_count = 30;   // segments along the tube
constexpr int tunnel_quad_count = tunnel_segment_count * tunnel_ring_count * tunnel_sample_count;
constexpr uint32_t tunnel_morph_cycle = 5333;  // ms

extern const TunnelProfile tunnel_keyframes[tunnel_keyframe_count];

// Morph window j covers start < m <= end of the morph cycle.
extern const uint32_t tunnel_morph_windows[tunnel_keyframe_count][2];

// grid[n][k]: outline sample n of ring k.
using TunnelGrid = Point2[tunnel_sample_count][tunnel_ring_count];

// ---- The flight ----

constexpr int tunnel_camera_segment_count = 3;
extern const uint32_t tunnel_camera_windows[tunnel_camera_segment_count][2];
extern const Vec3 tunnel_eye_points[tunnel_camera_segment_count][4];
extern const Vec3 tunnel_centre_points[tunnel_camera_segment_count][4];

// ---- Geometry without GL ----

// Rewrites the ring outlines for morph time m (0 ... 5332): ring k blends
// keyframe (j + k) mod 10 toward (j + k + 1) mod 10 across the window j that
// holds m. No window holds m = 0, which leaves the outlines as they were.
void tunnel_morph_profiles(TunnelProfile rings[tunnel_ring_count], uint32_t m);

// Samples every ring's closed outline at n / 50 for n = 0 ... 49.
void tunnel_sample_outlines(const TunnelProfile rings[tunnel_ring_count], TunnelGrid& grid);

// Quad q (0 ... tunnel_quad_count - 1) of the wall in drawing order: segment,
// then band, then sample, outermost first.
TexturedQuad tunnel_quad(const TunnelGrid& grid, int q);

// Refills the list with the whole wall over the grid: one batch with the texture.
void fill_tunnel_wall(DrawList& list, const TunnelGrid& grid, const TextureId* texture);

// ---- The scene ----

struct TunnelScene {
    CameraPath camera;                         // the flight; holds the last eye and centre
    TunnelProfile rings[tunnel_ring_count]{};  // the rings' current outlines, kept from frame to frame
    TunnelGrid grid{};                         // scratch, sampled every frame
    DrawList wall{};                           // refilled every frame
};
extern TunnelScene tunnel_scene;

// Resets the scene. Called once by start-up (tests call it too).
void init_tunnel();
// Puts the flight back to its start and the outlines to zero.
void reset_tunnel();

// One frame of the tunnel at scene-local time a (0 ... 21311): lighting on, the
// camera for a, the morph, then the whole wall in one GL_QUADS batch. Called by
// the timeline after it set the projection and light preset 'b'.
void draw_tunnel(int a);

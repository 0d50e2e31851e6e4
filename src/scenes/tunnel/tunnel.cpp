// The tunnel's outline keyframes, its morph, its flight and the code that
// draws one frame of it.
#include "scenes/tunnel/tunnel.h"

#include <GL/gl.h>

// Ten outlines between about 7 and 13 units across, each a ring's shape at the
// end of one morph window. P0 sits on the -x axis, where each outline closes.
const TunnelProfile tunnel_keyframes[tunnel_keyframe_count] = {
    {{{-4.01f, 0}, {-5.7f, 4.47f}, {4.37f, 9.46f}, {13.98f, -4.58f}, {-7.03f, -7.21f}}},
    {{{-4.01f, 0}, {-6.67f, 5.56f}, {3.33f, 8.38f}, {12.6f, -6.02f}, {-7.03f, -7.21f}}},
    {{{-3.42f, 0}, {-6.67f, 5.56f}, {3.87f, 9.93f}, {13.28f, -7.41f}, {-5.39f, -9.18f}}},
    {{{-4.75f, 0}, {-8.48f, 3.89f}, {3.87f, 9.93f}, {16.17f, -9.89f}, {-7.25f, -6.78f}}},
    {{{-4.75f, 0}, {-5.14f, 5.29f}, {6.47f, 12.76f}, {18.74f, -7.83f}, {-9.96f, -9.77f}}},
    {{{-4.75f, 0}, {-7.74f, 7.95f}, {6.47f, 12.76f}, {18.9f, -10.59f}, {-7.13f, -12.94f}}},
    {{{-4.75f, 0}, {-10.81f, 7.95f}, {8.66f, 14.21f}, {16.73f, -8.56f}, {-5.51f, -12.94f}}},
    {{{-6.37f, 0.02f}, {-10.5f, 10.29f}, {10.24f, 12.68f}, {20.2f, -8.02f}, {-9.53f, -16.9f}}},
    {{{-5.62f, 0.02f}, {-10.5f, 10.29f}, {11.1f, 14.79f}, {18.02f, -11.67f}, {-4.85f, -16.9f}}},
    {{{-6.33f, 0.02f}, {-10.5f, 10.29f}, {11.1f, 14.79f}, {20.86f, -3.99f}, {-10.42f, -15.98f}}},
};

// Start excluded, end included. The last window takes the three milliseconds
// the 533 ms steps leave over in the cycle.
const uint32_t tunnel_morph_windows[tunnel_keyframe_count][2] = {
    {0, 533},     {533, 1066},  {1066, 1599}, {1599, 2132}, {2132, 2665},
    {2665, 3198}, {3198, 3731}, {3731, 4264}, {4264, 4797}, {4797, 5333},
};

// In along the axis with the gaze swinging, on past the middle looking ahead
// and aside, then backing out of the far end looking back into the tube.
const uint32_t tunnel_camera_windows[tunnel_camera_segment_count][2] = {
    {0, 10666},
    {10666, 15799},
    {15799, 21332},
};

const Vec3 tunnel_eye_points[tunnel_camera_segment_count][4] = {
    {{0, 0, 0}, {0, 0, -15}, {0, 0, -40}, {0, 0, -100}},
    {{0, 0, -100}, {2, 0, -120}, {-1, 0, -150}, {0, 0, -350}},
    {{0, 0, -350}, {0, 0, -460}, {0, 0, -500}, {0, 0, -620}},
};

const Vec3 tunnel_centre_points[tunnel_camera_segment_count][4] = {
    {{0, 0, -5}, {10, -4, -60}, {10, 6, 40}, {0, 0, -150}},
    {{0, 0, -150}, {-14, 10, -200}, {-13, -5, -250}, {-3, -2, -300}},
    {{-3, -2, -300}, {0, 5, -400}, {2, -1, -500}, {0, 0, -540}},
};

namespace {

constexpr CameraPath start_camera = {tunnel_camera_segment_count, tunnel_camera_windows, tunnel_eye_points,
                                     tunnel_centre_points, {0, 0, 0}, {0, 0, 0}};

}  // namespace

TunnelScene tunnel_scene = {.camera = start_camera};

namespace {

// Rings 2 units apart, segments 20 units apart: the tube runs from z = 0 to -600.
constexpr float ring_spacing = 2;
constexpr float segment_length = ring_spacing * tunnel_ring_count;

float blend(float a, float b, float f) { return a + (b - a) * f; }

}  // namespace

void tunnel_morph_profiles(TunnelProfile rings[tunnel_ring_count], uint32_t m) {
    for (int j = 0; j < tunnel_keyframe_count; ++j) {
        const uint32_t start = tunnel_morph_windows[j][0];
        const uint32_t end = tunnel_morph_windows[j][1];
        if (!(start < m && m <= end)) continue;
        const float f = static_cast<float>(m - start) / static_cast<float>(end - start);
        for (int k = 0; k < tunnel_ring_count; ++k) {
            const TunnelProfile& a = tunnel_keyframes[(j + k) % tunnel_keyframe_count];
            const TunnelProfile& b = tunnel_keyframes[(j + k + 1) % tunnel_keyframe_count];
            for (int p = 0; p < 5; ++p) {
                rings[k].points[p] = {blend(a.points[p].x, b.points[p].x, f),
                                                     blend(a.points[p].y, b.points[p].y, f)};
            }
        }
    }
}

void tunnel_sample_outlines(const TunnelProfile rings[tunnel_ring_count], TunnelGrid& grid) {
    for (int n = 0; n < tunnel_sample_count; ++n) {
        const float t = static_cast<float>(n) / static_cast<float>(tunnel_sample_count);
        for (int k = 0; k < tunnel_ring_count; ++k) {
            const Point2* p = rings[k].points;
            grid[n][k] = profile_point(p[0], p[1], p[2], p[3], p[4], p[0], t);
        }
    }
}

// The band from ring b to ring b + 1 of segment i; the last band reaches ring
// 0's outline at the next segment's start. s runs from 1 at the nearer ring to
// 0 at the farther, so the picture repeats once per band; t runs once around.
TexturedQuad tunnel_quad(const TunnelGrid& grid, int q) {
    const int i = q / (tunnel_ring_count * tunnel_sample_count);
    const int b = q / tunnel_sample_count % tunnel_ring_count;
    const int n = q % tunnel_sample_count;
    const int n_next = (n + 1) % tunnel_sample_count;
    const int b_next = (b + 1) % tunnel_ring_count;
    const float z_near = -segment_length * static_cast<float>(i) - ring_spacing * static_cast<float>(b);
    const float z_far = z_near - ring_spacing;
    const float t = static_cast<float>(n) / static_cast<float>(tunnel_sample_count);
    const float t_next = static_cast<float>(n + 1) / static_cast<float>(tunnel_sample_count);
    const Point2 c1 = grid[n_next][b], c2 = grid[n][b], c3 = grid[n][b_next], c4 = grid[n_next][b_next];
    return {{{c1.x, c1.y, z_near}, {c2.x, c2.y, z_near}, {c3.x, c3.y, z_far}, {c4.x, c4.y, z_far}},
            {{1, t_next}, {1, t}, {0, t}, {0, t_next}}};
}

void fill_tunnel_wall(DrawList& list, const TunnelGrid& grid, const TextureId* texture) {
    clear_draw_list(list);
    begin_batch(list, texture);
    for (int q = 0; q < tunnel_quad_count; ++q) add_textured_quad(list, tunnel_quad(grid, q));
}

void init_tunnel() { reset_tunnel(); }

void reset_tunnel() {
    tunnel_scene.camera = start_camera;
    for (TunnelProfile& ring : tunnel_scene.rings) ring = {};
}

void draw_tunnel(int a) {
    TunnelScene& s = tunnel_scene;
    const uint32_t local = static_cast<uint32_t>(a);
    glEnable(GL_LIGHTING);
    camera_path_look(s.camera, local);
    tunnel_morph_profiles(s.rings, local % tunnel_morph_cycle);
    tunnel_sample_outlines(s.rings, s.grid);
    // The wall changes every frame, but its list keeps its storage.
    fill_tunnel_wall(s.wall, s.grid, &scene_textures[tex_tunnel_wall]);
    draw_list(s.wall);
}

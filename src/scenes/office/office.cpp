// The office flight and the code that draws one frame of it.
#include "scenes/office/office.h"

#include <GL/gl.h>

// Down the hall and round into the corridor, back to face door 1 (zooming in
// on it), up the stairwell, then along the upper corridor towards -x.
const uint32_t office_camera_windows[office_camera_segment_count][2] = {
    {0, 6600},
    {6600, 8000},
    {8000, 21314},
};

const Vec3 office_eye_points[office_camera_segment_count][4] = {
    {{6, 2, 7}, {10.7f, 2, -9.5f}, {-7.1f, 2, -11}, {5.5f, 2, -5}},
    {{5.5f, 2, -5}, {-2, 3.4f, -4.4f}, {-2, 2.7f, -2.4f}, {5, 5.6f, -2.1f}},
    {{5, 5.6f, -2.1f}, {7, 5.2f, -9}, {-7.3f, 5.2f, -7}, {-15.6f, 5.2f, -7}},
};

const Vec3 office_centre_points[office_camera_segment_count][4] = {
    {{6, 1, 0}, {0.2f, 1.9f, -8}, {0.2f, 1.9f, -8}, {6.5f, 1.9f, -8.7f}},
    {{6.5f, 1.9f, -8.7f}, {9.3f, 0.1f, -4.2f}, {9.3f, 5.4f, -2.4f}, {5.6f, 4.1f, -6.6f}},
    {{5.6f, 4.1f, -6.6f}, {1.6f, 4.1f, -7}, {-10.6f, 5.3f, -7}, {-17.3f, 5.3f, -7}},
};

namespace {

constexpr CameraPath start_camera = {office_camera_segment_count, office_camera_windows, office_eye_points,
                                     office_centre_points, {0, 0, 0}, {0, 0, 0}};

}  // namespace

OfficeScene office_scene = {.camera = start_camera};

namespace {

// The zoom on door 1: 400 ms from 90 down to 30 degrees, held, and 400 ms back.
constexpr int32_t zoom_in_start = 5400;
constexpr int32_t zoom_in_end = 5800;
constexpr int32_t zoom_out_start = 6200;
constexpr int32_t zoom_out_end = 6600;
constexpr float zoom_ramp_rate = 0.0025f;  // per ms: the 400 ms ramp
constexpr float zoom_swing = 60;           // degrees
constexpr float zoomed_fov = 30;

constexpr float closing_rate = 0.00025119318f;  // per ms
constexpr float telephoto_rate = 170;           // degrees per unit of closing progress
constexpr float narrowest_fov = 2;

}  // namespace

float office_closing_progress(int32_t a) {
    return static_cast<float>(a - office_closing_start) * closing_rate;
}

bool office_field_of_view(int32_t a, float* fov) {
    if (a >= zoom_in_start && a <= zoom_in_end) {
        *fov = 90 - static_cast<float>(a - zoom_in_start) * zoom_ramp_rate * zoom_swing;
    } else if (a > zoom_in_end && a < zoom_out_start) {
        *fov = zoomed_fov;
    } else if (a >= zoom_out_start && a <= zoom_out_end) {
        *fov = static_cast<float>(a - zoom_out_start) * zoom_ramp_rate * zoom_swing + zoomed_fov;
    } else if (a >= office_closing_start) {
        const float telephoto = 90 - office_closing_progress(a) * telephoto_rate;
        *fov = telephoto > narrowest_fov ? telephoto : narrowest_fov;
    } else {
        return false;
    }
    return true;
}

namespace {

// A show started inside the closing has never flown the path, and its held
// eye and centre still coincide at the origin, which gives no view at all. It
// holds where the path's last millisecond puts the camera instead, as a show
// played from the start would (within a frame).
void hold_camera_for_closing(uint32_t a) {
    CameraPath& camera = office_scene.camera;
    const Vec3& eye = camera.held_eye;
    const Vec3& centre = camera.held_centre;
    const bool never_flown = eye.x == centre.x && eye.y == centre.y && eye.z == centre.z;
    if (a >= uint32_t(office_closing_start) && never_flown) camera_path_update(camera, uint32_t(office_closing_start - 1));
}

}  // namespace

void build_office_building(DrawList& list) {
    clear_draw_list(list);
    const std::vector<Move> storey = add_office_storey(list);
    std::vector<std::vector<Move>> doors;
    for (TextureSlot plate : office_door_plates)
        doors.push_back(add_door(list, &scene_textures[tex_office_wood3], &scene_textures[plate], knob_sphere_grid));
    for (const Move& move : office_building_moves()) {
        if (move.kind != MoveKind::part)
            list.moves.push_back(move);
        else if (move.part == office_part_storey)
            list.moves.insert(list.moves.end(), storey.begin(), storey.end());
        else
            list.moves.insert(list.moves.end(), doors[move.part].begin(), doors[move.part].end());
    }
    keep_draw_list(list);
}

void init_office() {
    knob_sphere_grid = build_sphere_grid(knob_radius, knob_segments);
    build_office_building(office_scene.building);
    reset_office();
}

void reset_office() { office_scene.camera = start_camera; }

void draw_office(uint32_t a) {
    glEnable(GL_LIGHTING);
    hold_camera_for_closing(a);
    camera_path_look(office_scene.camera, a);
    draw_list(office_scene.building);
}

void draw_office_scene(int a) {
    float fov = 90;
    if (office_field_of_view(a, &fov)) set_perspective(fov);
    draw_office(static_cast<uint32_t>(a));
    if (a >= office_closing_start) {
        // The overlay never reaches full black: alpha is about 0.673 at the last millisecond.
        glDisable(GL_LIGHTING);
        fade_overlay(0, 0, 0, office_closing_progress(a), 90);
        glEnable(GL_LIGHTING);
    }
}

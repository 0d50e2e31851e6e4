// Office greetings scene: a flight through a three-storey office building past
// 24 greeting doors.
//
// The camera glides down a hall of the middle storey, turns in its corridor,
// zooms in on the first greeting door, rises through the dog-leg staircase and
// runs along the corridor of the storey above, past the greeted groups' doors,
// narrowing to a telephoto as the picture darkens. One storey is drawn three
// times, 3 apart in y, so its stair flights chain into one staircase.
//
// Every table is constant data here: the camera path, the door layout as a
// chain of moves (render kit) with each door's plate, the storey's floor,
// ceiling and wall quads with their texture repeats, and the stair flight's
// panels, posts, steps and closing faces. init_office collects them into one
// draw list, which the frame draws and the tests read. Its state (the camera
// path's held eye and centre) and its built data live in office_scene. Needs
// the office textures loaded before init_office.
#pragma once

#include <cstdint>
#include <vector>

#include "render/render.h"
#include "resources/resources.h"

// ---- The flight ----

constexpr int office_camera_segment_count = 3;
extern const uint32_t office_camera_windows[office_camera_segment_count][2];
extern const Vec3 office_eye_points[office_camera_segment_count][4];
extern const Vec3 office_centre_points[office_camera_segment_count][4];

// From this scene time on the camera holds still, the view narrows and darkens.
constexpr int32_t office_closing_start = 21314;

// How far the closing has come at a: 0 at its start, negative before it, about
// 0.673 at the scene's last millisecond. It is also the black overlay's alpha.
float office_closing_progress(int32_t a);

// The field of view the scene sets at a, in degrees; false where it sets none
// and the timeline's 90 degrees stand.
bool office_field_of_view(int32_t a, float* fov);

// ---- Greeting doors ----

constexpr int office_door_count = 24;

// Each door's plate picture, in drawing order.
extern const TextureSlot office_door_plates[office_door_count];

// The parts of the building chain: doors 0 ... 23 (in drawing order), then the storey.
constexpr int office_part_storey = office_door_count;

// The building as drawn after the camera: the doors inside one push and pop,
// then the storey three times (floor at 0, -3 and +3) with no push around it.
std::vector<Move> office_building_moves();

// One door in its own frame, front towards +z: the leaf, the name plate and
// the knob, each placed by the chain below.
enum DoorPart { door_part_leaf, door_part_plate, door_part_knob };
constexpr int door_model_move_count = 7;
extern const Move door_model_moves[door_model_move_count];
extern const Vec3 door_leaf_size;
extern const Vec3 door_plate_size;

// The knob: a sphere grid of this radius and segment count, built by init_office.
constexpr float knob_radius = 0.025f;
constexpr uint16_t knob_segments = 12;
extern Shape knob_sphere_grid;

// Adds one door's parts (leaf and plate with the given textures, the
// untextured knob over knob_grid) and returns the door's chain over them.
std::vector<Move> add_door(DrawList& list, const TextureId* door_texture, const TextureId* plate_texture,
                           const Shape& knob_grid);

// ---- The storey (floor at y = 0, its ceiling at 2.7, the next floor at 3) ----

// A face of the storey or of a stair flight as its table gives it: corners in
// emission order and how often the picture repeats along c1 -> c4.
struct RepeatedQuad {
    Vec3 corners[4];
    float repeats;
};

// Texture coordinates c1 (0, 0), c2 (0, 1), c3 (R, 1), c4 (R, 0) for R repeats.
TexturedQuad repeated_texture(const RepeatedQuad& q);

extern const RepeatedQuad office_floor_quads[2];
extern const RepeatedQuad office_ceiling_quads[3];
extern const RepeatedQuad office_wall_quads[9];

// The half landing and the dividing wall between the flights, and the two
// flights, placed by the storey's chain of moves.
enum StoreyPart { storey_part_landing, storey_part_dividing_wall, storey_part_lower_flight, storey_part_upper_flight };
constexpr int office_storey_move_count = 18;
extern const Move office_storey_moves[office_storey_move_count];
extern const Vec3 office_landing_size;
extern const Vec3 office_dividing_wall_size;

// Adds a storey's parts (its surfaces, the landing, the dividing wall and one
// flight) and returns the storey's chain over them, both flights inlined.
std::vector<Move> add_office_storey(DrawList& list);

// ---- Stair flight (width x -1 ... 1, foot at z -1.5, y -0.75; head at z 1.5, y 0.75) ----

constexpr float stair_panel_repeats = 2;
constexpr float stair_rail_repeats = 5;
constexpr float stair_step_repeats = 3;

// The side panels' twelve quads in emission order (right panel, then left).
extern const Quad stair_panel_quads[12];

// The handrail over a panel quad: the same corners raised by the rail's y values.
Quad stair_rail_quad(const Quad& panel);

extern const Vec3 stair_post_centres[4];
extern const Vec3 stair_post_size;

// Riser and tread of step i, 0 at the head and 9 at the foot.
void stair_step_quads(int i, Quad* riser, Quad* tread);

extern const Quad stair_head_face;
extern const Quad stair_foot_face;
extern const Quad stair_underside;

constexpr int stair_step_batch_max = 23;

// The flight's last batch for the given flags: risers and treads of steps 0 to
// 9, then the head face, the foot face and the underside, each where its flag
// is non-zero. Returns how many quads it wrote.
int stair_step_batch(int with_steps, int with_top_face, int with_bottom_face, int with_underside,
                     Quad quads[stair_step_batch_max]);

struct StairFlightFlags {
    int with_steps, with_top_face, with_bottom_face, with_underside;
};
// The storey's flights.
extern const StairFlightFlags office_flight_flags;

struct StairFlight {
    StairFlightFlags flags;
    const TextureId *side_texture, *rail_texture, *post_texture, *step_texture;
};

// Adds a flight's parts (panels and rails, a post, the step batch) and returns
// its chain: the sides, the four posts, then the steps, which leave the step
// texture bound. The step batch is there even when every flag is off.
std::vector<Move> add_stair_flight(DrawList& list, const StairFlight& flight);

// ---- The scene ----

struct OfficeScene {
    CameraPath camera;    // the flight; holds the last eye and centre
    DrawList building{};  // the doors and the three storeys
};
extern OfficeScene office_scene;

// Builds the knob grid and the building, and resets the flight. Called once by
// start-up after the textures load (tests call it too).
void init_office();
// Puts the flight back to its start.
void reset_office();

// The building's list: the doors inside one push and pop, then the storey three times.
void build_office_building(DrawList& list);

// One frame of the office at scene-local time a, under light preset 'i': the
// field of view, the building, and the darkening from the closing start.
void draw_office_scene(int a);

// Lighting on, the camera for a, then the doors and the three storeys.
void draw_office(uint32_t a);

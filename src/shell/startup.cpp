// Start-up in its fixed order, playback and shut-down.
#include <GL/gl.h>

#include <cstdio>
#include <vector>

#include "render/render.h"
#include "resources/resources.h"
#include "shell/shell.h"
#include "timeline/timeline.h"

ShellState shell;

namespace {

// Far beyond any soundtrack; keeps a wrong file from exhausting memory.
constexpr size_t largest_soundtrack = size_t{1} << 30;

// The picture alone, without the overlay, while the rest loads.
void show_first_loading_frame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    draw_loading_picture();
    platform_swap_buffers();
}

void start_playback(int32_t from_ms) {
    glEnable(GL_LIGHTING);
    platform_swap_buffers();
    set_perspective(90);
    music_time = 0;
    sound_play(from_ms);
}

// The sink reports the frames it wrote and the render rate itself.
int finish_capture() {
    std::string error;
    if (platform_finish_capture(&error)) return exit_ok;
    // Interrupted, the shell's usual 128 + the signal, without a box.
    if (const int signal = platform_caught_signal()) {
        std::fprintf(stderr, "zelvo: %s\n", error.c_str());
        return 128 + signal;
    }
    platform_message_box(("Error!\nCan't write the captured frames:\n" + error).c_str(), "ERROR");
    return exit_failure;
}

void load_mesh_or_end(const char* path, Mesh* mesh) {
    std::string error;
    std::string cause;
    if (!load_mesh(path, mesh, &error, &cause)) fatal_error(error, "Error fakia", exit_failure, cause);
}

}  // namespace

int init_gl_state() {
    // The shape builders read the degree tables, so they come first.
    build_angle_tables();

    // A missing or refused mesh ends the program here, before the loading picture.
    load_mesh_or_end(campfer_mesh_file, &campfer_mesh);
    load_mesh_or_end(hose_mesh_file, &hose_mesh);

    apply_light_preset('v');

    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);

    follow_frame_size();
    make_capture_texture();

    // Lit surfaces take the default material; colours never feed the lighting.
    glDisable(GL_COLOR_MATERIAL);
    set_perspective(90);
    return 1;
}

void start_sound() {
    std::string cause;
    if (!sound_init(44100, 32, &cause)) {
        // fatal_error puts "zelvo: " before the first line of the cause.
        const std::string hint = "--mute plays the show without sound";
        fatal_error("Error!\nCan't init FMOD", "ERROR", exit_failure,
                    cause.empty() ? hint : cause + "\nzelvo: " + hint);
    }
    // The 2000 ms stream buffer has nothing to size: both backends decode the
    // whole soundtrack when the stream opens.
}

void load_soundtrack(const char* file) {
    const std::string shown = shown_path(file);
    const char* path = shown.c_str();
    // Read whole, so no disk access happens during the show.
    std::string error;
    bool opened = false;
    if (!read_whole_file(file, largest_soundtrack, &shell.soundtrack_bytes, &error, &opened)) {
        if (!opened) fatal_error("Error!\nCan't find music file...", "ERROR", exit_failure, std::string(path) + ": " + error);
        fatal_error(std::string("Error!\nCan't read music file ") + path + ":\n" + error, "ERROR");
    }
    std::string warning;
    const bool opened_stream = sound_open_stream(shell.soundtrack_bytes.data(), shell.soundtrack_bytes.size(), &error, &warning);
    if (!warning.empty()) std::fprintf(stderr, "zelvo: warning: %s: %s\n", path, warning.c_str());
    if (!opened_stream) {
        fatal_error(std::string("Error!\nCan't play music file ") + path + ":\n" + error, "ERROR");
    }
}

void start_up(const ShellOptions& options) {
    const bool capturing = !options.capture_path.empty();
    create_gl_window("zelvo by kardel", options.width, options.height, 32,
                     !options.window && !options.fullscreen && !capturing && !options.bench);
    std::string error;
    if (capturing && !platform_start_capture(&error))
        fatal_error("Error!\nCan't write the capture:\n" + error, "ERROR");
    // The bench writes nothing but its report.
    if (!options.bench) update_status_line(0, 0);
    glDisable(GL_LIGHTING);
    set_ortho_screen();
    load_loading_picture();
    show_first_loading_frame();
    read_settings_file(settings_file);
    start_sound();
    load_soundtrack(soundtrack_file);
    if (!load_scene_textures(&error)) fatal_error("Error!\nCan't load the picture " + error, "ERROR");
    init_scenes();
}

int run_demo(const ShellOptions& options) {
    const bool capturing = !options.capture_path.empty();
    if (options.to_past_end)
        std::fprintf(stderr, "zelvo: --to lies past the show's end; the show ends at %d ms\n", options.to_ms);
    start_up(options);
    run_loading_screen();
    start_playback(options.from_ms);

    MainLoop loop;
    loop.from_ms = options.from_ms;
    if (options.has_to) loop.to_ms = options.to_ms;
    loop.loop = options.loop;
    run_main_loop(loop);

    int status = capturing ? finish_capture() : exit_ok;
    destroy_gl_window();
    sound_close();
    return status;
}

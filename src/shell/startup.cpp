// Start-up in its fixed order, playback and shut-down.
#include <GL/gl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "render/render.h"
#include "resources/resources.h"
#include "scenes/credits/credits.h"
#include "shell/shell.h"

namespace {

// The stream plays from these bytes, so they stay until the process ends.
std::vector<uint8_t> soundtrack_bytes;

std::string errno_text() { return std::strerror(errno); }

// Far beyond any soundtrack; keeps a wrong file from exhausting memory.
constexpr long largest_soundtrack = 1L << 30;

// Step 10: the whole file in one block, so no disk access happens during the show.
bool read_whole_file(std::FILE* file, std::vector<uint8_t>* bytes, std::string* error) {
    struct stat status;
    if (fstat(fileno(file), &status) != 0) {
        *error = errno_text();
        return false;
    }
    // A folder opens like a file here, and its "size" means nothing.
    if (!S_ISREG(status.st_mode)) {
        *error = "not a regular file";
        return false;
    }
    if (std::fseek(file, 0, SEEK_END) != 0) {
        *error = errno_text();
        return false;
    }
    long size = std::ftell(file);
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        *error = errno_text();
        return false;
    }
    if (size > largest_soundtrack) {
        *error = "the file is too large for a soundtrack";
        return false;
    }
    bytes->resize(static_cast<size_t>(size));
    errno = 0;
    if (size > 0 && std::fread(bytes->data(), 1, bytes->size(), file) != bytes->size()) {
        *error = errno != 0 ? errno_text() : "the file ended early";
        return false;
    }
    return true;
}

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
    platform_message_box(("Error!\nCan't write the captured frames:\n" + error).c_str(), "ERROR");
    return exit_failure;
}

}  // namespace

void start_sound() {
    if (!sound_init(44100, 32)) fatal_error("Error!\nCan't init FMOD", "ERROR");
    sound_set_buffer_ms(2000);
}

void load_soundtrack(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) fatal_error("Error!\nCan't find music file...", "ERROR");
    std::string error;
    bool read = read_whole_file(file, &soundtrack_bytes, &error);
    std::fclose(file);
    if (!read) {
        fatal_error(std::string("Error!\nCan't read music file ") + path + ":\n" + error, "ERROR");
    }
    if (!sound_open_stream(soundtrack_bytes.data(), soundtrack_bytes.size(), &error)) {
        fatal_error(std::string("Error!\nCan't play music file ") + path + ":\n" + error, "ERROR");
    }
}

int run_demo(const ShellOptions& options) {
    bool capturing = !options.capture_path.empty();
    create_gl_window("zelvo by kardel", 800, 600, 32, !options.window && !capturing);
    update_status_line(0, 0);
    glDisable(GL_LIGHTING);
    set_ortho_screen();
    load_loading_picture();
    show_first_loading_frame();
    read_settings_file(settings_file);
    start_sound();
    load_soundtrack(soundtrack_file);
    load_scene_textures();
    init_particle_field(-75, 150, -75, 150, 75, -150, 0.5, 80, 0.1, 1.2);
    run_loading_screen();
    start_playback(options.from_ms);

    MainLoop loop;
    loop.from_ms = options.from_ms;
    if (options.has_to) loop.to_ms = options.to_ms;
    run_main_loop(loop);

    int status = capturing ? finish_capture() : exit_ok;
    destroy_gl_window();
    sound_close();
    return status;
}

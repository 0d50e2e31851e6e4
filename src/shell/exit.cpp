// The ways out that are not the show's end: a fatal error, and standard
// output that could not be written.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shell/shell.h"

int flush_standard_output() {
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return exit_ok;
    std::fprintf(stderr, "zelvo: cannot write to standard output: %s\n", std::strerror(errno));
    return exit_failure;
}

// The display is given back before the message appears, so a full-screen run
// does not hide the box behind a window that no longer draws.
void fatal_error(const std::string& text, const std::string& caption, int exit_status, const std::string& cause) {
    sound_close();
    destroy_gl_window();
    platform_message_box(text.c_str(), caption.c_str());
    if (!cause.empty()) std::fprintf(stderr, "zelvo: %s\n", cause.c_str());
    std::fflush(stderr);
    platform_end_if_device_stuck(exit_status);
    std::exit(exit_status);
}

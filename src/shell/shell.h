// Shell: start-up, the window and its GL context, the loading screen, the
// soundtrack and its clock, the main loop, the status line and shut-down.
//
// Runs everything on the one thread that owns the window. Talks to the
// operating system only through the platform layer. Owns the process-wide
// clock (music time) and the two values of settings.ini.
#pragma once

#include <cstdint>
#include <string>

// Milliseconds of music: the wall clock during the loading screen, then the
// soundtrack position, written once per drawn frame by the main loop.
extern int32_t music_time;

// The two values of settings.ini; only the credits scene reads them.
extern float credits_ease_divisor;
extern int32_t credits_particle_modulus;

// Shows the message (message box on the desktop, stderr always), restores the
// display, destroys the window and ends the process with exit_status.
[[noreturn]] void fatal_error(const std::string& text, const std::string& caption, int exit_status = 1);

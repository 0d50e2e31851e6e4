// Inside the platform layer: what differs by operating system rather than by
// backend, one file per system: system_posix.cpp (Linux), system_windows.cpp,
// system_web.cpp (the browser). Each defines platform.h's
// platform_prepare_process and platform_installed_data_parent; the POSIX and
// Windows files also run the
// child processes the video sink needs (ffmpeg, ffprobe), declared here.
// Not for use outside src/platform.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// A running program whose standard input is a pipe from us.
struct ChildProcess {
    long long handle = -1;  // the process id, or the Windows process handle
    long long input = -1;   // the write end of its stdin
};

// Whether `program -version` runs and exits with status 0 (the program is on PATH).
bool program_runs(const char* program);

// Starts args[0] (looked up on PATH) with the arguments, its stdin a pipe from us.
bool start_child(const std::vector<std::string>& args, ChildProcess* child, std::string* error);

// Writes all of the bytes to the child's stdin; false when it stopped taking them.
bool write_to_child(const ChildProcess& child, const void* data, size_t size);

// Closes the child's stdin and waits for it; true when it exited with status 0.
bool finish_child(ChildProcess* child);

// Ends the child at once and waits for it. Safe when none runs.
void stop_child(ChildProcess* child);

// What the program printed on stdout and stderr together; empty when it could not run.
std::string program_output(const std::vector<std::string>& args);

// Inside the platform layer: what differs by operating system rather than by
// backend, one file per system: system_posix.cpp (Linux), system_windows.cpp,
// system_web.cpp (the browser). Each defines platform.h's
// platform_prepare_process, platform_installed_data_parent and
// platform_make_private_folder; the POSIX and Windows files also run the
// child processes the video sink needs (ffmpeg, ffprobe) and claim the names
// a capture writes, declared here.
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

// A name claimed by this process: while it holds the claim, no other run of
// the program can claim it. The claim ends with release_name or the process.
struct NameClaim {
    long long handle = -1;  // the locked file's descriptor, or its Windows handle
    std::string lock_path;
};

// Claims the name through a lock file at lock_path (created if missing, never
// through a link); false with *error set when another process holds it or the
// file cannot be made.
bool claim_name(const std::string& lock_path, NameClaim* claim, std::string* error);

// Ends the claim and removes the lock file. Safe when nothing is claimed.
void release_name(NameClaim* claim);

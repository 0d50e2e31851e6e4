// End-to-end helpers: run the real program as a child process with a time
// limit, give it a data folder of its own, and run a virtual X display.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/test_paths.h"

namespace e2e {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

inline std::string zelvo_binary() { return build_path("zelvo"); }

// A fresh empty folder under the system's temporary folder.
inline fs::path make_temp_dir(const std::string& label) {
    std::string pattern = (fs::temp_directory_path() / ("zelvo_e2e_" + label + "_XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) return {};
    return fs::path(name.data());
}

inline std::string read_text(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

inline void write_text(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Makes root/data mirror the build's data pack, one symbolic link per file, so
// a test can remove or replace any file without touching the build's copy.
inline bool link_data_pack(const fs::path& root) {
    fs::path source = build_path("data");
    if (!fs::is_directory(source)) return false;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(source)) {
        fs::path target = root / "data" / fs::relative(entry.path(), source);
        if (entry.is_directory()) {
            fs::create_directories(target);
        } else {
            fs::create_directories(target.parent_path());
            fs::create_symlink(entry.path(), target);
        }
    }
    return true;
}

// Replaces one file of a linked data pack with the given bytes.
inline void replace_data_file(const fs::path& root, const std::string& relative, const std::string& bytes) {
    fs::remove(root / "data" / relative);
    write_text(root / "data" / relative, bytes);
}

struct Child {
    pid_t pid = -1;
    fs::path out_file;
    fs::path err_file;
};

struct Outcome {
    bool exited = false;     // ended through exit (else killed by a signal or still running)
    int exit_code = -1;
    int signal = 0;
    bool timed_out = false;  // still running at the limit; it has been killed
    double seconds = 0;
    std::string out;
    std::string err;
};

// Starts argv[0] with the given extra environment ("NAME=value"), output into
// files inside log_dir. The child gets its own process group so a kill reaches
// whatever it starts.
inline Child start(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                   const fs::path& log_dir) {
    Child child;
    static int serial = 0;
    ++serial;
    child.out_file = log_dir / ("stdout" + std::to_string(serial) + ".txt");
    child.err_file = log_dir / ("stderr" + std::to_string(serial) + ".txt");
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        int out = open(child.out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(child.err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int null_in = open("/dev/null", O_RDONLY);
        dup2(null_in, 0);
        dup2(out, 1);
        dup2(err, 2);
        for (const std::string& variable : environment) putenv(const_cast<char*>(variable.c_str()));
        execv(args[0], args.data());
        _exit(127);
    }
    child.pid = pid;
    return child;
}

// Whether the child has ended; it is left for wait to collect.
inline bool has_ended(const Child& child) {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(child.pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == child.pid;
}

// Waits up to limit_s for the child to end; kills it (and its group) past that.
inline Outcome wait(Child& child, double limit_s, Clock::time_point started = Clock::now()) {
    Outcome outcome;
    int status = 0;
    for (;;) {
        pid_t done = waitpid(child.pid, &status, WNOHANG);
        if (done == child.pid) break;
        if (std::chrono::duration<double>(Clock::now() - started).count() > limit_s) {
            outcome.timed_out = true;
            kill(-child.pid, SIGKILL);
            kill(child.pid, SIGKILL);
            waitpid(child.pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    outcome.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    if (!outcome.timed_out && WIFEXITED(status)) {
        outcome.exited = true;
        outcome.exit_code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        outcome.signal = WTERMSIG(status);
    }
    outcome.out = read_text(child.out_file);
    outcome.err = read_text(child.err_file);
    child.pid = -1;
    return outcome;
}

inline Outcome run(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                   const fs::path& log_dir, double limit_s) {
    Clock::time_point started = Clock::now();
    Child child = start(argv, environment, log_dir);
    return wait(child, limit_s, started);
}

// Runs a command line through the shell and returns its standard output.
inline std::string capture_command(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char buffer[512];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    pclose(pipe);
    return output;
}

// A virtual X display of its own: Xvfb takes the display number asked for and
// tells it through a pipe once it accepts clients (nothing when the number is taken).
struct VirtualDisplay {
    pid_t pid = -1;
    int number = -1;
};

inline VirtualDisplay start_xvfb(int width, int height, int number_asked) {
    VirtualDisplay display;
    int fds[2];
    if (pipe(fds) != 0) return display;
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        setpgid(0, 0);
        int null_fd = open("/dev/null", O_RDWR);
        dup2(null_fd, 0);
        dup2(null_fd, 1);
        dup2(null_fd, 2);
        // Nothing else the test holds (a lock, a pipe) may outlive it in Xvfb.
        for (int fd = 3; fd < 1024; ++fd)
            if (fd != fds[1]) close(fd);
        std::string fd_text = std::to_string(fds[1]);
        std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        const std::string name = ":" + std::to_string(number_asked);
        // -noreset: the server never starts over when its last client leaves,
        // so a program starting just then still finds it.
        execlp("Xvfb", "Xvfb", name.c_str(), "-displayfd", fd_text.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    display.pid = pid;
    std::string number;
    char c;
    // Xvfb writes the number once the display accepts clients.
    pollfd ready{fds[0], POLLIN, 0};
    while (poll(&ready, 1, 20000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (!number.empty()) display.number = std::atoi(number.c_str());
    return display;
}

inline void stop_virtual_display(VirtualDisplay& display) {
    if (display.pid <= 0) return;
    kill(display.pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100 && waitpid(display.pid, &status, WNOHANG) == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (waitpid(display.pid, &status, WNOHANG) == 0) {
        kill(display.pid, SIGKILL);
        waitpid(display.pid, &status, 0);
    }
    display.pid = -1;
}

// Left to pick the lowest free number, an Xvfb takes the one another test's
// Xvfb is just giving up, whose exit then removes the new one's socket, and
// nobody can connect. So each test process asks for numbers of its own, from
// its process id on, and takes the next where one is held.
inline VirtualDisplay start_virtual_display(int width = 1024, int height = 768) {
    const int first = 100 + static_cast<int>(getpid() % 800) * 8;
    for (int number = first; number < first + 8; ++number) {
        VirtualDisplay display = start_xvfb(width, height, number);
        if (display.number >= 0) return display;
        stop_virtual_display(display);
    }
    return VirtualDisplay{};
}

inline bool have_program(const char* name) {
    return !capture_command(std::string("command -v ") + name + " 2>/dev/null").empty();
}

}  // namespace e2e

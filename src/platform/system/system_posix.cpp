// The running program and its children on POSIX systems: where its data is
// installed, fork and exec with a pipe, waitpid.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/platform.h"
#include "platform/system/system.h"

namespace {

std::vector<char*> argument_vector(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return argv;
}

bool wait_for(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs the program with stdin from /dev/null and stdout and stderr to `output`
// (or /dev/null when it is -1); the child's pid, or -1.
pid_t spawn_quietly(const std::vector<std::string>& args, int output) {
    std::vector<char*> argv = argument_vector(args);
    const pid_t child = fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(output >= 0 ? output : null, 1);
        dup2(output >= 0 ? output : null, 2);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return child;
}

}  // namespace

bool program_runs(const char* program) {
    const pid_t child = spawn_quietly({program, "-version"}, -1);
    return child > 0 && wait_for(child);
}

bool start_child(const std::vector<std::string>& args, ChildProcess* child, std::string* error) {
    int in[2] = {-1, -1};
    if (pipe(in) != 0) {
        *error = "cannot make a pipe to " + args[0] + ": " + std::strerror(errno);
        return false;
    }
    // A child that dies must show up as a failed write, not end the demo.
    signal(SIGPIPE, SIG_IGN);
    std::vector<char*> argv = argument_vector(args);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        // Our write end left open in the child would keep it waiting for more forever.
        ::close(in[0]);
        ::close(in[1]);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    ::close(in[0]);
    if (pid < 0) {
        ::close(in[1]);
        *error = "cannot start " + args[0] + ": " + std::strerror(errno);
        return false;
    }
    // Kept out of any later child, which would otherwise hold the pipe open.
    fcntl(in[1], F_SETFD, FD_CLOEXEC);
    child->handle = pid;
    child->input = in[1];
    return true;
}

bool write_to_child(const ChildProcess& child, const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t wrote = ::write(static_cast<int>(child.input), bytes, size);
        if (wrote < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += wrote;
        size -= static_cast<size_t>(wrote);
    }
    return true;
}

bool finish_child(ChildProcess* child) {
    if (child->input >= 0) ::close(static_cast<int>(child->input));
    child->input = -1;
    if (child->handle < 0) return false;
    const bool exited_well = wait_for(static_cast<pid_t>(child->handle));
    child->handle = -1;
    return exited_well;
}

void stop_child(ChildProcess* child) {
    if (child->handle > 0) kill(static_cast<pid_t>(child->handle), SIGTERM);
    finish_child(child);
}

std::string program_output(const std::vector<std::string>& args) {
    std::string text;
    int out[2] = {-1, -1};
    if (pipe(out) != 0) return text;
    const pid_t child = spawn_quietly(args, out[1]);
    ::close(out[1]);
    char buffer[256];
    for (ssize_t got; (got = ::read(out[0], buffer, sizeof buffer)) != 0;) {
        if (got < 0) {
            if (errno == EINTR) continue;
            break;
        }
        text.append(buffer, static_cast<size_t>(got));
    }
    ::close(out[0]);
    if (child > 0) wait_for(child);
    return text;
}

void platform_prepare_process() {
    for (int descriptor = 0; descriptor <= 2; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free descriptor is this one, as every lower one is open.
        const int null_device = ::open("/dev/null", descriptor == 0 ? O_RDONLY : O_WRONLY);
        if (null_device != descriptor && null_device >= 0) ::close(null_device);
    }
    signal(SIGPIPE, SIG_IGN);
}

std::vector<std::string> platform_arguments(int argc, char** argv) { return {argv, argv + argc}; }

std::string platform_installed_data_parent() {
    std::error_code code;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", code);
    if (code) return {};
    return (program.parent_path() / ".." / "share" / "zelvo").lexically_normal().string();
}

std::string platform_make_private_folder(const std::string& folder, std::string* error) {
    const std::filesystem::path parent = folder.empty() ? std::filesystem::path(".") : std::filesystem::path(folder);
    std::string name = (parent / ".zelvo-XXXXXX").string();
    // mkdtemp makes the folder new (never an existing one or a link), mode 0700.
    if (!mkdtemp(name.data())) {
        *error = "cannot write in " + parent.string() + ": " + std::strerror(errno);
        return {};
    }
    return name;
}

bool claim_name(const std::string& lock_path, NameClaim* claim, std::string* error) {
    // A lock file removed by its holder between our open and our lock is
    // another's no longer: locked, it must still be the file under the name.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int file = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (file < 0) {
            *error = "cannot lock " + lock_path + ": " + std::strerror(errno);
            return false;
        }
        if (flock(file, LOCK_EX | LOCK_NB) != 0) {
            const int reason = errno;
            ::close(file);
            *error = reason == EWOULDBLOCK ? "another capture is writing it" : "cannot lock " + lock_path + ": " +
                                                                                   std::strerror(reason);
            return false;
        }
        struct stat opened {}, named {};
        if (fstat(file, &opened) == 0 && lstat(lock_path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
            opened.st_ino == named.st_ino) {
            *claim = NameClaim{file, lock_path};
            return true;
        }
        ::close(file);
    }
    *error = "cannot lock " + lock_path + ": it keeps being replaced";
    return false;
}

void release_name(NameClaim* claim) {
    if (claim->handle < 0) return;
    ::unlink(claim->lock_path.c_str());
    ::close(static_cast<int>(claim->handle));
    *claim = NameClaim{};
}

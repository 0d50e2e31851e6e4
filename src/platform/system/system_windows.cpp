// The running program and its children on Windows: where its data is installed,
// CreateProcess with an anonymous pipe as stdin.
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <random>

#include "codecs/codecs.h"
#include "platform/platform.h"
#include "platform/system/system.h"
#include "platform/win32/win32.h"

namespace {

// One command line from the arguments, quoted as the C runtime's parser
// splits it again: backslashes double only before a quote.
std::string command_line(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& arg : args) {
        if (!line.empty()) line += ' ';
        if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
            line += arg;
            continue;
        }
        line += '"';
        size_t backslashes = 0;
        for (char c : arg) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
            backslashes = 0;
            line += c;
        }
        line.append(backslashes * 2, '\\');
        line += '"';
    }
    return line;
}

HANDLE null_device() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       OPEN_EXISTING, 0, nullptr);
}

// Starts the program with the three standard handles given (each inheritable);
// the process handle, or nullptr.
HANDLE spawn(const std::vector<std::string>& args, HANDLE input, HANDLE output, HANDLE errors) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = errors;
    PROCESS_INFORMATION process{};
    std::wstring line = wide_text(command_line(args));
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

bool wait_for(HANDLE process) {
    WaitForSingleObject(process, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code == 0;
}

HANDLE as_handle(long long value) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(value)); }

long long as_number(HANDLE handle) { return static_cast<long long>(reinterpret_cast<intptr_t>(handle)); }

}  // namespace

bool program_runs(const char* program) {
    HANDLE null = null_device();
    HANDLE process = spawn({program, "-version"}, null, null, null);
    CloseHandle(null);
    return process && wait_for(process);
}

bool start_child(const std::vector<std::string>& args, ChildProcess* child, std::string* error) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &inherit, 1 << 20)) {
        *error = "cannot make a pipe to " + args[0] + ": " + windows_error_text(GetLastError());
        return false;
    }
    // Our write end left inheritable would keep the child waiting for more forever.
    SetHandleInformation(write_end, HANDLE_FLAG_INHERIT, 0);
    HANDLE process = spawn(args, read_end, GetStdHandle(STD_OUTPUT_HANDLE), GetStdHandle(STD_ERROR_HANDLE));
    const std::string reason = process ? "" : windows_error_text(GetLastError());
    CloseHandle(read_end);
    if (!process) {
        CloseHandle(write_end);
        *error = "cannot start " + args[0] + ": " + reason;
        return false;
    }
    child->handle = as_number(process);
    child->input = as_number(write_end);
    return true;
}

bool write_to_child(const ChildProcess& child, const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        DWORD wrote = 0;
        const DWORD chunk = static_cast<DWORD>(size < (1u << 30) ? size : (1u << 30));
        if (!WriteFile(as_handle(child.input), bytes, chunk, &wrote, nullptr) || wrote == 0) return false;
        bytes += wrote;
        size -= wrote;
    }
    return true;
}

bool finish_child(ChildProcess* child) {
    if (child->input != -1) CloseHandle(as_handle(child->input));
    child->input = -1;
    if (child->handle == -1) return false;
    const bool exited_well = wait_for(as_handle(child->handle));
    child->handle = -1;
    return exited_well;
}

void stop_child(ChildProcess* child) {
    if (child->handle != -1) TerminateProcess(as_handle(child->handle), 1);
    finish_child(child);
}

std::string program_output(const std::vector<std::string>& args) {
    std::string text;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return text;
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    HANDLE null = null_device();
    HANDLE process = spawn(args, null, write_end, write_end);
    CloseHandle(null);
    CloseHandle(write_end);
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(read_end);
    if (process) wait_for(process);
    return text;
}

// A program started without a console or with a stream closed has standard
// streams bound to nothing; they are bound to NUL so the C runtime's
// descriptors 0 to 2 are never handed to a file of the program's own.
void platform_prepare_process() {
    const struct {
        FILE* stream;
        const char* mode;
    } streams[] = {{stdin, "r"}, {stdout, "w"}, {stderr, "w"}};
    for (const auto& s : streams)
        if (_fileno(s.stream) < 0 || _get_osfhandle(_fileno(s.stream)) < 0) (void)std::freopen("NUL", s.mode, s.stream);
}

std::vector<std::string> platform_arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return {argv, argv + argc};
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(utf8_text(wide[i]));
    LocalFree(wide);
    return arguments;
}

std::string platform_installed_data_parent() {
    wchar_t path[32768];
    const DWORD length = GetModuleFileNameW(nullptr, path, sizeof path / sizeof path[0]);
    if (length == 0 || length >= sizeof path / sizeof path[0]) return {};
    return utf8_text(std::filesystem::path(std::wstring(path, length)).parent_path().wstring());
}

std::string platform_make_private_folder(const std::string& folder, std::string* error) {
    const std::filesystem::path parent = folder.empty() ? std::filesystem::path(L".") : file_path(folder);
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        wchar_t name[32];
        std::swprintf(name, 32, L".zelvo-%08x%08x", random(), random());
        const std::filesystem::path made = parent / name;
        // CreateDirectoryW makes the folder new: it fails on anything already
        // under the name, a link or a junction included.
        if (CreateDirectoryW(made.c_str(), nullptr)) return utf8_text(made.wstring());
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    *error = "cannot write in " + file_name_text(parent) + ": " + windows_error_text(GetLastError());
    return {};
}

// The lock file is opened for this process alone and goes when it is closed,
// the process's end included.
bool claim_name(const std::string& lock_path, NameClaim* claim, std::string* error) {
    HANDLE file = CreateFileW(file_path(lock_path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        *error = code == ERROR_SHARING_VIOLATION ? "another capture is writing it"
                                                 : "cannot lock " + lock_path + ": " + windows_error_text(code);
        return false;
    }
    *claim = NameClaim{as_number(file), lock_path};
    return true;
}

void release_name(NameClaim* claim) {
    if (claim->handle == -1) return;
    CloseHandle(as_handle(claim->handle));
    *claim = NameClaim{};
}

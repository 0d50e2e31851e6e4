// Windows backend: the window, its WGL context, the message pump and message
// boxes through Win32. The window procedure turns the window's messages into
// the shell's own, queued and handed out one per call.
//
// The default start switches the display to 800 x 600 x 32 and covers it with
// a borderless window, or, when the mode is refused, opens a captioned window
// of that client size. The scaled presentations (--window, --fullscreen) draw
// into an off-screen framebuffer (of the size asked for, else of the client
// area's, re-made at a swap when it changes) and scale it into the window at
// every swap, as the SDL backend does on Linux; their window opens at the
// display's scale (800 x 600 at 96 dots an inch, 1200 x 900 at 144).
#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>

#include "platform/backend.h"
#include "platform/offscreen/offscreen.h"
#include "platform/win32/win32.h"

namespace {

constexpr DWORD captioned_style = WS_POPUP | WS_CAPTION;
constexpr DWORD captioned_extended = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
constexpr DWORD resizable_style = WS_OVERLAPPEDWINDOW;
constexpr DWORD covering_style = WS_POPUP;
constexpr DWORD covering_extended = WS_EX_APPWINDOW;

struct Windows {
    GlWindow gl;
    bool mode_changed = false;  // the display was switched and must be restored
    bool fullscreen = false;    // the window covers the display
    bool cursor_hidden = false;
    bool close_sent = false;

    Presentation presentation = Presentation::mode_switch;
    FramebufferCalls calls;
    OffscreenPicture picture;  // the show's picture in the scaled presentations
    RECT windowed{};           // where the window was before it covered the display

    std::deque<Message> queue;  // what the window procedure made of the window's messages
};

Windows win;
WindowOptions chosen;  // kept apart from win, which closing the window resets

bool scaled() { return win.presentation != Presentation::mode_switch; }

void hide_cursor(bool hide) {
    if (hide == win.cursor_hidden) return;
    ShowCursor(hide ? FALSE : TRUE);
    win.cursor_hidden = hide;
}

// Puts the display back as the registry has it; every way out passes here.
void restore_display_mode() {
    if (!win.mode_changed) return;
    ChangeDisplaySettingsA(nullptr, 0);
    win.mode_changed = false;
}

// The outer rectangle of a window at the desktop's top-left corner whose
// client area is width x height.
RECT outer_rectangle(int width, int height, DWORD style, DWORD extended) {
    RECT rect{0, 0, width, height};
    AdjustWindowRectEx(&rect, style, FALSE, extended);
    OffsetRect(&rect, -rect.left, -rect.top);
    return rect;
}

RECT monitor_rectangle() {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    const HMONITOR monitor = MonitorFromWindow(win.gl.window, MONITOR_DEFAULTTOPRIMARY);
    if (monitor && GetMonitorInfoA(monitor, &info)) return info.rcMonitor;
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void place_window(DWORD style, DWORD extended, const RECT& rect) {
    SetWindowLongPtrA(win.gl.window, GWL_STYLE, static_cast<LONG_PTR>(style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                                                                       WS_VISIBLE));
    SetWindowLongPtrA(win.gl.window, GWL_EXSTYLE, static_cast<LONG_PTR>(extended));
    SetWindowPos(win.gl.window, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

// Switches a scaled presentation between the resizable window and a
// borderless window over the whole display at its own resolution.
void set_fullscreen(bool fullscreen) {
    if (fullscreen == win.fullscreen) return;
    if (fullscreen) {
        GetWindowRect(win.gl.window, &win.windowed);
        place_window(covering_style, covering_extended, monitor_rectangle());
    } else {
        place_window(resizable_style, captioned_extended, win.windowed);
    }
    win.fullscreen = fullscreen;
    hide_cursor(fullscreen);
}

void post(const Message& message) { win.queue.push_back(message); }

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_ACTIVATE:
        post(Message{MessageKind::activate, static_cast<uint32_t>(wparam), HIWORD(wparam) != 0});
        return 0;
    case WM_SYSCOMMAND: {
        const uint32_t command = static_cast<uint32_t>(wparam & 0xFFF0);
        if (command == syscommand_screensave || command == syscommand_monitorpower) {
            post(Message{MessageKind::syscommand, command, false});
            return 0;
        }
        break;
    }
    case WM_CLOSE:
        if (!win.close_sent) post(Message{MessageKind::close, 0, false});
        win.close_sent = true;
        return 0;
    case WM_SYSKEYDOWN:
        // Alt+Enter in a scaled presentation switches between the window and
        // the full screen; it never reaches the shell.
        if (wparam == VK_RETURN && scaled()) {
            if ((lparam & (1 << 30)) == 0) set_fullscreen(!win.fullscreen);
            return 0;
        }
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
        post(Message{message == WM_KEYDOWN ? MessageKind::key_down : MessageKind::key_up,
                     static_cast<uint32_t>(wparam & 0xFF), false});
        return 0;
    case WM_ERASEBKGND:
        return 1;  // GL paints every pixel
    case WM_DPICHANGED: {
        // Moved to a display of another scale: the size Windows suggests keeps
        // the window as large to the eye; the picture follows the client area.
        const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
        if (scaled() && !win.fullscreen)
            SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                         suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

// The scale of the display the window opens on, 1 at 96 dots an inch: the
// program is per-monitor DPI aware (its manifest), so Windows scales nothing
// itself. GetDpiForSystem is looked up, as Windows before 10 lacks it.
double display_scale() {
    using GetDpi = UINT(WINAPI*)();
    const HMODULE user32 = GetModuleHandleA("user32.dll");
    void* found = user32 ? reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForSystem")) : nullptr;
    const auto get_dpi = reinterpret_cast<GetDpi>(found);
    UINT dpi = get_dpi ? get_dpi() : 0;
    if (dpi == 0) {
        const HDC screen = GetDC(nullptr);
        dpi = screen ? static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSX)) : 96;
        if (screen) ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi / 96.0 : 1.0;
}

// The display mode request: width x height at bits per pixel, any refresh rate.
bool change_display_mode(int width, int height, int bits) {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmBitsPerPel = static_cast<DWORD>(bits);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

// The picture's size: the one asked for, else the client area's own (within
// what the GL draws).
void picture_size(int* width, int* height) {
    if (chosen.picture_width > 0 && chosen.picture_height > 0) {
        *width = chosen.picture_width;
        *height = chosen.picture_height;
        return;
    }
    RECT client{};
    GetClientRect(win.gl.window, &client);
    *width = client.right - client.left;
    *height = client.bottom - client.top;
    fit_offscreen_limits(width, height);
}

bool create_picture_framebuffer(std::string* error) {
    if (!look_up_framebuffer_calls(wgl_lookup, &win.calls)) {
        *error = "the OpenGL driver offers no framebuffer objects to scale the picture with";
        return false;
    }
    int width = 0, height = 0;
    picture_size(&width, &height);
    return make_checked_offscreen_picture(win.calls, width, height, chosen.samples, &win.picture, error,
                                          &open_refused_size);
}

void swap_window() { SwapBuffers(win.gl.device); }

bool message_boxes_wanted() {
    // A service or a scheduled task has no desktop anyone sees: nobody could click.
    USEROBJECTFLAGS flags{};
    const HWINSTA station = GetProcessWindowStation();
    if (station && GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, nullptr))
        return (flags.dwFlags & WSF_VISIBLE) != 0;
    return true;
}

void windows_close_window();

// Started from Explorer, the program gets a console of its own that nobody
// reads: it goes, and messages go to the boxes alone. Started from a console
// or with redirected output, stderr stays.
void leave_own_console() {
    DWORD processes[2];
    const bool errors_to_console = GetFileType(GetStdHandle(STD_ERROR_HANDLE)) == FILE_TYPE_CHAR;
    if (errors_to_console && GetConsoleWindow() && GetConsoleProcessList(processes, 2) == 1) FreeConsole();
}

// Ctrl+C or Ctrl+Break in the console, or the console closing: set from the
// console's own thread, read by the message pump, which closes the window so
// the display mode is restored on the way out.
volatile LONG console_interrupt = 0;

BOOL WINAPI catch_console_interrupt(DWORD) {
    InterlockedExchange(&console_interrupt, 1);
    return TRUE;
}

bool windows_open_window(const char* title, int width, int height, int bits, bool fullscreen_request,
                         bool* got_fullscreen, std::string* error) {
    *got_fullscreen = false;
    win = Windows{};
    win.presentation = chosen.presentation;
    static const bool restores_at_exit = std::atexit(restore_display_mode) == 0;
    (void)restores_at_exit;
    if (!register_window_class(window_procedure, error)) return false;
    DWORD style = captioned_style, extended = captioned_extended;
    if (scaled()) {
        // The window is as large to the eye as 800 x 600 at 96 dots an inch.
        const double scale = display_scale();
        width = static_cast<int>(std::lround(width * scale));
        height = static_cast<int>(std::lround(height * scale));
        style = resizable_style;
    } else if (fullscreen_request && change_display_mode(width, height, bits)) {
        win.mode_changed = true;
        win.fullscreen = true;
        style = covering_style;
        extended = covering_extended;
    }
    if (!create_gl_window(title, style, extended, outer_rectangle(width, height, style, extended), &win.gl, error)) {
        windows_close_window();
        return false;
    }
    if (scaled() && !create_picture_framebuffer(error)) {
        windows_close_window();
        return false;
    }
    ShowWindow(win.gl.window, SW_SHOW);
    SetForegroundWindow(win.gl.window);
    SetFocus(win.gl.window);
    if (win.presentation == Presentation::fullscreen) set_fullscreen(true);
    if (win.fullscreen) hide_cursor(true);
    *got_fullscreen = win.fullscreen;
    return true;
}

void windows_close_window() {
    restore_display_mode();
    hide_cursor(false);
    if (win.gl.context && win.picture.framebuffer) delete_offscreen_picture(win.calls, &win.picture);
    destroy_gl_window(&win.gl);
    win = Windows{};
}

void windows_swap_buffers() {
    if (!win.gl.window) return;
    if (win.picture.framebuffer == 0) {
        SwapBuffers(win.gl.device);
        return;
    }
    RECT client{};
    GetClientRect(win.gl.window, &client);
    present_offscreen_picture(win.calls, win.picture, client.right - client.left, client.bottom - client.top,
                              swap_window);
    // A picture that follows the client area takes its new size between frames.
    int width = 0, height = 0;
    picture_size(&width, &height);
    resize_offscreen_picture(win.calls, width, height, &win.picture);
}

void windows_set_title(const char* title) {
    if (win.gl.window) SetWindowTextW(win.gl.window, wide_text(title).c_str());
}

void windows_show_cursor(bool show) { hide_cursor(!show); }

bool windows_next_message(Message* message) {
    if (console_interrupt && !win.close_sent) {
        win.close_sent = true;
        post(Message{MessageKind::close, 0, false});
    }
    MSG msg;
    while (win.queue.empty() && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (win.queue.empty()) return false;
    *message = win.queue.front();
    win.queue.pop_front();
    return true;
}

void windows_wait_message(uint32_t timeout_ms) {
    if (!win.queue.empty()) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, timeout_ms, QS_ALLINPUT);
}

void windows_message_box(const char* text, const char* caption) {
    if (!message_boxes_wanted()) return;
    MessageBoxW(nullptr, wide_text(text).c_str(), wide_text(caption).c_str(), MB_OK | MB_ICONERROR | MB_TOPMOST);
}

uint32_t windows_wall_ms() {
    static LARGE_INTEGER frequency{}, start{};
    if (frequency.QuadPart == 0) {
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
    }
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<uint32_t>((now.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart);
}

}  // namespace

const BackendTable win32_backend = {
    .name = "win32",
    .select =
        [](const HeadlessOptions&, const WindowOptions& options) {
            chosen = options;
            leave_own_console();
            SetConsoleCtrlHandler(catch_console_interrupt, TRUE);
            windows_wall_ms();
        },
    .open_window = windows_open_window,
    .close_window = windows_close_window,
    .swap_buffers = windows_swap_buffers,
    .set_title = windows_set_title,
    .show_cursor = windows_show_cursor,
    .next_message = windows_next_message,
    .wait_message = windows_wait_message,
    .message_box = windows_message_box,
    .wall_ms = windows_wall_ms,
    .sound_init = [](int rate, int channels, std::string* error) {
        return win32_sound_init(rate, channels, chosen.mute, error);
    },
    .sound_open_stream = win32_sound_open_stream,
    .sound_play = win32_sound_play,
    .sound_pause = win32_sound_pause,
    .sound_position_ms = win32_sound_position_ms,
    .sound_close = win32_sound_close,
    .frame_size =
        [](int* width, int* height) {
            RECT client{};
            if (win.gl.window) GetClientRect(win.gl.window, &client);
            *width = win.picture.framebuffer != 0 ? win.picture.width : client.right - client.left;
            *height = win.picture.framebuffer != 0 ? win.picture.height : client.bottom - client.top;
        },
    .resolve_samples = [] { resolve_offscreen_picture(win.calls, win.picture); },
    // Every frame is seen, nothing is captured; Ctrl+C closes the window like
    // any other way out.
    .capture = &no_capture,
};

// Windows: the window class, a window with its WGL context and the lookup of
// GL entry points, for the Win32 backend's window and the headless backend's
// hidden one; the text of a Win32 error.
#include "platform/win32/win32.h"

#include <GL/gl.h>

namespace {

constexpr const char* class_name = "zelvo";

// One pixel format request: double-buffered RGBA, 32 colour bits, the given depth bits.
PIXELFORMATDESCRIPTOR pixel_format_request(BYTE depth_bits) {
    PIXELFORMATDESCRIPTOR request{};
    request.nSize = sizeof request;
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = 32;
    request.cDepthBits = depth_bits;
    request.iLayerType = PFD_MAIN_PLANE;
    return request;
}

bool choose_pixel_format(HDC device, std::string* error) {
    for (BYTE depth_bits : {BYTE(24), BYTE(16)}) {
        const PIXELFORMATDESCRIPTOR request = pixel_format_request(depth_bits);
        const int format = ChoosePixelFormat(device, &request);
        PIXELFORMATDESCRIPTOR chosen{};
        if (format == 0 || !DescribePixelFormat(device, format, sizeof chosen, &chosen)) continue;
        if (chosen.cDepthBits < depth_bits || (chosen.dwFlags & PFD_DOUBLEBUFFER) == 0) continue;
        if (SetPixelFormat(device, format, &request)) return true;
    }
    *error = "no double-buffered RGBA pixel format with a depth buffer of 16 bits or more: " +
             windows_error_text(GetLastError());
    return false;
}

}  // namespace

std::string windows_error_text(DWORD code) {
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text, sizeof text,
                   nullptr);
    std::string message = text;
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(code) : message;
}

std::wstring wide_text(const std::string& utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

std::string utf8_text(const std::wstring& wide) {
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length, nullptr, nullptr);
    return utf8;
}

bool register_window_class(WNDPROC procedure, std::string* error) {
    static WNDPROC registered = nullptr;
    if (registered == procedure) return true;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    if (registered) UnregisterClassA(class_name, instance);
    WNDCLASSA window_class{};
    window_class.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIcon(nullptr, IDI_WINLOGO);
    window_class.hCursor = LoadCursor(nullptr, IDC_ARROW);
    window_class.lpszClassName = class_name;
    if (!RegisterClassA(&window_class)) {
        *error = "cannot register the window class: " + windows_error_text(GetLastError());
        registered = nullptr;
        return false;
    }
    registered = procedure;
    return true;
}

bool create_gl_window(const char* title, DWORD style, DWORD extended_style, const RECT& outer, GlWindow* gl,
                      std::string* error) {
    *gl = GlWindow{};
    gl->window = CreateWindowExA(extended_style, class_name, title, style | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                 outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!gl->window) {
        *error = "cannot create the window: " + windows_error_text(GetLastError());
        return false;
    }
    gl->device = GetDC(gl->window);
    if (!gl->device || !choose_pixel_format(gl->device, error)) {
        destroy_gl_window(gl);
        return false;
    }
    gl->context = wglCreateContext(gl->device);
    if (!gl->context || !wglMakeCurrent(gl->device, gl->context)) {
        *error = "cannot create the OpenGL context: " + windows_error_text(GetLastError());
        destroy_gl_window(gl);
        return false;
    }
    return true;
}

void destroy_gl_window(GlWindow* gl) {
    if (gl->context) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(gl->context);
    }
    if (gl->device) ReleaseDC(gl->window, gl->device);
    if (gl->window) DestroyWindow(gl->window);
    *gl = GlWindow{};
}

void* wgl_lookup(const char* name) {
    PROC function = wglGetProcAddress(name);
    // Some drivers answer 1, 2, 3 or -1 instead of nothing.
    const auto value = reinterpret_cast<intptr_t>(function);
    if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1) {
        static const HMODULE opengl = LoadLibraryA("opengl32.dll");
        function = opengl ? GetProcAddress(opengl, name) : nullptr;
    }
    return reinterpret_cast<void*>(function);
}

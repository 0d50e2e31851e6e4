// Inside the platform layer, Windows only: what the Win32 backend's files share
// (win32_window.cpp: the window, its messages and presentations;
// win32_sound.cpp: waveOut; win32_gl.cpp: a window with a WGL context, which
// the headless backend's hidden window also uses) and the Win32 error text
// the per-system files use. Not for use outside src/platform.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdint>
#include <string>

struct GlWindow {
    HWND window = nullptr;
    HDC device = nullptr;
    HGLRC context = nullptr;
};

// Registers the window class "zelvo" with the given procedure (once per process).
bool register_window_class(WNDPROC procedure, std::string* error);

// Creates a window of the class with the styles, its outer rectangle as given,
// not shown, picks a double-buffered RGBA pixel format of 32 colour and 24
// depth bits (16 where 24 are not offered), and makes a WGL context current.
bool create_gl_window(const char* title, DWORD style, DWORD extended_style, const RECT& outer, GlWindow* gl,
                      std::string* error);

// Releases the context, the device context and the window; safe on one never made.
void destroy_gl_window(GlWindow* gl);

// A GL entry point of the current context by name: wglGetProcAddress for
// what came after 1.1, opengl32.dll's own exports for the rest.
void* wgl_lookup(const char* name);

// The text of the calling thread's last Win32 error ("Access is denied").
std::string windows_error_text(DWORD code);

// UTF-8 text as the wide-character calls take it, and back: the program's
// names and messages are UTF-8, the narrow calls read the ANSI code page.
std::wstring wide_text(const std::string& utf8);
std::string utf8_text(const std::wstring& wide);

// ---- Sound: the table's sound entries, from win32_sound.cpp ----

// Opens a waveOut device (or, muted, none) at rate Hz, stereo, 16 bits.
bool win32_sound_init(int rate, int channels, bool mute, std::string* error);
bool win32_sound_open_stream(const uint8_t* bytes, size_t size, std::string* error, std::string* warning);
void win32_sound_play(int32_t start_ms);
void win32_sound_pause();
int32_t win32_sound_position_ms();
void win32_sound_close();

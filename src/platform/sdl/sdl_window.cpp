// SDL backend (the Linux desktop): the window, its OpenGL context, events and message boxes
// through SDL2. Events are handed out one per call as the Win32-style messages
// the shell's window procedure handles.
//
// In the scaled presentations the show never sees the window's own buffers: it
// draws into an off-screen framebuffer (of the size asked for, else of the
// drawable's, re-made at a swap when the drawable changes), which stays bound
// for drawing and reading (a multisampled one's resolved copy for reading), and
// each swap scales it into the window.
#define SDL_MAIN_HANDLED
#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/backend.h"
#include "platform/offscreen/offscreen.h"
#include "platform/sdl/sdl.h"

namespace {

struct Sdl {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    bool video_started = false;
    bool fullscreen = false;
    bool minimized = false;
    bool close_sent = false;

    Presentation presentation = Presentation::mode_switch;
    FramebufferCalls gl;
    OffscreenPicture picture;      // the show's picture in the scaled presentations
    SDL_Rect windowed{};           // where the window was before it covered the display
};

Sdl sdl;
WindowOptions chosen;  // kept apart from sdl, which closing the window resets

// Win32 virtual-key codes of the keys that have one here.
constexpr uint32_t vk_back = 0x08, vk_tab = 0x09, vk_return = 0x0D, vk_shift = 0x10, vk_control = 0x11,
                   vk_menu = 0x12, vk_pause = 0x13, vk_capital = 0x14, vk_escape = 0x1B, vk_space = 0x20,
                   vk_prior = 0x21, vk_next = 0x22, vk_end = 0x23, vk_home = 0x24, vk_left = 0x25, vk_up = 0x26,
                   vk_right = 0x27, vk_down = 0x28, vk_insert = 0x2D, vk_delete = 0x2E, vk_numpad0 = 0x60,
                   vk_f1 = 0x70;

struct KeyCode {
    SDL_Keycode sdl;
    uint32_t vk;
};

constexpr KeyCode named_keys[] = {
    {SDLK_BACKSPACE, vk_back}, {SDLK_TAB, vk_tab},       {SDLK_RETURN, vk_return},   {SDLK_KP_ENTER, vk_return},
    {SDLK_LSHIFT, vk_shift},   {SDLK_RSHIFT, vk_shift},  {SDLK_LCTRL, vk_control},   {SDLK_RCTRL, vk_control},
    {SDLK_LALT, vk_menu},      {SDLK_RALT, vk_menu},     {SDLK_PAUSE, vk_pause},     {SDLK_CAPSLOCK, vk_capital},
    {SDLK_ESCAPE, vk_escape},  {SDLK_SPACE, vk_space},   {SDLK_PAGEUP, vk_prior},    {SDLK_PAGEDOWN, vk_next},
    {SDLK_END, vk_end},        {SDLK_HOME, vk_home},     {SDLK_LEFT, vk_left},       {SDLK_UP, vk_up},
    {SDLK_RIGHT, vk_right},    {SDLK_DOWN, vk_down},     {SDLK_INSERT, vk_insert},   {SDLK_DELETE, vk_delete},
    {SDLK_KP_0, vk_numpad0},   {SDLK_KP_1, vk_numpad0 + 1}, {SDLK_KP_2, vk_numpad0 + 2}, {SDLK_KP_3, vk_numpad0 + 3},
    {SDLK_KP_4, vk_numpad0 + 4}, {SDLK_KP_5, vk_numpad0 + 5}, {SDLK_KP_6, vk_numpad0 + 6},
    {SDLK_KP_7, vk_numpad0 + 7}, {SDLK_KP_8, vk_numpad0 + 8}, {SDLK_KP_9, vk_numpad0 + 9},
};

// WM_ACTIVATE's wParam: low word active (1) or inactive (0), high word the minimised flag.
Message activate_message(bool active, bool minimized) {
    return Message{MessageKind::activate, (minimized ? 0x10000u : 0u) | (active ? 1u : 0u), minimized};
}

bool translate_window_event(const SDL_WindowEvent& event, Message* message) {
    switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
        sdl.close_sent = true;
        *message = Message{MessageKind::close, 0, false};
        return true;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        *message = activate_message(true, sdl.minimized);
        return true;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        *message = activate_message(false, sdl.minimized);
        return true;
    case SDL_WINDOWEVENT_MINIMIZED:
        sdl.minimized = true;
        *message = activate_message(false, true);
        return true;
    case SDL_WINDOWEVENT_RESTORED:
        sdl.minimized = false;
        *message = activate_message(true, false);
        return true;
    default:
        return false;
    }
}

bool scaled() { return sdl.presentation != Presentation::mode_switch; }

void place_window(const SDL_Rect& rect) {
    SDL_SetWindowSize(sdl.window, rect.w, rect.h);
    SDL_SetWindowPosition(sdl.window, rect.x, rect.y);
}

// Switches a scaled presentation between the window and the full screen at the
// display's own resolution. Where no window manager answers the full-screen
// request (a bare X server) nothing would move or size the window, so it takes
// the display's bounds itself first and gets its windowed place back after.
void set_fullscreen(bool fullscreen) {
    SDL_Rect bounds;
    const bool own_bounds =
        fullscreen && SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(sdl.window), 0), &bounds) == 0;
    if (own_bounds) {
        SDL_GetWindowPosition(sdl.window, &sdl.windowed.x, &sdl.windowed.y);
        SDL_GetWindowSize(sdl.window, &sdl.windowed.w, &sdl.windowed.h);
        place_window(bounds);
    }
    if (SDL_SetWindowFullscreen(sdl.window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
        if (own_bounds) place_window(sdl.windowed);
        return;
    }
    if (!fullscreen && sdl.windowed.w > 0) place_window(sdl.windowed);
    sdl.fullscreen = fullscreen;
    SDL_ShowCursor(fullscreen ? SDL_DISABLE : SDL_ENABLE);
}

// Alt+Enter in a scaled presentation: switches between the window and the full
// screen on the press; press and release are both kept from the shell.
bool is_alt_enter(const SDL_KeyboardEvent& key) {
    return scaled() && (key.keysym.sym == SDLK_RETURN || key.keysym.sym == SDLK_KP_ENTER) &&
           (key.keysym.mod & KMOD_ALT) != 0;
}

bool translate_event(const SDL_Event& event, Message* message) {
    switch (event.type) {
    case SDL_QUIT:
        // SDL follows the last window's close with SDL_QUIT; Ctrl+C and SIGTERM
        // arrive as SDL_QUIT alone. Either way the window hears close once.
        if (sdl.close_sent) return false;
        sdl.close_sent = true;
        *message = Message{MessageKind::close, 0, false};
        return true;
    case SDL_WINDOWEVENT:
        return translate_window_event(event.window, message);
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        if (is_alt_enter(event.key)) {
            if (event.type == SDL_KEYDOWN && !event.key.repeat) set_fullscreen(!sdl.fullscreen);
            return false;
        }
        // Keys without a virtual-key code never reach the shell.
        const uint32_t vk = virtual_key_of(event.key.keysym.sym);
        if (vk == 0) return false;
        *message = Message{event.type == SDL_KEYDOWN ? MessageKind::key_down : MessageKind::key_up, vk, false};
        return true;
    }
    default:
        return false;
    }
}

void set_gl_attributes(int depth_bits) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth_bits);
}

// The display mode the full-screen request switches to, when the display has
// one of exactly width x height at the colour depth asked for.
bool find_display_mode(int width, int height, int bits, SDL_DisplayMode* mode) {
    SDL_DisplayMode wanted{};
    wanted.format = bits >= 24 ? SDL_PIXELFORMAT_RGB888 : SDL_PIXELFORMAT_RGB565;
    wanted.w = width;
    wanted.h = height;
    if (!SDL_GetClosestDisplayMode(0, &wanted, mode)) return false;
    // A 32-bit mode is reported as 24 bits of colour in 4 bytes.
    const int colour_bits = SDL_BYTESPERPIXEL(mode->format) == 4 ? 32 : SDL_BITSPERPIXEL(mode->format);
    return mode->w == width && mode->h == height && colour_bits >= bits;
}

// One attempt at the window and its context with the given depth buffer.
bool create_window_and_context(const char* title, int width, int height, int depth_bits, std::string* error) {
    set_gl_attributes(depth_bits);
    // A captioned window at the desktop's top-left corner, resizable only when
    // the picture is scaled; full screen is entered after the context exists so
    // a refusal leaves this window.
    const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | (scaled() ? SDL_WINDOW_RESIZABLE : 0);
    sdl.window = SDL_CreateWindow(title, 0, 0, width, height, flags);
    if (!sdl.window) {
        *error = std::string("cannot create the window: ") + SDL_GetError();
        return false;
    }
    sdl.context = SDL_GL_CreateContext(sdl.window);
    if (!sdl.context) {
        *error = std::string("cannot create the OpenGL context: ") + SDL_GetError();
        SDL_DestroyWindow(sdl.window);
        sdl.window = nullptr;
        return false;
    }
    return true;
}

bool enter_fullscreen(int width, int height, int bits) {
    SDL_DisplayMode mode;
    if (!find_display_mode(width, height, bits, &mode)) return false;
    if (SDL_SetWindowDisplayMode(sdl.window, &mode) != 0) return false;
    if (SDL_SetWindowFullscreen(sdl.window, SDL_WINDOW_FULLSCREEN) != 0) {
        SDL_SetWindowFullscreen(sdl.window, 0);
        return false;
    }
    return true;
}

// The picture's size: the one asked for, else the drawable's own (within
// what the GL draws).
void picture_size(int* width, int* height) {
    if (chosen.picture_width > 0 && chosen.picture_height > 0) {
        *width = chosen.picture_width;
        *height = chosen.picture_height;
        return;
    }
    SDL_GL_GetDrawableSize(sdl.window, width, height);
    fit_offscreen_limits(width, height);
}

// The show's off-screen picture, left bound for drawing and reading.
bool create_picture_framebuffer(std::string* error) {
    if (!look_up_framebuffer_calls(SDL_GL_GetProcAddress, &sdl.gl)) {
        *error = "the OpenGL driver offers no framebuffer objects to scale the picture with";
        return false;
    }
    int width = 0, height = 0;
    picture_size(&width, &height);
    return make_checked_offscreen_picture(sdl.gl, width, height, chosen.samples, &sdl.picture, error,
                                          &open_refused_size);
}

void swap_window() { SDL_GL_SwapWindow(sdl.window); }

void present_scaled_picture() {
    int drawable_width = 0, drawable_height = 0;
    SDL_GL_GetDrawableSize(sdl.window, &drawable_width, &drawable_height);
    present_offscreen_picture(sdl.gl, sdl.picture, drawable_width, drawable_height, swap_window);
    // A picture that follows the drawable takes its new size between frames.
    int width = 0, height = 0;
    picture_size(&width, &height);
    resize_offscreen_picture(sdl.gl, width, height, &sdl.picture);
}

void delete_picture_framebuffer() { delete_offscreen_picture(sdl.gl, &sdl.picture); }


}  // namespace

uint32_t virtual_key_of(int32_t key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + static_cast<uint32_t>(key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + static_cast<uint32_t>(key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return vk_f1 + static_cast<uint32_t>(key - SDLK_F1);
    for (const KeyCode& named : named_keys)
        if (named.sdl == key) return named.vk;
    return 0;
}

namespace {

void sdl_close_window();

// Our own endings close the window first; an exit that finds it open came from
// the display library (the window destroyed by another program, the display gone).
void explain_exit_with_window_open() {
    if (sdl.window)
        std::fputs("zelvo: the display ended the show: its window was destroyed from outside or the connection "
                   "to the display was lost\n",
                   stderr);
}

bool sdl_open_window(const char* title, int width, int height, int bits, bool fullscreen_request,
                         bool* got_fullscreen, std::string* error) {
    *got_fullscreen = false;
    const Presentation presentation = chosen.presentation;
    sdl.presentation = presentation;
    SDL_SetMainReady();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        *error = std::string("cannot start the video system: ") + SDL_GetError();
        return false;
    }
    sdl.video_started = true;
    static const bool explains_exit = std::atexit(explain_exit_with_window_open) == 0;
    (void)explains_exit;
    // Without a display SDL falls back to a driver that draws nowhere: the show
    // would play unseen. Only a driver asked for by name may do that.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = std::getenv("SDL_VIDEODRIVER");
    if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) &&
        !(asked && std::strcmp(asked, driver) == 0)) {
        *error = "there is no display to open it on (SDL found only its \"" + std::string(driver) +
                 "\" driver); --capture renders without one";
        sdl_close_window();
        return false;
    }
    // Ask for a 24-bit depth buffer and settle for 16.
    if (!create_window_and_context(title, width, height, 24, error) &&
        !create_window_and_context(title, width, height, 16, error)) {
        sdl_close_window();
        return false;
    }
    int depth_bits = 0;
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth_bits);
    if (depth_bits < 16) {
        *error = "the OpenGL context has no depth buffer of 16 bits or more";
        sdl_close_window();
        return false;
    }
    SDL_GL_SetSwapInterval(1);
    SDL_DisableScreenSaver();
    if (scaled()) {
        if (!create_picture_framebuffer(error)) {
            sdl_close_window();
            return false;
        }
        // A display that refuses the full screen leaves the window.
        if (presentation == Presentation::fullscreen) set_fullscreen(true);
    } else {
        sdl.fullscreen = fullscreen_request && enter_fullscreen(width, height, bits);
    }
    *got_fullscreen = sdl.fullscreen;
    SDL_ShowWindow(sdl.window);
    SDL_RaiseWindow(sdl.window);
    return true;
}

void sdl_close_window() {
    if (sdl.window && sdl.fullscreen) SDL_SetWindowFullscreen(sdl.window, 0);
    if (sdl.context) delete_picture_framebuffer();
    if (sdl.context) SDL_GL_DeleteContext(sdl.context);
    if (sdl.window) SDL_DestroyWindow(sdl.window);
    // SDL's video stays initialised until the process ends: quitting it unloads
    // the GL driver, and the few bytes the driver keeps to the end could then no
    // longer be named (or suppressed) by LeakSanitizer. Opening again reuses it.
    sdl = Sdl{};
}

void sdl_swap_buffers() {
    if (!sdl.window) return;
    if (sdl.picture.framebuffer != 0)
        present_scaled_picture();
    else
        SDL_GL_SwapWindow(sdl.window);
}

void sdl_set_title(const char* title) {
    if (sdl.window) SDL_SetWindowTitle(sdl.window, title);
}

void sdl_show_cursor(bool show) {
    if (sdl.video_started) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

bool sdl_next_event(Message* message) {
    if (!sdl.video_started) return false;
    SDL_Event event;
    while (SDL_PollEvent(&event))
        if (translate_event(event, message)) return true;
    return false;
}

void sdl_wait_event(uint32_t timeout_ms) {
    if (!sdl.video_started) return;
    // Without an event to fill, SDL leaves the one it found in the queue.
    SDL_WaitEventTimeout(nullptr, static_cast<int>(timeout_ms));
}

void sdl_message_box(const char* text, const char* caption) {
    // Without a display SDL cannot show the box; the text is already on stderr.
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, sdl.window);
}

uint32_t sdl_wall_ms() {
    using Clock = std::chrono::steady_clock;
    static const Clock::time_point start = Clock::now();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

}  // namespace

const BackendTable sdl_backend = {
    .name = "sdl",
    .select = [](const HeadlessOptions&, const WindowOptions& options) { chosen = options; },
    .open_window = sdl_open_window,
    .close_window = sdl_close_window,
    .swap_buffers = sdl_swap_buffers,
    .set_title = sdl_set_title,
    .show_cursor = sdl_show_cursor,
    .next_message = sdl_next_event,
    .wait_message = sdl_wait_event,
    .message_box = sdl_message_box,
    .wall_ms = sdl_wall_ms,
    .sound_init = [](int rate, int channels, std::string* error) {
        return sdl_sound_init(rate, channels, chosen.mute, error);
    },
    .sound_open_stream = sdl_sound_open_stream,
    .sound_play = sdl_sound_play,
    .sound_pause = sdl_sound_pause,
    .sound_position_ms = sdl_sound_position_ms,
    .sound_close = sdl_sound_close,
    .frame_size =
        [](int* width, int* height) {
            *width = sdl.picture.framebuffer != 0 ? sdl.picture.width : 0;
            *height = sdl.picture.framebuffer != 0 ? sdl.picture.height : 0;
            if (sdl.picture.framebuffer == 0 && sdl.window) SDL_GL_GetDrawableSize(sdl.window, width, height);
        },
    .resolve_samples = [] { resolve_offscreen_picture(sdl.gl, sdl.picture); },
    // Every frame is seen, nothing is captured; SDL turns SIGINT and SIGTERM
    // into the quit event itself.
    .capture = &no_capture,
};

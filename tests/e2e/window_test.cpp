// The SDL backend's window on a private Xvfb display: a double-buffered context with
// a depth buffer, the title an outside tool can find, keys arriving as Win32
// virtual-key codes, and a termination request arriving once as close.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "support/e2e_process.h"
#include "platform/platform.h"

namespace {

using Clock = std::chrono::steady_clock;

bool on_path(const char* program) { return e2e::have_program(program); }

// An Xvfb of our own, so the test needs no display and disturbs none.
struct Display {
    e2e::VirtualDisplay server;

    bool start() {
        server = e2e::start_virtual_display();
        if (server.number < 0) return false;
        setenv("DISPLAY", (":" + std::to_string(server.number)).c_str(), 1);
        return true;
    }

    ~Display() { e2e::stop_virtual_display(server); }
};

// Pumps messages for up to timeout_ms until one of the given kind arrives.
bool wait_for(MessageKind kind, uint32_t wparam, Message* found, int timeout_ms = 3000) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    while (Clock::now() < deadline) {
        Message message;
        while (platform_peek_message(&message)) {
            const bool is_key = kind == MessageKind::key_down || kind == MessageKind::key_up;
            if (message.kind == kind && (!is_key || message.wparam == wparam)) {
                *found = message;
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

}  // namespace

TEST(SdlWindow, OpensDrawsAndDeliversMessages) {
    if (!on_path("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    Display display;
    ASSERT_TRUE(display.start());
    setenv("ZELVO_NO_MESSAGE_BOX", "1", 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);  // no quiet fallback to another driver if Xvfb is unreachable
    platform_select_backend(Backend::window, HeadlessOptions{});
    bool got_fullscreen = true;
    std::string error;
    ASSERT_TRUE(platform_open_window("zelvo by kardel", 800, 600, 32, true, &got_fullscreen, &error)) << error;
    // Xvfb offers only its one screen size, so the full-screen request falls back to the window.
    EXPECT_FALSE(got_fullscreen);

    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
    GLint depth_bits = 0, double_buffered = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth_bits);
    glGetIntegerv(GL_DOUBLEBUFFER, &double_buffered);
    EXPECT_GE(depth_bits, 16);
    EXPECT_TRUE(double_buffered);
    glClearColor(1.0f, 0.0f, 128 / 255.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    uint8_t pixel[3] = {};
    glReadPixels(400, 300, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_EQ(pixel[1], 0);
    EXPECT_EQ(pixel[2], 128);
    platform_swap_buffers();
    platform_show_cursor(false);
    platform_show_cursor(true);

    const char* title = "zelvo | 1234 ms [-30812] |  61 fps | by Kardel";
    platform_set_title(title);
    Message message;
    platform_peek_message(&message);  // lets the window system see the new title
    if (on_path("xdotool")) {
        // Focus the window by the title it now carries and press Escape there.
        const std::string command = std::string("timeout 10 xdotool search --sync --name '^") +
                                    "zelvo \\| 1234 ms' windowfocus --sync key Escape >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << "the window is found by its title";
        EXPECT_TRUE(wait_for(MessageKind::key_down, key_escape, &message));
        EXPECT_TRUE(wait_for(MessageKind::key_up, key_escape, &message));
    }

    // SIGTERM reaches the shell as a close request, once.
    raise(SIGTERM);
    EXPECT_TRUE(wait_for(MessageKind::close, 0, &message));
    EXPECT_FALSE(wait_for(MessageKind::close, 0, &message, 200));
    platform_post_quit(0);
    ASSERT_TRUE(wait_for(MessageKind::quit, 0, &message));
    EXPECT_EQ(message.wparam, 0u);
    platform_close_window();
    unsetenv("SDL_VIDEODRIVER");
}

TEST(SdlWindow, ScaledFullScreenKeepsTheShowInItsOwnBufferAndState) {
    if (!on_path("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    Display display;  // 1024 x 768
    ASSERT_TRUE(display.start());
    setenv("SDL_VIDEODRIVER", "x11", 1);
    // --size 800x600: the picture stays that size whatever the screen.
    WindowOptions options{Presentation::fullscreen, false};
    options.picture_width = 800;
    options.picture_height = 600;
    platform_select_backend(Backend::window, HeadlessOptions{}, options);
    bool got_fullscreen = false;
    std::string error;
    ASSERT_TRUE(platform_open_window("zelvo by kardel", 800, 600, 32, false, &got_fullscreen, &error)) << error;
    EXPECT_TRUE(got_fullscreen);

    // The show's picture is 800 x 600 with a 24-bit depth buffer.
    GLint viewport[4] = {}, depth_bits = 0;
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_DEPTH_BITS, &depth_bits);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
    EXPECT_GE(depth_bits, 24);

    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(10, 10, 20, 20);
    glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_TRUE);
    platform_swap_buffers();

    // The present neither changes the show's state nor what it reads back.
    GLfloat clear[4] = {};
    GLboolean mask[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_EQ(clear[1], 1.0f);
    EXPECT_FALSE(mask[1]);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    uint8_t pixel[3] = {};
    glReadPixels(799, 599, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[1], 255);
    glDisable(GL_SCISSOR_TEST);
    platform_close_window();
    unsetenv("SDL_VIDEODRIVER");
}

TEST(SdlWindow, WithoutADisplayOpeningFailsWithAMessage) {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    setenv("SDL_VIDEODRIVER", "x11", 1);
    platform_select_backend(Backend::window, HeadlessOptions{});
    bool got_fullscreen = true;
    std::string error;
    EXPECT_FALSE(platform_open_window("zelvo by kardel", 800, 600, 32, true, &got_fullscreen, &error));
    EXPECT_FALSE(got_fullscreen);
    EXPECT_FALSE(error.empty());
    unsetenv("SDL_VIDEODRIVER");
}

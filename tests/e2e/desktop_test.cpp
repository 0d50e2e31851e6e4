// The real program on the desktop backend, in a window on a virtual X display
// with SDL's dummy audio driver: it ends by itself, Escape ends it early, and
// its title carries the status line. Scaled, the picture sits in the largest
// 4:3 rectangle of the screen or window between black bars and is the frame a
// headless capture draws for the same music time. Muted, it needs no audio
// driver at all; without --mute a missing one is fatal with its cause.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <regex>

#include <sys/stat.h>

#include "support/e2e_process.h"

namespace {

class Desktop : public ::testing::Test {
protected:
    void SetUp() override {
        logs = e2e::make_temp_dir("desktop");
        ASSERT_FALSE(logs.empty());
        ASSERT_TRUE(e2e::have_program("Xvfb")) << "Xvfb is needed (scripts/setup.sh installs it)";
        ASSERT_TRUE(e2e::have_program("xdotool")) << "xdotool is needed (scripts/setup.sh installs it)";
        display = e2e::start_virtual_display(screen_width, screen_height);
        ASSERT_GE(display.number, 0) << "Xvfb did not start";
    }
    void TearDown() override {
        if (child.pid > 0) e2e::wait(child, 0);
        e2e::stop_virtual_display(display);
        std::filesystem::remove_all(logs);
    }

    std::string display_name() const { return ":" + std::to_string(display.number); }

    std::vector<std::string> environment() const {
        // No modal box may wait for a click should start-up fail.
        return {"DISPLAY=" + display_name(), "SDL_AUDIODRIVER=dummy", "ZELVO_NO_MESSAGE_BOX=1"};
    }

    std::vector<std::string> zelvo(const std::vector<std::string>& extra) const {
        std::vector<std::string> argv = {e2e::zelvo_binary(), "--window", "--dir", ZELVO_BUILD_DIR};
        argv.insert(argv.end(), extra.begin(), extra.end());
        return argv;
    }

    // Runs xdotool on the virtual display; its standard output without the last line break.
    std::string xdotool(const std::string& arguments) const {
        std::string output =
            e2e::capture_command("DISPLAY=" + display_name() + " timeout 5 xdotool " + arguments + " 2>/dev/null");
        while (!output.empty() && output.back() == '\n') output.pop_back();
        return output;
    }

    // The id of the window whose title is the status line, or "" while there is none.
    std::string status_window() const {
        std::string ids = xdotool("search --name '^zelvo [|] '");
        return ids.substr(0, ids.find('\n'));
    }

    void start_and_wait_for_playback(int32_t from_ms);

    int screen_width = 1024;
    int screen_height = 768;
    e2e::VirtualDisplay display;
    std::filesystem::path logs;
    e2e::Child child;
    std::string window;  // the id of zelvo's window once found
};

std::string describe(const e2e::Outcome& o) {
    return "exit " + std::to_string(o.exit_code) + " signal " + std::to_string(o.signal) +
           (o.timed_out ? " (timed out)" : "") + " after " + std::to_string(o.seconds) + " s\nstdout:\n" +
           o.out + "\nstderr:\n" + o.err;
}

const std::regex status_line_pattern(R"(^zelvo \| (-?\d+) ms \[-?\d+\] \| +\d+ fps \| by Kardel$)");

}  // namespace

TEST_F(Desktop, PlaysToTheEndByItselfAndExitsZero) {
    // 5 s of loading screen, then the last 1704 ms of the show.
    e2e::Outcome o = e2e::run(zelvo({"--from", "159000"}), environment(), logs, 40);
    ASSERT_TRUE(o.exited) << describe(o);
    EXPECT_EQ(o.exit_code, 0) << describe(o);
    EXPECT_LT(o.seconds, 25) << describe(o);
    EXPECT_GT(o.seconds, 6.5) << "the loading screen and the music should take their time\n" << describe(o);
}

// Starts zelvo at from_ms and waits for its main loop, whose title then shows
// the soundtrack's position; fails the test when the title is anything else.
void Desktop::start_and_wait_for_playback(int32_t from_ms) {
    e2e::Clock::time_point started = e2e::Clock::now();
    child = e2e::start(zelvo({"--from", std::to_string(from_ms)}), environment(), logs);
    std::string title;
    long shown_ms = -1;
    while (e2e::Clock::now() - started < std::chrono::seconds(30) && !e2e::has_ended(child)) {
        if (window.empty()) window = status_window();
        if (!window.empty()) {
            title = xdotool("getwindowname " + window);
            std::smatch match;
            if (std::regex_match(title, match, status_line_pattern)) {
                shown_ms = std::stol(match[1]);
                if (shown_ms > from_ms) break;
            } else if (!title.empty()) {
                FAIL() << "title is not the status line: '" << title << "'";
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (e2e::has_ended(child)) FAIL() << "zelvo ended by itself\n" << describe(e2e::wait(child, 0));
    ASSERT_FALSE(window.empty()) << "no window titled with the status line";
    ASSERT_GT(shown_ms, from_ms) << "last title: '" << title << "'";
}

TEST_F(Desktop, TitleIsTheStatusLineAndEscapeEndsTheShowEarly) {
    ASSERT_NO_FATAL_FAILURE(start_and_wait_for_playback(60000));
    e2e::Clock::time_point escaped = e2e::Clock::now();
    xdotool("windowfocus --sync " + window + " key Escape");
    e2e::Outcome o = e2e::wait(child, 15, escaped);
    ASSERT_TRUE(o.exited) << describe(o);
    EXPECT_EQ(o.exit_code, 0) << describe(o);
    // The music had about 100 s to go; Escape ended it well before.
    EXPECT_LT(o.seconds, 10) << describe(o);
}

TEST_F(Desktop, AskedToQuitItClosesTheWindowAndExitsZero) {
    // The system's request to quit reaches the show as closing its window.
    ASSERT_NO_FATAL_FAILURE(start_and_wait_for_playback(60000));
    e2e::Clock::time_point asked = e2e::Clock::now();
    kill(child.pid, SIGTERM);
    e2e::Outcome o = e2e::wait(child, 15, asked);
    ASSERT_TRUE(o.exited) << describe(o);
    EXPECT_EQ(o.exit_code, 0) << describe(o);
    EXPECT_LT(o.seconds, 10) << describe(o);
}

TEST_F(Desktop, ItsWindowDestroyedByAnotherProgramItEndsWithoutACrash) {
    ASSERT_NO_FATAL_FAILURE(start_and_wait_for_playback(60000));
    xdotool("windowclose " + window);
    e2e::Outcome o = e2e::wait(child, 15);
    ASSERT_TRUE(o.exited) << describe(o);  // not killed by a signal
    EXPECT_NE(o.err.find("its window was destroyed from outside"), std::string::npos) << describe(o);
}

TEST_F(Desktop, MutedItNeedsNoAudioDriverAndStillEndsByItself) {
    std::vector<std::string> environment = {"DISPLAY=" + display_name(), "SDL_AUDIODRIVER=no-such-driver",
                                            "ZELVO_NO_MESSAGE_BOX=1"};
    e2e::Outcome o = e2e::run(zelvo({"--mute", "--from", "159000"}), environment, logs, 40);
    ASSERT_TRUE(o.exited) << describe(o);
    EXPECT_EQ(o.exit_code, 0) << describe(o);
    EXPECT_GT(o.seconds, 6.5) << "the loading screen and the music's last 1.7 s take their time\n" << describe(o);

    // No display at all: --mute must not hide that behind a driver that draws nowhere.
    o = e2e::run(zelvo({"--mute"}), {"DISPLAY=", "WAYLAND_DISPLAY=", "ZELVO_NO_MESSAGE_BOX=1"}, logs, 30);
    ASSERT_TRUE(o.exited) << describe(o);
    EXPECT_EQ(o.exit_code, 1) << describe(o);
    EXPECT_NE(o.err.find("there is no display to open it on"), std::string::npos) << describe(o);

    // The same machine without --mute: the show's own text, then the cause and the way out.
    o = e2e::run(zelvo({"--from", "159000"}), environment, logs, 30);
    ASSERT_TRUE(o.exited) << describe(o);
    EXPECT_EQ(o.exit_code, 1) << describe(o);
    EXPECT_TRUE(std::regex_search(o.err, std::regex("ERROR: Error!\nCan't init FMOD\nzelvo: .*no-such-driver.*\n"
                                                    "zelvo: --mute plays the show without sound\n")))
        << describe(o);
}

TEST_F(Desktop, ASoundDeviceThatStopsAnsweringNeitherFreezesTheShowNorHoldsItsEnd) {
    // SDL's disk driver writes into a pipe whose reader takes a little and then
    // reads no more: the audio thread blocks in its write, as with a sound
    // server that is suspended.
    const std::filesystem::path pipe = logs / "device";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const pid_t reader = fork();
    if (reader == 0) {
        const int fd = open(pipe.c_str(), O_RDONLY);
        char bytes[65536];
        for (int taken = 0; taken < 400000;) {
            const ssize_t n = read(fd, bytes, sizeof bytes);
            if (n <= 0) break;
            taken += static_cast<int>(n);
        }
        pause();  // holds the pipe open, reading nothing
        _exit(0);
    }
    std::vector<std::string> environment = {"DISPLAY=" + display_name(), "SDL_AUDIODRIVER=disk",
                                            "SDL_DISKAUDIOFILE=" + pipe.string(), "ZELVO_NO_MESSAGE_BOX=1"};
    e2e::Outcome o = e2e::run(zelvo({"--from", "150000", "--to", "154000"}), environment, logs, 60);
    kill(reader, SIGKILL);
    waitpid(reader, nullptr, 0);
    ASSERT_TRUE(o.exited) << describe(o);
    EXPECT_EQ(o.exit_code, 0) << describe(o);
    EXPECT_NE(o.err.find("the sound device stopped answering; the show goes on by the wall clock"),
              std::string::npos) << describe(o);
    // The loading screen and 4 s of music, the stall's 500 ms, a bounded close.
    EXPECT_LT(o.seconds, 20) << describe(o);
}

namespace {

constexpr int32_t held_ms = 27000;  // the town flight: a detailed picture

// Where the picture should sit in the window, top-down.
struct Rect {
    int x, y, width, height;
};

// Decodes what an ffmpeg input gives into width x height rows of RGB, top row first.
std::string rgb_of(const std::string& input_arguments) {
    return e2e::capture_command("ffmpeg -loglevel error " + input_arguments +
                                " -frames:v 1 -f rawvideo -pix_fmt rgb24 - 2>/dev/null");
}

// The mean of one channel over a square of size pixels at (x, y).
double block_mean(const std::string& rgb, int row_width, int x, int y, int size, int channel) {
    double sum = 0;
    for (int row = y; row < y + size; ++row)
        for (int column = x; column < x + size; ++column)
            sum += static_cast<uint8_t>(rgb[(static_cast<size_t>(row) * row_width + column) * 3 + channel]);
    return sum / (size * size);
}

// How the screen's picture rectangle differs from the 800 x 600 capture, compared
// as means of 25-pixel squares of the capture (32 x 24 of them), so the scaling
// filter's choice of neighbours does not count. "" when within tolerance.
std::string compare_picture(const std::string& screen, int screen_width, const Rect& picture,
                            const std::string& capture) {
    const int block = 25 * picture.width / 800;
    double worst = 0, total = 0;
    int count = 0;
    for (int by = 0; by < 24; ++by)
        for (int bx = 0; bx < 32; ++bx)
            for (int channel = 0; channel < 3; ++channel) {
                const double shown = block_mean(screen, screen_width, picture.x + bx * block,
                                                picture.y + by * block, block, channel);
                const double drawn = block_mean(capture, 800, bx * 25, by * 25, 25, channel);
                worst = std::max(worst, std::abs(shown - drawn));
                total += std::abs(shown - drawn);
                ++count;
            }
    // The window draws natively at 4 samples a pixel, the capture at 800 x 600
    // and 1: measured at most 6.2 levels in any square, 0.1 on average.
    if (worst <= 10 && total / count <= 0.5) return "";
    return "the picture differs from the capture: largest square difference " + std::to_string(worst) +
           ", mean " + std::to_string(total / count);
}

// "" when every pixel of the window outside the picture is black.
std::string check_bars(const std::string& screen, int screen_width, const Rect& window, const Rect& picture) {
    int lit = 0;
    for (int y = window.y; y < window.y + window.height; ++y)
        for (int x = window.x; x < window.x + window.width; ++x) {
            const bool inside = x >= picture.x && x < picture.x + picture.width && y >= picture.y &&
                                y < picture.y + picture.height;
            if (inside) continue;
            const size_t at = (static_cast<size_t>(y) * screen_width + x) * 3;
            if (std::max({screen[at], screen[at + 1], screen[at + 2]}) != 0) ++lit;
        }
    return lit == 0 ? "" : std::to_string(lit) + " pixels of the bars are not black";
}

class ScaledDesktop : public Desktop {
protected:
    ScaledDesktop() {
        screen_width = 1280;
        screen_height = 1024;
    }

    void SetUp() override {
        Desktop::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(e2e::have_program("ffmpeg")) << "ffmpeg is needed (scripts/setup.sh installs it)";
        // The headless backend draws the frame this music time should show.
        const std::filesystem::path frames = logs / "frames";
        const std::string t = std::to_string(held_ms);
        e2e::Outcome o = e2e::run({e2e::zelvo_binary(), "--dir", ZELVO_BUILD_DIR, "--capture", frames.string(),
                                   "--fps", "1", "--from", t, "--to", t},
                                  {}, logs, 60);
        ASSERT_EQ(o.exit_code, 0) << describe(o);
        capture = rgb_of("-i " + (frames / ("0" + t + ".png")).string());
        ASSERT_EQ(capture.size(), 800u * 600 * 3);
    }

    // Starts zelvo with the clock held at held_ms and waits until its title shows
    // that time: up to a minute, for a machine busy with other work.
    void start_held(const std::string& presentation) {
        std::vector<std::string> environment = this->environment();
        environment.push_back("ZELVO_HOLD_MS=" + std::to_string(held_ms));
        child = e2e::start({e2e::zelvo_binary(), presentation, "--dir", ZELVO_BUILD_DIR, "--from",
                            std::to_string(held_ms)},
                           environment, logs);
        const std::string shown = "zelvo | " + std::to_string(held_ms) + " ms ";
        for (int i = 0; i < 600 && !e2e::has_ended(child); ++i) {
            if (window.empty()) window = status_window();
            if (!window.empty() && xdotool("getwindowname " + window).rfind(shown, 0) == 0) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        FAIL() << "no frame at " << held_ms << " ms was shown\n" << describe(e2e::wait(child, 0));
    }

    Rect window_rect() const {
        Rect rect{-1, -1, 0, 0};
        const std::string shell = xdotool("getwindowgeometry --shell " + window);
        std::smatch m;
        if (std::regex_search(shell, m, std::regex("X=(-?\\d+)\nY=(-?\\d+)\nWIDTH=(\\d+)\nHEIGHT=(\\d+)")))
            rect = Rect{std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4])};
        return rect;
    }

    // Waits until the window has the expected place and shows the capture at
    // picture (relative to the window) between black bars; fails with the last
    // difference seen when that does not happen within a few seconds.
    void expect_letterboxed(const Rect& expected_window, const Rect& picture) {
        std::string problem;
        for (int i = 0; i < 40; ++i) {
            const Rect w = window_rect();
            const std::string screen = rgb_of("-f x11grab -draw_mouse 0 -video_size " + std::to_string(screen_width) +
                                              "x" + std::to_string(screen_height) + " -i " + display_name());
            if (w.x != expected_window.x || w.y != expected_window.y || w.width != expected_window.width ||
                w.height != expected_window.height) {
                problem = "the window is " + std::to_string(w.width) + " x " + std::to_string(w.height) + " at " +
                          std::to_string(w.x) + ", " + std::to_string(w.y);
            } else if (screen.size() != static_cast<size_t>(screen_width) * screen_height * 3) {
                problem = "no screenshot";
            } else {
                const Rect on_screen{w.x + picture.x, w.y + picture.y, picture.width, picture.height};
                problem = check_bars(screen, screen_width, w, on_screen);
                if (problem.empty()) problem = compare_picture(screen, screen_width, on_screen, capture);
                if (problem.empty()) return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }
        ADD_FAILURE() << problem;
    }

    std::string capture;  // the headless frame at held_ms, 800 x 600 RGB
};

}  // namespace

TEST_F(ScaledDesktop, FullScreenShowsTheFrameInTheCentredRectangleAndAltEnterLeavesIt) {
    ASSERT_NO_FATAL_FAILURE(start_held("--fullscreen"));
    {
        SCOPED_TRACE("--fullscreen: the whole screen, bars above and below");
        expect_letterboxed({0, 0, 1280, 1024}, {0, 32, 1280, 960});
    }
    xdotool("windowfocus --sync " + window + " key alt+Return");
    {
        SCOPED_TRACE("Alt+Enter: the 800 x 600 window, no bars");
        expect_letterboxed({0, 0, 800, 600}, {0, 0, 800, 600});
    }
    EXPECT_FALSE(e2e::has_ended(child)) << "Alt+Enter is no key the show answers";
}

TEST_F(ScaledDesktop, ResizedWindowLetterboxesTheSameWayAndAltEnterFillsTheScreen) {
    ASSERT_NO_FATAL_FAILURE(start_held("--window"));
    xdotool("windowsize " + window + " 1280 720");
    {
        SCOPED_TRACE("a window too wide: bars left and right");
        expect_letterboxed({0, 0, 1280, 720}, {160, 0, 960, 720});
    }
    xdotool("windowfocus --sync " + window + " key alt+Return");
    {
        SCOPED_TRACE("Alt+Enter: the whole screen");
        expect_letterboxed({0, 0, 1280, 1024}, {0, 32, 1280, 960});
    }
}

namespace {

const std::regex paused_line_pattern(R"(^zelvo \| (-?\d+) ms \[-?\d+\] \| paused \| by Kardel$)");

class DesktopPlayer : public Desktop {
protected:
    // Starts zelvo muted in a window with the extra options and finds its window.
    void start_muted(const std::vector<std::string>& extra) {
        std::vector<std::string> options = {"--mute"};
        options.insert(options.end(), extra.begin(), extra.end());
        child = e2e::start(zelvo(options), environment(), logs);
    }

    // Waits up to 30 s for a title the pattern matches whose time passes the
    // test; the time shown, or -1 (with the last title in last_title).
    long wait_for(const std::regex& pattern, bool (*wanted)(long ms, long than), long than) {
        for (int i = 0; i < 300 && !e2e::has_ended(child); ++i) {
            if (window.empty()) window = status_window();
            if (!window.empty()) {
                last_title = xdotool("getwindowname " + window);
                std::smatch match;
                if (std::regex_match(last_title, match, pattern) && wanted(std::stol(match[1]), than))
                    return std::stol(match[1]);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return -1;
    }
    long wait_playing_past(long ms) {
        return wait_for(status_line_pattern, [](long t, long than) { return t > than; }, ms);
    }
    long wait_paused_at(long ms) {
        return wait_for(paused_line_pattern, [](long t, long than) { return than < 0 || t == than; }, ms);
    }
    void press(const std::string& keys) { xdotool("windowfocus --sync " + window + " key " + keys); }

    std::string last_title;
};

}  // namespace

TEST_F(DesktopPlayer, SpacePausesTheArrowsPagesAndHomeSeekEscapeStillEnds) {
    start_muted({"--from", "40000"});
    ASSERT_GT(wait_playing_past(40000), 0) << last_title;
    press("space");
    const long held = wait_paused_at(-1);
    ASSERT_GT(held, 40000) << "Space: " << last_title;
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_EQ(wait_paused_at(held), held) << "the time moved while paused: " << last_title;
    const struct {
        const char* keys;
        long at;
    } steps[] = {
        // From the credits back ten bars into the town, on to the credits' start and the town's again.
        {"Right", held + 1333}, {"Left", held}, {"shift+Left", held - 13330}, {"Next", 32047}, {"Next", 53359},
        {"Prior", 32047}, {"Home", 0},
    };
    for (const auto& step : steps) {
        press(step.keys);
        EXPECT_EQ(wait_paused_at(step.at), step.at) << step.keys << ": " << last_title;
    }
    press("space");
    EXPECT_GT(wait_playing_past(100), 100) << "Space again: " << last_title;
    e2e::Clock::time_point escaped = e2e::Clock::now();
    press("Escape");
    e2e::Outcome o = e2e::wait(child, 15, escaped);
    ASSERT_TRUE(o.exited) << describe(o);
    EXPECT_EQ(o.exit_code, 0) << describe(o);
}

TEST_F(DesktopPlayer, LoopStartsAgainFromTheBeginningAfterTheEnd) {
    start_muted({"--loop", "--from", "160000"});
    ASSERT_GT(wait_playing_past(160000), 0) << last_title;
    // Past the end the music starts again from 0, without the loading screen.
    const long again = wait_for(status_line_pattern, [](long t, long) { return t < 5000; }, 0);
    EXPECT_GE(again, 0) << last_title;
    EXPECT_FALSE(e2e::has_ended(child)) << "the show ended instead of starting again";
    press("Escape");
    e2e::Outcome o = e2e::wait(child, 15);
    ASSERT_TRUE(o.exited) << describe(o);
    EXPECT_EQ(o.exit_code, 0) << describe(o);
}

// The real program on the desktop backend, in a window on a virtual X display
// with SDL's dummy audio driver: it ends by itself, Escape ends it early, and
// its title carries the status line.
#include <gtest/gtest.h>

#include <regex>

#include "e2e_process.h"

namespace {

class Desktop : public ::testing::Test {
protected:
    void SetUp() override {
        logs = e2e::make_temp_dir("desktop");
        ASSERT_FALSE(logs.empty());
        ASSERT_TRUE(e2e::have_program("Xvfb")) << "Xvfb is needed (scripts/setup.sh installs it)";
        ASSERT_TRUE(e2e::have_program("xdotool")) << "xdotool is needed (scripts/setup.sh installs it)";
        display = e2e::start_virtual_display();
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

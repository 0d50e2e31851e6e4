// The real program, headless: the capture of a time range and every fatal
// start-up condition, each with a data folder of its own.
#include <gtest/gtest.h>

#include <algorithm>

#include "e2e_process.h"

namespace fs = std::filesystem;

namespace {

class Headless : public ::testing::Test {
protected:
    void SetUp() override {
        root = e2e::make_temp_dir("headless");
        ASSERT_FALSE(root.empty());
        ASSERT_TRUE(e2e::link_data_pack(root)) << "no data pack in " << build_path("data");
        frames = root / "frames";
    }
    void TearDown() override { fs::remove_all(root); }

    // Runs zelvo headless in the temporary folder, capturing into frames/.
    e2e::Outcome run_capture(std::vector<std::string> extra, double limit_s = 50) {
        std::vector<std::string> argv = {e2e::zelvo_binary(), "--dir", root.string(), "--capture",
                                         frames.string()};
        argv.insert(argv.end(), extra.begin(), extra.end());
        return e2e::run(argv, {}, root, limit_s);
    }

    std::vector<std::string> frame_names() const {
        std::vector<std::string> names;
        if (!fs::is_directory(frames)) return names;
        for (const auto& entry : fs::directory_iterator(frames)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path root;
    fs::path frames;
};

std::string describe(const e2e::Outcome& o) {
    return "exit " + std::to_string(o.exit_code) + " signal " + std::to_string(o.signal) +
           (o.timed_out ? " (timed out)" : "") + "\nstdout:\n" + o.out + "\nstderr:\n" + o.err;
}

}  // namespace

TEST_F(Headless, CaptureWritesExactlyTheFramesOfTheRange) {
    e2e::Outcome o = run_capture({"--fps", "25", "--from", "1000", "--to", "1200"});
    ASSERT_TRUE(o.exited) << describe(o);
    EXPECT_EQ(o.exit_code, 0) << describe(o);
    const std::vector<std::string> expected = {"001000.png", "001040.png", "001080.png",
                                               "001120.png", "001160.png", "001200.png"};
    EXPECT_EQ(frame_names(), expected) << describe(o);
    EXPECT_NE(o.err.find("wrote 6 of 6 frames"), std::string::npos) << describe(o);

    // Each is an 800 x 600 PNG.
    for (const std::string& name : frame_names()) {
        std::string bytes = e2e::read_text(frames / name);
        ASSERT_GT(bytes.size(), 24u) << name;
        EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8)) << name;
        auto be32 = [&](size_t at) {
            return (uint32_t(uint8_t(bytes[at])) << 24) | (uint32_t(uint8_t(bytes[at + 1])) << 16) |
                   (uint32_t(uint8_t(bytes[at + 2])) << 8) | uint32_t(uint8_t(bytes[at + 3]));
        };
        EXPECT_EQ(be32(16), 800u) << name;
        EXPECT_EQ(be32(20), 600u) << name;
    }
}

TEST_F(Headless, CaptureNamedFromTheCallersFolderAndRunningToTheShowsEnd) {
    // A relative capture path is taken from where zelvo is started, not from --dir;
    // near the end, without --to, the run stops by itself when the show is over.
    fs::path caller = root / "caller";
    fs::create_directories(caller);
    std::string command = "cd '" + caller.string() + "' && '" + e2e::zelvo_binary() + "' --dir '" +
                          root.string() + "' --capture out --fps 10 --from 160500 >/dev/null 2>&1; echo $?";
    std::string status = e2e::capture_command(command);
    EXPECT_EQ(status, "0\n");
    ASSERT_TRUE(fs::is_directory(caller / "out"));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(caller / "out")) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    const std::vector<std::string> expected = {"160500.png", "160600.png", "160700.png"};
    EXPECT_EQ(names, expected);
}

// Every fatal condition prints its text and ends with a failure status, not a crash.
TEST_F(Headless, FatalStartUpConditionsReportAndFail) {
    struct Case {
        const char* what;
        void (*breaks)(const fs::path& root);
        const char* message;
    };
    const Case cases[] = {
        {"no settings.ini", [](const fs::path& r) { fs::remove(r / "data/settings.ini"); },
         "ERROR: Error!\nNo settings.ini, can't make the stupid settings\nwhich are totally useless"},
        {"no soundtrack", [](const fs::path& r) { fs::remove(r / "data/kardel.mp3"); },
         "ERROR: Error!\nCan't find music file..."},
        {"a soundtrack that is not MP3",
         [](const fs::path& r) { e2e::replace_data_file(r, "kardel.mp3", std::string(20000, 'x')); },
         "ERROR: Error!\nCan't play music file data//kardel.mp3:\n"},
        {"an empty soundtrack", [](const fs::path& r) { e2e::replace_data_file(r, "kardel.mp3", ""); },
         "ERROR: Error!\nCan't play music file data//kardel.mp3:\n"},
        {"no loading picture", [](const fs::path& r) { fs::remove(r / "data/loading.tga"); },
         "ERROR: Error!\nCan't load the picture data//loading.tga"},
        {"a missing scene picture", [](const fs::path& r) { fs::remove(r / "data/greetz/grp07.tga"); },
         "ERROR: Error!\nCan't load the picture data//greetz//grp07.tga"},
        {"a picture shorter than its header",
         [](const fs::path& r) {
             std::string bytes = e2e::read_text(r / "data/object/swirl1.tga");
             e2e::replace_data_file(r, "object/swirl1.tga", bytes.substr(0, bytes.size() / 2));
         },
         "ERROR: Error!\nCan't load the picture data//object//swirl1.tga"},
        {"no mesh", [](const fs::path& r) { fs::remove(r / "data/object/hose3.ef3"); },
         "Error fakia: File IO error"},
        {"a mesh with an index outside its vertices",
         [](const fs::path& r) {
             e2e::replace_data_file(r, "object/campfer3.ef3", "3 1\n0 0 0\n1 0 0\n0 1 0\n0 1 7\n");
         },
         "Error fakia: data//object//campfer3.ef3: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(root / "data");
        ASSERT_TRUE(e2e::link_data_pack(root));
        c.breaks(root);
        e2e::Outcome o = run_capture({"--fps", "25", "--from", "1000", "--to", "1040"}, 30);
        ASSERT_TRUE(o.exited) << describe(o);
        EXPECT_EQ(o.exit_code, 1) << describe(o);
        EXPECT_NE(o.err.find(c.message), std::string::npos) << describe(o);
        EXPECT_TRUE(frame_names().empty()) << describe(o);
    }
}

TEST_F(Headless, UnreadableSettingsWarnAndTheShowStillRuns) {
    e2e::replace_data_file(root, "settings.ini", "slow\nfast\n");
    e2e::Outcome o = run_capture({"--fps", "25", "--from", "33000", "--to", "33000"});
    ASSERT_TRUE(o.exited) << describe(o);
    EXPECT_EQ(o.exit_code, 0) << describe(o);
    EXPECT_NE(o.err.find("warning: data//settings.ini: cannot read credits_ease_divisor"), std::string::npos)
        << describe(o);
    EXPECT_EQ(frame_names(), std::vector<std::string>{"033000.png"});
}

TEST_F(Headless, CommandLineFaultsExitWithUsage) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* output;  // on stdout for 0, on stderr otherwise
    };
    const Case cases[] = {
        {{"--help"}, 0, "Usage: zelvo"},
        {{"--version"}, 0, "zelvo 1."},
        {{"--bogus"}, 2, "unknown option '--bogus'"},
        {{"--from", "soon"}, 2, "--from needs milliseconds"},
        {{"--dir", "/nonexistent/zelvo"}, 1, "can't use /nonexistent/zelvo as the working directory"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv = {e2e::zelvo_binary()};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        e2e::Outcome o = e2e::run(argv, {}, root, 10);
        ASSERT_TRUE(o.exited) << describe(o);
        EXPECT_EQ(o.exit_code, c.status) << c.arguments[0] << describe(o);
        EXPECT_NE((c.status == 0 ? o.out : o.err).find(c.output), std::string::npos) << describe(o);
    }
}

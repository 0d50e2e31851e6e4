// The real program, headless: the capture of a time range and every fatal
// start-up condition, each with a data folder of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "codecs/codecs.h"
#include "support/e2e_process.h"

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

// Every fatal condition prints its text, names the file, and ends with a
// failure status, not a crash, with nothing captured.
TEST_F(Headless, FatalStartUpConditionsReportAndFail) {
    struct Case {
        const char* what;
        void (*breaks)(const fs::path& root);
        const char* message;
        const char* names;  // the file and the reason on stderr
    };
    const Case cases[] = {
        {"no settings.ini", [](const fs::path& r) { fs::remove(r / "data/settings.ini"); },
         "ERROR: Error!\nNo settings.ini, can't make the stupid settings\nwhich are totally useless",
         "zelvo: data/settings.ini: No such file or directory"},
        {"a folder in place of settings.ini",
         [](const fs::path& r) {
             fs::remove(r / "data/settings.ini");
             fs::create_directories(r / "data/settings.ini");
         },
         "ERROR: Error!\nNo settings.ini", "zelvo: data/settings.ini: not a regular file"},
        {"no soundtrack", [](const fs::path& r) { fs::remove(r / "data/kardel.mp3"); },
         "ERROR: Error!\nCan't find music file...", "zelvo: data/kardel.mp3: No such file or directory"},
        {"a folder in place of the soundtrack",
         [](const fs::path& r) {
             fs::remove(r / "data/kardel.mp3");
             fs::create_directories(r / "data/kardel.mp3");
         },
         "ERROR: Error!\nCan't read music file data/kardel.mp3:\nnot a regular file", "data/kardel.mp3"},
        {"a soundtrack that is not MP3",
         [](const fs::path& r) { e2e::replace_data_file(r, "kardel.mp3", std::string(20000, 'x')); },
         "ERROR: Error!\nCan't play music file data/kardel.mp3:\n", "data/kardel.mp3"},
        {"an empty soundtrack", [](const fs::path& r) { e2e::replace_data_file(r, "kardel.mp3", ""); },
         "ERROR: Error!\nCan't play music file data/kardel.mp3:\n", "data/kardel.mp3"},
        {"no loading picture", [](const fs::path& r) { fs::remove(r / "data/loading.tga"); },
         "ERROR: Error!\nCan't load the picture data/loading.tga", "No such file or directory"},
        {"a missing scene picture", [](const fs::path& r) { fs::remove(r / "data/greetz/grp07.tga"); },
         "ERROR: Error!\nCan't load the picture data/greetz/grp07.tga", "No such file or directory"},
        {"a picture shorter than its header",
         [](const fs::path& r) {
             std::string bytes = e2e::read_text(r / "data/object/swirl1.tga");
             e2e::replace_data_file(r, "object/swirl1.tga", bytes.substr(0, bytes.size() / 2));
         },
         "ERROR: Error!\nCan't load the picture data/object/swirl1.tga", "shorter than its header says"},
        {"a colour-mapped picture",
         [](const fs::path& r) {
             std::string bytes = e2e::read_text(r / "data/city/ut1.tga");
             bytes[2] = 1;
             e2e::replace_data_file(r, "city/ut1.tga", bytes);
         },
         "ERROR: Error!\nCan't load the picture data/city/ut1.tga", "is a colour-mapped TGA (type 1)"},
        {"a picture declaring far more pixels than its file holds",
         [](const fs::path& r) {
             std::string bytes = e2e::read_text(r / "data/city/ut1.tga").substr(0, 118);
             bytes.replace(12, 4, "\xff\xff\xff\xff");
             e2e::replace_data_file(r, "city/ut1.tga", bytes);
         },
         "ERROR: Error!\nCan't load the picture data/city/ut1.tga", "more than the 8192 x 8192"},
        {"a PNG renamed .tga",
         [](const fs::path& r) { e2e::replace_data_file(r, "city/ut1.tga", "\x89PNG\r\n\x1a\n" + std::string(100, '\0')); },
         "ERROR: Error!\nCan't load the picture data/city/ut1.tga", "holds PNG data, not a TGA picture"},
        {"a WAV renamed .mp3",
         [](const fs::path& r) {
             e2e::replace_data_file(r, "kardel.mp3", std::string("RIFF\x24\x10\x01\x01WAVEfmt ") + std::string(40000, '\x01'));
         },
         "ERROR: Error!\nCan't play music file data/kardel.mp3:\n", "holds WAV data, not MP3"},
        {"an oversized settings.ini",
         [](const fs::path& r) { e2e::replace_data_file(r, "settings.ini", "10\n1000\n" + std::string(2 << 20, ' ')); },
         "ERROR: Error!\nCan't read the settings file data/settings.ini:\nlarger than", "data/settings.ini"},
        {"a mesh with decimal commas",
         [](const fs::path& r) { e2e::replace_data_file(r, "object/hose3.ef3", "3 1\n0 0 0\n1,5 0 0\n0 1 0\n0 1 2\n"); },
         "Error fakia: data/object/hose3.ef3: line 3: ", "vertex 1 of 3: \"1,5\" is not a number"},
        {"no mesh", [](const fs::path& r) { fs::remove(r / "data/object/hose3.ef3"); },
         "Error fakia: File IO error", "zelvo: data/object/hose3.ef3: No such file or directory"},
        {"a mesh with an index outside its vertices",
         [](const fs::path& r) {
             e2e::replace_data_file(r, "object/campfer3.ef3", "3 1\n0 0 0\n1 0 0\n0 1 0\n0 1 7\n");
         },
         "Error fakia: data/object/campfer3.ef3: ", "names vertex 7"},
        {"a mesh with an infinite coordinate",
         [](const fs::path& r) { e2e::replace_data_file(r, "object/hose3.ef3", "3 1\n0 0 0\n1 inf 0\n0 1 0\n0 1 2\n"); },
         "Error fakia: data/object/hose3.ef3: ", "vertex 1 has a coordinate that is not finite"},
        {"a mesh with a fractional count",
         [](const fs::path& r) { e2e::replace_data_file(r, "object/hose3.ef3", "3.5 1\n0 0 0\n1 0 0\n0 1 0\n0 1 2\n"); },
         "Error fakia: data/object/hose3.ef3: ", "the vertex count \"3.5\" is not a whole number"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(root / "data");
        ASSERT_TRUE(e2e::link_data_pack(root));
        c.breaks(root);
        e2e::Outcome o = run_capture({"--fps", "25", "--from", "1000", "--to", "1040"}, 30);
        ASSERT_TRUE(o.exited) << describe(o);  // and not ended by a signal
        EXPECT_EQ(o.exit_code, 1) << describe(o);
        EXPECT_NE(o.err.find(c.message), std::string::npos) << describe(o);
        EXPECT_NE(o.err.find(c.names), std::string::npos) << describe(o);
        EXPECT_FALSE(fs::exists(frames)) << "the capture folder it made stays behind\n" << describe(o);
    }
}

TEST_F(Headless, UnreadableSettingsWarnAndTheShowStillRuns) {
    e2e::replace_data_file(root, "settings.ini", "slow\nfast\n");
    e2e::Outcome o = run_capture({"--fps", "25", "--from", "33000", "--to", "33000"});
    ASSERT_TRUE(o.exited) << describe(o);
    EXPECT_EQ(o.exit_code, 0) << describe(o);
    EXPECT_NE(o.err.find("warning: data/settings.ini: cannot read credits_ease_divisor"), std::string::npos)
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

TEST_F(Headless, OptionAndFolderFaultsSayWhatIsWrong) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* says;
    };
    fs::create_directories(root / "empty");
    std::ofstream(root / "blocked") << "a file where the capture folder should go";
    const Case cases[] = {
        {{"--to", "99999999999"}, 2, "--to needs milliseconds of music from 0 to 86400000"},
        {{"--dir", (root / "empty").string()}, 1, "holds no data folder"},
        {{"--dir", root.string(), "--capture", (root / "blocked").string()}, 1,
         "ERROR: Error!\nCan't write the capture:\ncannot create the capture folder"},
        {{"--dir", root.string(), "--capture", (root / "out.avi").string()}, 2, "zelvo writes no avi files"},
        {{"--dir", root.string(), "--from", "170000"}, 2, "--from 170000 lies past the show's end at 160704 ms"},
        {{"--dir", root.string(), "--capture", (root / "end").string(), "--from", "160600", "--to", "170000"}, 0,
         "the show ends at 160704 ms"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> argv = {e2e::zelvo_binary()};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        e2e::Outcome o = e2e::run(argv, {}, root, 20);
        ASSERT_TRUE(o.exited) << describe(o);
        EXPECT_EQ(o.exit_code, c.status) << describe(o);
        EXPECT_NE(o.err.find(c.says), std::string::npos) << describe(o);
    }
    // Without --dir, from a folder with no data and with none installed beside the program.
    const fs::path empty = root / "empty";
    e2e::Outcome o = e2e::run({"/bin/sh", "-c", "cd \"$0\" && exec \"$1\" --capture x", empty.string(),
                               e2e::zelvo_binary()},
                              {}, root, 20);
    EXPECT_EQ(o.exit_code, 1) << describe(o);
    EXPECT_NE(o.err.find("no data folder: looked for " + empty.string() + "/data and "), std::string::npos)
        << describe(o);
}

// Pictures and a soundtrack as ordinary tools write them load like the data
// pack's own: the frame is byte for byte the same.
TEST_F(Headless, FilesWrittenByFfmpegLoadUpright) {
    if (!e2e::have_program("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    e2e::Outcome plain = run_capture({"--fps", "1", "--from", "600", "--to", "600"});
    ASSERT_EQ(plain.exit_code, 0) << describe(plain);
    const std::string reference = e2e::read_text(frames / "000600.png");
    ASSERT_FALSE(reference.empty());

    const std::string card = build_path("data/text/kardel1.tga");
    const std::string song = build_path("data/kardel.mp3");
    struct Case {
        const char* what;
        const char* file;     // in the data folder
        std::string command;  // writes root/converted
    };
    const std::string out = (root / "converted").string();
    const Case cases[] = {
        {"TGA, run-length (ffmpeg's default)", "text/kardel1.tga",
         "ffmpeg -v error -y -i '" + card + "' -f image2 -c:v targa '" + out + "'"},
        {"TGA, top row first", "text/kardel1.tga",
         "ffmpeg -v error -y -i '" + card + "' -f image2 -c:v targa -rle 0 '" + out + "'"},
        {"MP3 with an ID3v2 tag and junk after it", "kardel.mp3",
         "ffmpeg -v error -y -i '" + song + "' -c:a copy -id3v2_version 3 -metadata title=zelvo -f mp3 '" + out +
             "' && for i in $(seq 500); do printf 'zelvo junk '; done >> '" + out + "'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(std::system(c.command.c_str()), 0);
        fs::remove(root / "data" / c.file);
        fs::rename(root / "converted", root / "data" / c.file);
        fs::remove_all(frames);
        e2e::Outcome o = run_capture({"--fps", "1", "--from", "600", "--to", "600"});
        ASSERT_TRUE(o.exited) << describe(o);
        EXPECT_EQ(o.exit_code, 0) << describe(o);
        EXPECT_TRUE(e2e::read_text(frames / "000600.png") == reference);
        fs::remove(root / "data" / c.file);
        fs::create_symlink(build_path("data/") + c.file, root / "data" / c.file);
        if (std::string(c.file) == "kardel.mp3") {
            EXPECT_NE(o.err.find("warning: data/kardel.mp3: the data after"), std::string::npos) << describe(o);
        }
    }
}

// Interrupted, a capture removes what it had not finished (its ffmpeg too) and
// ends with the shell's status for the signal.
TEST_F(Headless, InterruptedCaptureLeavesNothingUnfinished) {
    const bool have_ffmpeg = e2e::have_program("ffmpeg") && e2e::have_program("ffprobe");
    const struct {
        int signal;
        const char* target;
        const char* name;
    } cases[] = {{SIGINT, "frames", "SIGINT"}, {SIGTERM, "show.mkv", "SIGTERM"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (std::string(c.target) == "show.mkv" && !have_ffmpeg) continue;
        e2e::Child child = e2e::start({e2e::zelvo_binary(), "--dir", root.string(), "--capture",
                                       (root / c.target).string(), "--from", "20000", "--to", "80000"},
                                      {}, root);
        // Once frames are being written (the progress line shows a rate).
        for (int i = 0; i < 1500 && e2e::read_text(child.err_file).find(" fps | ") == std::string::npos; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        kill(child.pid, c.signal);
        const pid_t group = child.pid;
        e2e::Outcome o = e2e::wait(child, 30);
        ASSERT_TRUE(o.exited) << describe(o);
        EXPECT_EQ(o.exit_code, 128 + c.signal) << describe(o);
        EXPECT_NE(o.err.find(std::string("interrupted by ") + c.name), std::string::npos) << describe(o);
        EXPECT_NE(kill(-group, 0), 0) << "a child (ffmpeg) outlives the capture";
        for (const auto& entry : fs::recursive_directory_iterator(root))
            EXPECT_EQ(entry.path().filename().string().find(".zelvo-"), std::string::npos) << entry.path();
        EXPECT_FALSE(fs::exists(root / "show.mkv"));
    }
}

// A video is whole, verified and in place, or there is no file at all.
TEST_F(Headless, VideoCaptureNeverReportsAFailureAsSuccess) {
    if (!e2e::have_program("ffmpeg") || !e2e::have_program("ffprobe")) GTEST_SKIP() << "ffmpeg is not installed";
    const fs::path fakes = root / "fakes";
    struct Case {
        const char* what;
        const char* fake;  // a stand-in for ffmpeg, or null for the real one
        int status;
        const char* says;
    };
    const Case cases[] = {
        {"ffmpeg fails at once", "exit 1", 1, "ffmpeg"},
        {"ffmpeg writes a file that does not play",
         "out=; for a; do out=$a; done; cat >/dev/null; echo junk > \"$out\"; exit 0", 1, "is broken"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(fakes);
        fs::create_directories(fakes);
        e2e::write_text(fakes / "ffmpeg", std::string("#!/bin/sh\n[ \"$1\" = -version ] && exit 0\n") + c.fake + "\n");
        fs::permissions(fakes / "ffmpeg", fs::perms::owner_all);
        const fs::path video = root / "show.mkv";
        e2e::Outcome o = e2e::run({e2e::zelvo_binary(), "--dir", root.string(), "--capture", video.string(), "--fps",
                                   "10", "--from", "1000", "--to", "1300"},
                                  {"PATH=" + fakes.string() + ":" + std::getenv("PATH")}, root, 60);
        ASSERT_TRUE(o.exited) << describe(o);
        EXPECT_EQ(o.exit_code, c.status) << describe(o);
        EXPECT_NE(o.err.find(c.says), std::string::npos) << describe(o);
        EXPECT_FALSE(fs::exists(video));
        for (const auto& entry : fs::directory_iterator(root))
            EXPECT_EQ(entry.path().filename().string().find(".partial"), std::string::npos) << entry.path();
    }

    // A --to past the show's end is moved there; the sound ends with the last frame.
    const fs::path video = root / "end.mp4";
    e2e::Outcome o = e2e::run({e2e::zelvo_binary(), "--dir", root.string(), "--capture", video.string(), "--fps", "10",
                               "--from", "160000", "--to", "162000"},
                              {}, root, 60);
    ASSERT_EQ(o.exit_code, 0) << describe(o);
    const std::string durations = e2e::capture_command(
        "ffprobe -v error -show_entries stream=codec_type,duration -of csv=p=0 '" + video.string() + "'");
    double video_s = 0, audio_s = 0;
    std::istringstream lines(durations);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("video,", 0) == 0) video_s = std::atof(line.c_str() + 6);
        if (line.rfind("audio,", 0) == 0) audio_s = std::atof(line.c_str() + 6);
    }
    EXPECT_NEAR(video_s, 0.8, 0.11) << durations;  // 160000 ... 160700, and the cleared end frame
    EXPECT_NEAR(audio_s, video_s, 0.1) << durations;
}

namespace {

// Runs argv with standard input, output and error as given (-1: closed, else
// a descriptor to put there) and SIGPIPE at its default, as a shell leaves
// them; returns the exit status, or 128 + the signal that ended it.
int run_with_streams(const std::vector<std::string>& argv, int in, int out, int err) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        signal(SIGPIPE, SIG_DFL);
        const int wanted[3] = {in, out, err};
        for (int fd = 0; fd < 3; ++fd) {
            if (wanted[fd] < 0)
                close(fd);
            else if (wanted[fd] != fd)
                dup2(wanted[fd], fd);
        }
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

TEST_F(Headless, ClosedStandardStreamsAndUnreadPipesAreHandled) {
    // Closed at start, output and error would be the first files the program opens: the frames.
    const int status = run_with_streams({e2e::zelvo_binary(), "--dir", root.string(), "--capture", frames.string(),
                                         "--fps", "10", "--from", "0", "--to", "700"},
                                        -1, -1, -1);
    EXPECT_EQ(status, 0);
    const std::vector<std::string> names = frame_names();
    EXPECT_EQ(names.size(), 8u);
    for (const std::string& name : names) {
        int width = 0, height = 0;
        EXPECT_FALSE(read_png_rgb((frames / name).string(), &width, &height).empty()) << name;
        EXPECT_EQ(width, 800) << name;
    }

    // A pipe nobody reads: the output cannot be written, and that is status 1, not SIGPIPE.
    int unread[2];
    ASSERT_EQ(pipe(unread), 0);
    close(unread[0]);
    const int null_device = open("/dev/null", O_WRONLY);
    EXPECT_EQ(run_with_streams({e2e::zelvo_binary(), "--scenes"}, -1, unread[1], null_device), 1);
    close(unread[1]);
    close(null_device);
}

// What a capture writes never goes through a link planted under a name it
// writes, and while one capture writes a name a second one refuses it.
TEST_F(Headless, CapturesFollowNoPlantedLinkAndOneNameTakesOneCapture) {
    const fs::path victim = root / "victim";
    const std::string kept = "not the capture's";
    const bool have_ffmpeg = e2e::have_program("ffmpeg") && e2e::have_program("ffprobe");
    const struct {
        const char* target;
        const char* planted;  // the link, inside root
        bool succeeds;
    } cases[] = {
        {"frames", "frames/020000.png", true},
        {"show.mkv", "show.mkv", true},
        {"locked", "locked/.zelvo-capture.lock", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.planted);
        if (std::string(c.target) == "show.mkv" && !have_ffmpeg) continue;
        std::ofstream(victim) << kept;
        fs::create_directories((root / c.planted).parent_path());
        fs::create_symlink(victim, root / c.planted);
        e2e::Outcome o = e2e::run({e2e::zelvo_binary(), "--dir", root.string(), "--capture",
                                   (root / c.target).string(), "--from", "20000", "--to", "20100"},
                                  {}, root, 60);
        EXPECT_EQ(o.exit_code == 0, c.succeeds) << describe(o);
        EXPECT_EQ(e2e::read_text(victim), kept);
        if (c.succeeds) {
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(root / c.planted)));
        }
    }

    e2e::Child first = e2e::start({e2e::zelvo_binary(), "--dir", root.string(), "--capture", frames.string(),
                                   "--from", "20000", "--to", "80000"},
                                  {}, root);
    for (int i = 0; i < 1500 && e2e::read_text(first.err_file).find(" fps | ") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    e2e::Outcome second = run_capture({"--from", "0", "--to", "100"});
    kill(first.pid, SIGTERM);
    e2e::wait(first, 30);
    EXPECT_NE(second.exit_code, 0) << describe(second);
    EXPECT_NE(second.err.find("another capture is writing it"), std::string::npos) << describe(second);
    EXPECT_FALSE(fs::exists(frames / "000000.png"));
}

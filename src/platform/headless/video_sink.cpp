// The video sink: raw RGB frames piped into ffmpeg, which encodes them as
// H.264; at the end a second ffmpeg adds the stretch of soundtrack the frames
// cover, so the file plays in step with the music whatever the render rate was.
//
// The soundtrack goes to ffmpeg through a pipe, exactly as long as the frames
// written (silence past its end), once the video is complete: fed while the
// frames still come, ffmpeg would wait for seconds of sound ahead of the
// pictures. Both passes write files in a private folder beside the one asked
// for; only a file that ffprobe confirms (every frame, audio of the same
// length) is renamed into place. Any failure leaves nothing under the name
// asked for, and while one capture writes a name, a second one refuses it.
#include <cctype>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <vector>

#include "platform/audio/audio.h"
#include "codecs/codecs.h"
#include "platform/headless/frame_sink.h"
#include "platform/system/system.h"

namespace {

struct Soundtrack {
    std::vector<int16_t> samples;  // from the first frame's music time on
    int rate = 0;
    int channels = 0;
};

struct Video {
    SinkSettings settings;
    std::string video_path;    // pass one: the pictures alone (the final file when there is no sound)
    std::string partial_path;  // pass two: pictures and sound
    WorkFolder work;           // where both are written, and the claim on the name
    bool has_audio = false;
    Soundtrack audio;
    ChildProcess encoder;
    bool started = false;
    int frames_written = 0;
    std::string first_error;
};

Video video;

bool fail(std::string* error, const std::string& text) {
    if (video.first_error.empty()) video.first_error = text;
    *error = text;
    return false;
}

bool is_mp4(const std::string& path) {
    std::string extension = file_name_text(file_path(path).extension());
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".mp4";
}

// The muxer of the file asked for; the partial files' names say nothing of it.
void add_output(std::vector<std::string>& args, const std::string& path) {
    if (is_mp4(video.settings.path)) args.insert(args.end(), {"-movflags", "+faststart", "-f", "mp4"});
    else args.insert(args.end(), {"-f", "matroska"});
    args.push_back(path);
}

std::vector<std::string> encoder_arguments() {
    const SinkSettings& s = video.settings;
    char size[32], rate[32];
    std::snprintf(size, sizeof size, "%dx%d", s.width, s.height);
    std::snprintf(rate, sizeof rate, "%.6g", s.fps);
    // What video sites ask of an upload: H.264 High in 4:2:0, a closed group of
    // pictures every half second with two B-frames, CRF 18.
    const std::string group = std::to_string(std::max(1L, std::lround(s.fps / 2)));
    // The frames arrive bottom row first, as GL reads them.
    std::vector<std::string> args = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f", "rawvideo",
                                     "-pix_fmt", "rgb24", "-video_size", size, "-framerate", rate, "-i", "pipe:0",
                                     "-vf", "vflip", "-c:v", "libx264", "-preset", "veryfast", "-profile:v", "high",
                                     "-crf", "18", "-g", group, "-flags", "+cgop", "-bf", "2", "-pix_fmt", "yuv420p"};
    if (video.has_audio) args.insert(args.end(), {"-f", "matroska", video.video_path});
    else add_output(args, video.video_path);
    return args;
}

// Sample frames that play during the first `frames` video frames.
int64_t samples_for_frames(int64_t frames) {
    return static_cast<int64_t>(std::llround(static_cast<double>(frames) * video.audio.rate / video.settings.fps));
}

// Pass two: the finished pictures and exactly as much sound, music then silence.
bool add_soundtrack(std::string* problem) {
    const Soundtrack& a = video.audio;
    std::vector<std::string> args = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-i", video.video_path,
                                     "-f", "s16le", "-ar", std::to_string(a.rate), "-ac", std::to_string(a.channels),
                                     "-i", "pipe:0", "-map", "0:v", "-map", "1:a", "-c:v", "copy", "-c:a", "aac",
                                     "-profile:a", "aac_low", "-b:a", "320k"};
    add_output(args, video.partial_path);
    ChildProcess muxer;
    if (!start_child(args, &muxer, problem)) return false;
    const int64_t wanted = samples_for_frames(video.frames_written);
    const int64_t available = std::min<int64_t>(wanted, static_cast<int64_t>(a.samples.size()) / a.channels);
    bool fed = write_to_child(muxer, a.samples.data(), static_cast<size_t>(available * a.channels) * sizeof(int16_t));
    const std::vector<int16_t> silence(4096 * static_cast<size_t>(a.channels), 0);
    for (int64_t sent = available; fed && sent < wanted;) {
        const int64_t count = std::min<int64_t>(4096, wanted - sent);
        fed = write_to_child(muxer, silence.data(), static_cast<size_t>(count * a.channels) * sizeof(int16_t));
        sent += count;
    }
    const bool exited_well = finish_child(&muxer);
    if (!fed || !exited_well) {
        *problem = "ffmpeg could not add the soundtrack to " + video.settings.path;
        return false;
    }
    return true;
}

// Reads the finished file back: it must hold every frame written and, with a
// soundtrack, audio as long as the video (AAC works in blocks of 1024 samples
// and primes one block, so a few blocks either way are allowed).
bool verify_file(const std::string& path, std::string* problem) {
    const std::string probe = program_output({"ffprobe", "-v", "error", "-count_packets", "-show_entries",
                                              "stream=codec_type,nb_read_packets", "-of", "csv=p=0", path});
    int64_t video_packets = -1, audio_packets = -1;
    std::istringstream lines(probe);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string type, packets;
        std::getline(fields, type, ',');
        std::getline(fields, packets, ',');
        if (type == "video") video_packets = std::atoll(packets.c_str());
        if (type == "audio") audio_packets = std::atoll(packets.c_str());
    }
    if (video_packets != video.frames_written) {
        *problem = video_packets < 0 ? "ffprobe finds no video in it (" + probe.substr(0, 200) + ")"
                                     : "it holds " + std::to_string(video_packets) + " of the " +
                                           std::to_string(video.frames_written) + " frames written";
        return false;
    }
    if (!video.has_audio) return true;
    if (audio_packets < 0) {
        *problem = "it has no soundtrack";
        return false;
    }
    const double video_seconds = video.frames_written / video.settings.fps;
    const double audio_seconds = static_cast<double>(audio_packets) * 1024 / video.audio.rate;
    if (std::fabs(audio_seconds - video_seconds) > 4 * 1024.0 / video.audio.rate + 1 / video.settings.fps) {
        char text[160];
        std::snprintf(text, sizeof text, "its soundtrack lasts %.2f s but its video %.2f s", audio_seconds,
                      video_seconds);
        *problem = text;
        return false;
    }
    return true;
}

bool video_open(const SinkSettings& settings, std::string* error) {
    video = Video{};
    video.settings = settings;
    if (!program_runs("ffmpeg") || !program_runs("ffprobe")) {
        *error = "writing the video " + settings.path + " needs ffmpeg and ffprobe, which were not found on PATH";
        return false;
    }
    const std::filesystem::path path = file_path(settings.path);
    const std::filesystem::path folder = path.parent_path();
    if (!folder.empty() && !std::filesystem::is_directory(folder)) {
        *error = "cannot write the video " + settings.path + ": its folder does not exist";
        return false;
    }
    const std::filesystem::path lock = folder / file_path("." + file_name_text(path.filename()) + ".lock");
    if (!open_work_folder(file_name_text(folder), file_name_text(lock), settings.path, &video.work, error)) return false;
    video.video_path = file_name_text(file_path(video.work.path) / "pictures");
    video.partial_path = file_name_text(file_path(video.work.path) / "video");
    return true;
}

void video_take_soundtrack(const DecodedAudio& decoded) {
    if (decoded.rate <= 0 || decoded.channels <= 0) return;
    const int64_t total = static_cast<int64_t>(decoded.samples.size()) / decoded.channels;
    const int64_t first = std::min(ms_to_sample(video.settings.from_ms, decoded.rate), total);
    video.audio.rate = decoded.rate;
    video.audio.channels = decoded.channels;
    video.audio.samples.assign(decoded.samples.begin() + first * decoded.channels, decoded.samples.end());
    video.has_audio = true;
}

bool video_write(const uint8_t* rgb, int32_t, std::string* error) {
    if (!video.started) {
        video.started = true;
        std::string problem;
        if (!start_child(encoder_arguments(), &video.encoder, &problem)) return fail(error, problem);
    }
    if (video.encoder.input < 0) return fail(error, "ffmpeg is not running for " + video.settings.path);
    const size_t bytes = static_cast<size_t>(video.settings.width) * video.settings.height * 3;
    if (!write_to_child(video.encoder, rgb, bytes))
        return fail(error, "ffmpeg stopped taking frames for " + video.settings.path);
    ++video.frames_written;
    return true;
}

// What keeps the finished video from its place, or "" when nothing does.
std::string video_problem(bool encoded, const std::string& finished) {
    if (!video.first_error.empty()) return video.first_error;
    if (!video.started) return "no frames were captured, so " + video.settings.path + " was not written";
    if (!encoded) return "ffmpeg could not write " + video.settings.path;
    std::string problem;
    if (video.has_audio && !add_soundtrack(&problem)) return problem;
    if (!verify_file(finished, &problem))
        return "the video ffmpeg wrote for " + video.settings.path + " is broken: " + problem;
    std::error_code moved;
    std::filesystem::rename(file_path(finished), file_path(video.settings.path), moved);
    if (moved) return "cannot put the video in place as " + video.settings.path + ": " + moved.message();
    return "";
}

bool video_finish(std::string* error) {
    // ffmpeg is waited for whatever went wrong, so it never outlives the show.
    const bool encoded = video.started && finish_child(&video.encoder);
    const std::string problem = video_problem(encoded, video.has_audio ? video.partial_path : video.video_path);
    close_work_folder(&video.work);
    if (problem.empty()) return true;
    *error = problem;
    return false;
}

void video_abandon() {
    stop_child(&video.encoder);
    close_work_folder(&video.work);
    video = Video{};
}

}  // namespace

const FrameSink video_file_sink = {video_open, video_take_soundtrack, video_write, video_finish, video_abandon};

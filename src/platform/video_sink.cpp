// The video sink: raw RGB frames piped into ffmpeg, which encodes them as
// H.264 and muxes in the stretch of soundtrack the frames cover, so the file
// plays in step with the music whatever the render rate was.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/backend.h"
#include "platform/frame_sink.h"

namespace {

struct Video {
    SinkSettings settings;
    std::string audio_path;  // a WAV of the soundtrack slice, removed at the end
    bool has_audio = false;
    FILE* pipe = nullptr;
    bool started = false;
    std::string first_error;
};

Video video;

// Quotes a word for /bin/sh.
std::string shell_quoted(const std::string& word) {
    std::string out = "'";
    for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

void put_le(std::ofstream& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Writes the samples the captured frames cover: from the first frame's music
// time for frames_expected / fps seconds, as far as the soundtrack reaches.
bool write_audio_slice(const DecodedAudio& audio, const std::string& path) {
    if (audio.rate <= 0 || audio.channels <= 0) return false;
    const int64_t total = static_cast<int64_t>(audio.samples.size()) / audio.channels;
    const int64_t first = std::min(ms_to_sample(video.settings.from_ms, audio.rate), total);
    const auto length = static_cast<int64_t>(
        std::ceil(video.settings.frames_expected * static_cast<double>(audio.rate) / video.settings.fps));
    const int64_t count = std::min(length, total - first);
    const uint32_t data_bytes = static_cast<uint32_t>(count * audio.channels * 2);
    std::ofstream out(path, std::ios::binary);
    out.write("RIFF", 4);
    put_le(out, 36 + data_bytes, 4);
    out.write("WAVEfmt ", 8);
    put_le(out, 16, 4);
    put_le(out, 1, 2);  // PCM
    put_le(out, static_cast<uint32_t>(audio.channels), 2);
    put_le(out, static_cast<uint32_t>(audio.rate), 4);
    put_le(out, static_cast<uint32_t>(audio.rate * audio.channels * 2), 4);
    put_le(out, static_cast<uint32_t>(audio.channels * 2), 2);
    put_le(out, 16, 2);
    out.write("data", 4);
    put_le(out, data_bytes, 4);
    // WAV is little-endian, as are the machines this runs on.
    out.write(reinterpret_cast<const char*>(audio.samples.data() + first * audio.channels), data_bytes);
    return static_cast<bool>(out);
}

std::string ffmpeg_command() {
    const SinkSettings& s = video.settings;
    char format[160];
    std::snprintf(format, sizeof format, "-f rawvideo -pix_fmt rgb24 -video_size %dx%d -framerate %.6g -i pipe:0",
                  s.width, s.height, s.fps);
    std::string command = "ffmpeg -hide_banner -loglevel error -y " + std::string(format);
    if (video.has_audio) command += " -i " + shell_quoted(video.audio_path);
    // The frames arrive bottom row first, as GL reads them.
    command += " -vf vflip -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p";
    if (video.has_audio) command += " -c:a aac -b:a 192k";
    if (std::filesystem::path(s.path).extension() != ".mkv") command += " -movflags +faststart";
    command += " " + shell_quoted(s.path);
    return command;
}

bool fail(std::string* error, const std::string& text) {
    if (video.first_error.empty()) video.first_error = text;
    *error = text;
    return false;
}

bool video_open(const SinkSettings& settings, std::string* error) {
    video = Video{};
    video.settings = settings;
    if (std::system("ffmpeg -version >/dev/null 2>&1") != 0) {
        *error = "writing the video " + settings.path + " needs ffmpeg, which is not installed";
        return false;
    }
    const std::filesystem::path folder = std::filesystem::path(settings.path).parent_path();
    if (!folder.empty() && !std::filesystem::is_directory(folder)) {
        *error = "cannot write the video " + settings.path + ": its folder does not exist";
        return false;
    }
    video.audio_path =
        (std::filesystem::temp_directory_path() / ("zelvo-" + std::to_string(getpid()) + "-soundtrack.wav")).string();
    return true;
}

void video_take_soundtrack(const DecodedAudio& audio) {
    video.has_audio = write_audio_slice(audio, video.audio_path);
}

bool video_write(const uint8_t* rgb, int32_t, std::string* error) {
    if (!video.started) {
        video.started = true;
        // A dying ffmpeg must show up as a failed write, not end the demo.
        signal(SIGPIPE, SIG_IGN);
        video.pipe = popen(ffmpeg_command().c_str(), "w");
        if (!video.pipe) return fail(error, "cannot start ffmpeg for " + video.settings.path);
    }
    if (!video.pipe) return fail(error, "ffmpeg is not running for " + video.settings.path);
    const size_t bytes = static_cast<size_t>(video.settings.width) * video.settings.height * 3;
    if (std::fwrite(rgb, 1, bytes, video.pipe) != bytes)
        return fail(error, "ffmpeg stopped taking frames for " + video.settings.path);
    return true;
}

bool video_finish(std::string* error) {
    int status = 0;
    if (video.pipe) status = pclose(video.pipe);
    video.pipe = nullptr;
    std::error_code ignored;
    std::filesystem::remove(video.audio_path, ignored);
    if (!video.first_error.empty()) {
        *error = video.first_error;
        return false;
    }
    if (!video.started) {
        *error = "no frames were captured, so " + video.settings.path + " was not written";
        return false;
    }
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        *error = "ffmpeg could not write " + video.settings.path;
        return false;
    }
    return true;
}

}  // namespace

const FrameSink video_file_sink = {video_open, video_take_soundtrack, video_write, video_finish};

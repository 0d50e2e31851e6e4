// Inside the platform layer: where the headless backend sends presented frames.
//
// A sink is a small table of functions chosen by the capture path: a folder
// gets one PNG per frame, named by its music time; a path ending in .mp4 or
// .mkv gets a video with the soundtrack, encoded by ffmpeg.
#pragma once

#include <cstdint>
#include <string>

#include "platform/codecs.h"
#include "platform/platform.h"

struct SinkSettings {
    std::string path;
    int width = 0;
    int height = 0;
    double fps = 30;
    int32_t from_ms = 0;      // music time of the first frame
    int frames_expected = 0;  // frames the capture range holds
};

struct FrameSink {
    // Prepares the destination; false with *error set when it cannot.
    bool (*open)(const SinkSettings& settings, std::string* error);
    // Called once the soundtrack has been decoded, before the first frame.
    void (*take_soundtrack)(const DecodedAudio& audio);
    // Takes one frame of width x height RGB rows, bottom row first as GL reads them.
    bool (*write)(const uint8_t* rgb, int32_t music_ms, std::string* error);
    // Flushes and closes; false with *error set when something could not be written.
    bool (*finish)(std::string* error);
};

// The sink for a capture path: the video file for .mp4 and .mkv, else the PNG folder.
const FrameSink* frame_sink_for(const std::string& path);

// Whether the path names a video file rather than a folder of pictures.
bool is_video_path(const std::string& path);

// The file name of the frame shown at music_ms: six digits, zero-padded ("053530.png").
std::string frame_file_name(int32_t music_ms);

// The PNG folder and the ffmpeg video.
extern const FrameSink png_folder_sink;
extern const FrameSink video_file_sink;

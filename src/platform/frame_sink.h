// Inside the platform layer: where the headless backend sends presented frames.
//
// A sink is a small table of functions chosen by the capture path. The PNG
// folder writes one picture per frame, named by its music time; further sinks
// (a video file) plug in beside it.
#pragma once

#include <cstdint>
#include <string>

struct FrameSink {
    // Prepares the destination (creates the folder); false with *error set when it cannot.
    bool (*open)(const std::string& path, int width, int height, std::string* error);
    // Takes one frame of width x height RGB rows, bottom row first as GL reads them.
    bool (*write)(const uint8_t* rgb, int32_t music_ms, std::string* error);
    // Flushes and closes; false with *error set when something could not be written.
    bool (*finish)(std::string* error);
};

// The sink for a capture path: the PNG folder (the only kind so far).
const FrameSink* frame_sink_for(const std::string& path);

// The file name of the frame shown at music_ms: six digits, zero-padded ("053530.png").
std::string frame_file_name(int32_t music_ms);

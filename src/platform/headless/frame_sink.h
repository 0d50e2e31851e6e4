// Inside the platform layer: where the headless backend sends presented frames.
//
// A sink is a small table of functions chosen by the capture path: a folder
// gets one PNG per frame, named by its music time; a path ending in .mp4 or
// .mkv gets a video with the soundtrack, encoded by ffmpeg.
#pragma once

#include <cstdint>
#include <string>

#include "platform/audio/audio.h"
#include "platform/platform.h"
#include "platform/system/system.h"

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
    // Gives up without finishing (the run failed or was interrupted): stops
    // ffmpeg, removes every file not yet whole, and a capture folder it made
    // that is still empty. Safe after finish and when never opened.
    void (*abandon)();
};

// Where a sink keeps files until they are whole: a private folder inside the
// destination's folder (whole files are renamed out of it into place), and the
// claim on the destination that keeps a second capture off it.
struct WorkFolder {
    std::string path;
    NameClaim claim;
};

// Claims the destination through lock_path, then makes the private folder
// inside folder; false with *error set (naming target) when another capture
// holds the destination or the folder cannot be made.
bool open_work_folder(const std::string& folder, const std::string& lock_path, const std::string& target,
                      WorkFolder* work, std::string* error);

// Removes the private folder with whatever is left in it and ends the claim.
// Safe when never opened.
void close_work_folder(WorkFolder* work);

// The sink for a capture path: the video file for .mp4 and .mkv, else the PNG folder.
const FrameSink* frame_sink_for(const std::string& path);

// Whether the path names a video file rather than a folder of pictures.
bool is_video_path(const std::string& path);

// The file name of the frame shown at music_ms: six digits, zero-padded ("053530.png").
std::string frame_file_name(int32_t music_ms);

// The PNG folder and the ffmpeg video.
extern const FrameSink png_folder_sink;
extern const FrameSink video_file_sink;

// ---- The sink's worker thread ----
//
// Frames are written through the sink on a thread of its own, in the order
// they were queued, so the next frame renders while one is encoded or piped.
// A few frame buffers circulate: the render thread fills a free one and queues
// it; the worker writes it and frees it. After the first failed write the
// worker writes nothing more and keeps that error for the finish.

// Starts the worker for the sink with buffers of frame_bytes each.
void sink_worker_start(const FrameSink* sink, size_t frame_bytes);
// A free buffer to fill, waiting while every buffer is queued or being written.
uint8_t* sink_worker_buffer();
// Queues the buffer sink_worker_buffer returned, as the frame shown at music_ms.
void sink_worker_queue(int32_t music_ms);
// Frames written so far (any thread may ask).
int sink_worker_written();
// Whether a write has failed; *error (when given) its message.
bool sink_worker_failed(std::string* error = nullptr);
// Waits until every queued frame is written and stops the worker. False with
// *error set to the first failed write's message.
bool sink_worker_finish(std::string* error);
// Stops the worker at once, dropping the frames still queued. Safe when none runs.
void sink_worker_abandon();

// The frame sink's worker thread: PNG encoding or the pipe to ffmpeg runs
// beside the rendering of the next frame.
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/headless/frame_sink.h"

namespace {

// Two frames may wait while a third is written: enough to cover a frame that
// encodes slowly, few enough that a capture never runs far ahead of its files.
constexpr int buffer_count = 3;

struct Queued {
    int buffer;
    int32_t music_ms;
};

struct Worker {
    const FrameSink* sink = nullptr;
    std::thread thread;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::vector<uint8_t>> buffers;
    std::vector<int> free_buffers;
    int filling = -1;  // the buffer handed out by sink_worker_buffer
    std::deque<Queued> queue;
    bool stopping = false;
    bool dropping = false;
    int written = 0;
    bool failed = false;
    std::string error;
};

Worker worker;

void run_worker() {
    std::unique_lock lock(worker.mutex);
    for (;;) {
        worker.changed.wait(lock, [] { return !worker.queue.empty() || worker.stopping; });
        if (worker.queue.empty() || worker.dropping) return;
        const Queued frame = worker.queue.front();
        worker.queue.pop_front();
        const bool skip = worker.failed;
        lock.unlock();
        std::string error;
        const bool ok = skip || worker.sink->write(worker.buffers[frame.buffer].data(), frame.music_ms, &error);
        if (!ok) std::fprintf(stderr, "zelvo: %s\n", error.c_str());
        lock.lock();
        if (!skip && ok) ++worker.written;
        if (!ok) {
            worker.failed = true;
            worker.error = error;
        }
        worker.free_buffers.push_back(frame.buffer);
        worker.changed.notify_all();
    }
}

void stop(bool drop) {
    if (!worker.thread.joinable()) return;
    {
        std::lock_guard lock(worker.mutex);
        worker.stopping = true;
        worker.dropping = drop;
    }
    worker.changed.notify_all();
    worker.thread.join();
}

}  // namespace

void sink_worker_start(const FrameSink* sink, size_t frame_bytes) {
    sink_worker_abandon();
    worker.sink = sink;
    worker.buffers.assign(buffer_count, std::vector<uint8_t>(frame_bytes));
    worker.free_buffers.clear();
    for (int i = 0; i < buffer_count; ++i) worker.free_buffers.push_back(i);
    worker.filling = -1;
    worker.queue.clear();
    worker.stopping = false;
    worker.dropping = false;
    worker.written = 0;
    worker.failed = false;
    worker.error.clear();
    worker.thread = std::thread(run_worker);
}

uint8_t* sink_worker_buffer() {
    std::unique_lock lock(worker.mutex);
    if (worker.filling < 0) {
        worker.changed.wait(lock, [] { return !worker.free_buffers.empty(); });
        worker.filling = worker.free_buffers.back();
        worker.free_buffers.pop_back();
    }
    return worker.buffers[worker.filling].data();
}

void sink_worker_queue(int32_t music_ms) {
    {
        std::lock_guard lock(worker.mutex);
        if (worker.filling < 0) return;
        worker.queue.push_back({worker.filling, music_ms});
        worker.filling = -1;
    }
    worker.changed.notify_all();
}

int sink_worker_written() {
    std::lock_guard lock(worker.mutex);
    return worker.written;
}

bool sink_worker_failed(std::string* error) {
    std::lock_guard lock(worker.mutex);
    if (worker.failed && error) *error = worker.error;
    return worker.failed;
}

bool sink_worker_finish(std::string* error) {
    stop(false);
    if (!worker.failed) return true;
    *error = worker.error;
    return false;
}

void sink_worker_abandon() { stop(true); }

// The virtual clock's frame times, the watch on a device that stalls, a held
// time read from the environment and work bounded in time.
#include "platform/clock.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

// Formed as one division of exact values, so a time that falls on a whole
// millisecond (frame 3 at 30 fps: 100 ms) never comes out a hair below it and
// floors to the one before.
double position_after(double start_ms, int64_t frames, double fps) {
    return std::floor(start_ms + static_cast<double>(frames) * 1000.0 / fps);
}

int32_t offset_position_ms(int32_t heard_ms, int32_t offset_ms, int32_t start_ms, int32_t last_reported) {
    const int64_t shifted = static_cast<int64_t>(heard_ms) - offset_ms;
    return static_cast<int32_t>(std::max<int64_t>({shifted, start_ms, last_reported}));
}

int32_t environment_ms(const char* name) {
    const char* text = std::getenv(name);
    if (!text || !*text) return -1;
    char* end = nullptr;
    const long ms = std::strtol(text, &end, 10);
    return *end == '\0' && ms >= 0 && ms <= INT32_MAX ? static_cast<int32_t>(ms) : -1;
}

void watch_start(StallWatch& watch, int32_t heard_ms, uint32_t now_ms) {
    watch = StallWatch{true, heard_ms, now_ms, false};
}

int32_t watch_position(StallWatch& watch, int32_t heard_ms, uint32_t now_ms, StallEvent* event) {
    *event = StallEvent::none;
    if (!watch.running) return heard_ms;
    const int64_t wall_clock = static_cast<int64_t>(watch.last_heard) + static_cast<uint32_t>(now_ms - watch.moved_at);
    const int32_t by_wall = static_cast<int32_t>(std::min<int64_t>(wall_clock, INT32_MAX));
    if (watch.stalled) {
        if (heard_ms != watch.last_heard) *event = StallEvent::answering_again;
        return by_wall;
    }
    if (heard_ms != watch.last_heard) {
        watch.last_heard = heard_ms;
        watch.moved_at = now_ms;
        return heard_ms;
    }
    if (static_cast<uint32_t>(now_ms - watch.moved_at) < stall_ms) return heard_ms;
    watch.stalled = true;
    *event = StallEvent::stalled;
    return by_wall;
}

bool finish_in_time(std::function<void()> work, uint32_t limit_ms) {
    struct Finishing {
        std::mutex mutex;
        std::condition_variable done_signal;
        bool done = false;
    };
    auto finishing = std::make_shared<Finishing>();
    std::thread([work = std::move(work), finishing] {
        work();
        std::lock_guard<std::mutex> lock(finishing->mutex);
        finishing->done = true;
        finishing->done_signal.notify_all();
    }).detach();
    std::unique_lock<std::mutex> lock(finishing->mutex);
    return finishing->done_signal.wait_for(lock, std::chrono::milliseconds(limit_ms), [&] { return finishing->done; });
}

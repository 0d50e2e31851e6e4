// The ramp to silence the sound backends play before closing their device.
#include "platform/audio/audio.h"

#include <algorithm>
#include <cstring>

FadeOut begin_fade_out(int rate) {
    const int64_t frames = std::max<int64_t>(1, static_cast<int64_t>(rate) * fade_out_ms / 1000);
    return FadeOut{frames, frames};
}

void apply_fade_out(int16_t* samples, int64_t frames, int channels, FadeOut* fade) {
    if (fade->total <= 0) return;
    const int64_t ramped = std::min(frames, fade->remaining);
    for (int64_t i = 0; i < ramped; ++i) {
        // The frame's gain: 1 at the first frame of the fade, falling to 0 at its end.
        const double gain = static_cast<double>(fade->remaining - i - 1) / static_cast<double>(fade->total);
        for (int c = 0; c < channels; ++c) {
            int16_t& sample = samples[i * channels + c];
            sample = static_cast<int16_t>(sample * gain);
        }
    }
    fade->remaining -= ramped;
    if (frames > ramped)
        std::memset(samples + ramped * channels, 0, static_cast<size_t>((frames - ramped) * channels) * sizeof(int16_t));
}

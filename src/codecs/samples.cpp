// The sample clock the sound backends and the video sink count in: whole
// milliseconds and sample indices at a rate, both rounded down.
#include "codecs/codecs.h"

int32_t sample_to_ms(int64_t sample, int rate) {
    if (rate <= 0) return 0;
    return static_cast<int32_t>(sample * 1000 / rate);
}

int64_t ms_to_sample(int32_t ms, int rate) {
    if (ms <= 0 || rate <= 0) return 0;
    return static_cast<int64_t>(ms) * rate / 1000;
}

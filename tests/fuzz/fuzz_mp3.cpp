// libFuzzer harness: opening a soundtrack, as start-up does, from arbitrary bytes.
#include <cstdint>
#include <string>

#include "platform/audio/audio.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DecodedAudio audio;
    std::string error, warning;
    if (mp3_decode(data, size, &audio, &error, &warning) && audio.samples.size() % audio.channels != 0)
        __builtin_trap();
    return 0;
}

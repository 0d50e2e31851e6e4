// libFuzzer harness: the TGA decoder on arbitrary bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "resources/resources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint16_t width = 0, height = 0;
    std::vector<uint8_t> rgb;
    std::string error;
    const bool read = decode_tga(data, size, &width, &height, &rgb, &error);
    if (read && rgb.size() != size_t{width} * height * 3) __builtin_trap();
    return 0;
}

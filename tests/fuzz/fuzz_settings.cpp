// libFuzzer harness: settings.ini on arbitrary text. Whatever it holds, the
// divisor stays at least 1.
#include <cstdint>
#include <string>

#include "shell/shell.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string warnings;
    const Settings s = parse_settings(std::string(reinterpret_cast<const char*>(data), size), &warnings);
    if (!(s.ease_divisor >= 1.0f)) __builtin_trap();
    return 0;
}

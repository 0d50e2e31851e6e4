#include "platform/platform.h"
bool mp3_decode(const uint8_t*, size_t, DecodedAudio*, std::string* error) { *error = "no decoder"; return false; }

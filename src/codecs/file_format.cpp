// Naming what a file holds from its first bytes, so a picture or a sound of
// another kind is refused for what it is rather than for some field of it.
// Pure; the picture codecs library carries it for the TGA decoder.
#include <cstring>

#include "codecs/codecs.h"

namespace {

bool starts_with(const uint8_t* bytes, size_t size, size_t at, const char* magic) {
    const size_t length = std::strlen(magic);
    return size >= at + length && std::memcmp(bytes + at, magic, length) == 0;
}

}  // namespace

const char* file_format_name(const uint8_t* bytes, size_t size) {
    if (!bytes) return nullptr;
    if (starts_with(bytes, size, 0, "\x89PNG\r\n\x1a\n")) return "PNG";
    if (starts_with(bytes, size, 0, "\xff\xd8\xff")) return "JPEG";
    if (starts_with(bytes, size, 0, "GIF8")) return "GIF";
    if (starts_with(bytes, size, 0, "BM") && size >= 26) return "BMP";
    if (starts_with(bytes, size, 0, "RIFF") && starts_with(bytes, size, 8, "WAVE")) return "WAV";
    if (starts_with(bytes, size, 0, "RIFF") && starts_with(bytes, size, 8, "WEBP")) return "WebP";
    if (starts_with(bytes, size, 0, "OggS")) return "Ogg";
    if (starts_with(bytes, size, 0, "fLaC")) return "FLAC";
    if (starts_with(bytes, size, 0, "FORM") && starts_with(bytes, size, 8, "AIF")) return "AIFF";
    if (starts_with(bytes, size, 4, "ftyp")) return "MP4";
    if (starts_with(bytes, size, 0, "\x1a\x45\xdf\xa3")) return "Matroska";
    return nullptr;
}

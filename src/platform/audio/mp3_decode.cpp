// Whole-file MP3 decoding with libmpg123, for playback and for validating the
// soundtrack before the show starts. Gapless decoding reads the LAME tag and
// drops the encoder delay and padding, so sample 0 is the first sample of the
// music and the sample count is the length that was encoded.
#include <mpg123.h>

#include <cstdio>
#include <cstring>

#include "platform/audio/audio.h"

namespace {

struct HandleGuard {
    mpg123_handle* handle = nullptr;
    ~HandleGuard() {
        if (handle) {
            mpg123_close(handle);
            mpg123_delete(handle);
        }
    }
};

bool fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

// Only 16-bit signed output at the stream's own rate and channel count:
// nothing may resample or remix the soundtrack behind our back.
bool allow_only_s16(mpg123_handle* handle) {
    if (mpg123_format_none(handle) != MPG123_OK) return false;
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i) {
        if (mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) !=
            MPG123_OK)
            return false;
    }
    return true;
}

// Where the music ends when the bytes after it do not decode, and why.
std::string junk_warning(const DecodedAudio& audio, const std::string& reason) {
    char at[32];
    std::snprintf(at, sizeof at, "%.3f", double(audio.samples.size()) / audio.channels / audio.rate);
    return std::string("the data after ") + at + " s does not decode (" + reason + "); the music ends there";
}

// The length in bytes of the Layer III frame whose header is at p, or 0 when
// the four bytes there are no such header.
size_t layer3_frame_length(const uint8_t* p) {
    static const int mpeg1_kbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static const int mpeg2_kbps[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
    static const int mpeg1_rates[4] = {44100, 48000, 32000, 0};
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0 || ((p[1] >> 1) & 3) != 1) return 0;
    const int version = (p[1] >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    if (version == 1) return 0;
    const int kbps = (version == 3 ? mpeg1_kbps : mpeg2_kbps)[p[2] >> 4];
    const int rate = mpeg1_rates[(p[2] >> 2) & 3] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    if (kbps == 0 || rate == 0) return 0;
    return static_cast<size_t>((version == 3 ? 144 : 72) * kbps * 1000 / rate + ((p[2] >> 1) & 1));
}

// Whether the data's frames, walked from the start (after an ID3v2 tag), run
// on to a last frame that the data ends inside: a file cut short. Anything
// that is no frame stops the walk (junk and tags are warned about elsewhere).
bool last_frame_cut_short(const uint8_t* bytes, size_t size) {
    size_t at = 0;
    if (size >= 10 && std::memcmp(bytes, "ID3", 3) == 0) {
        at = 10 + ((size_t{bytes[6]} & 0x7F) << 21 | (size_t{bytes[7]} & 0x7F) << 14 |
                   (size_t{bytes[8]} & 0x7F) << 7 | (size_t{bytes[9]} & 0x7F));
        if (bytes[5] & 0x10) at += 10;  // a footer
    }
    while (at + 4 <= size) {
        const size_t length = layer3_frame_length(bytes + at);
        if (length == 0) return false;
        if (length > size - at) return true;
        at += length;
    }
    return false;
}

}  // namespace

bool mp3_decode(const uint8_t* bytes, size_t size, DecodedAudio* audio, std::string* error, std::string* warning) {
    *audio = DecodedAudio{};
    if (!bytes || size == 0) return fail(error, "the MP3 data is empty");
    // The decoder would hunt through a WAV or an Ogg file for anything that
    // looks like an MP3 frame, and play the noise it finds.
    if (const char* format = file_format_name(bytes, size))
        return fail(error, std::string("the file holds ") + format + " data, not MP3");
    // mpg123_init is required before libmpg123 1.27 and harmless after it.
    mpg123_init();
    int status = MPG123_OK;
    HandleGuard guard;
    guard.handle = mpg123_new(nullptr, &status);
    if (!guard.handle) return fail(error, std::string("cannot start the MP3 decoder: ") +
                                              mpg123_plain_strerror(status));
    mpg123_handle* handle = guard.handle;
    mpg123_param(handle, MPG123_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
    if (!allow_only_s16(handle)) return fail(error, "the MP3 decoder refuses 16-bit output");
    if (mpg123_open_feed(handle) != MPG123_OK)
        return fail(error, std::string("cannot open the MP3 data: ") + mpg123_strerror(handle));

    // The whole file is fed at once; the decoder then asks for more only when
    // every frame has been decoded, and gapless trimming of the end already
    // knows the length from the LAME tag.
    std::vector<unsigned char> chunk(1 << 16);
    size_t produced = 0;
    const unsigned char* input = bytes;
    size_t input_size = size;
    bool have_format = false;
    bool cut_inside_frame = false;
    for (;;) {
        status = mpg123_decode(handle, input, input_size, chunk.data(), chunk.size(), &produced);
        input = nullptr;
        input_size = 0;
        if (status == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0;
            int encoding = 0;
            mpg123_getformat(handle, &rate, &channels, &encoding);
            if (have_format && (rate != audio->rate || channels != audio->channels)) {
                if (audio->samples.empty())
                    return fail(error, "the data is not MP3: what look like its first frames disagree on "
                                       "sample rate and channels");
                // Trailing bytes that happen to look like a frame of another
                // format end the music like any other junk.
                if (warning) *warning = junk_warning(*audio, "a frame of another sample rate or channel count");
                break;
            }
            audio->rate = static_cast<int>(rate);
            audio->channels = channels;
            have_format = true;
        }
        if (produced > 0) {
            size_t old = audio->samples.size();
            audio->samples.resize(old + produced / sizeof(int16_t));
            std::memcpy(audio->samples.data() + old, chunk.data(), produced);
        }
        if (status == MPG123_NEED_MORE || status == MPG123_DONE) {
            cut_inside_frame = status == MPG123_NEED_MORE && last_frame_cut_short(bytes, size);
            break;
        }
        if (status == MPG123_ERR) {
            // Bytes after the last good frame (padding, a stray tag) end the
            // music there, as other players treat them; nothing decoded at all
            // means the data is no MP3.
            if (!have_format || audio->samples.empty())
                return fail(error, std::string("the MP3 data does not decode: ") + mpg123_strerror(handle));
            if (warning) *warning = junk_warning(*audio, mpg123_strerror(handle));
            break;
        }
    }
    if (!have_format || audio->channels <= 0 || audio->samples.empty()) {
        *audio = DecodedAudio{};
        return fail(error, "no MP3 audio frames found in the data");
    }
    audio->samples.resize(audio->samples.size() - audio->samples.size() % audio->channels);
    // A file cut short ends inside its frames: the length its tag promises was
    // not reached.
    const off_t promised = mpg123_length(handle);
    const int64_t decoded = static_cast<int64_t>(audio->samples.size() / audio->channels);
    if (warning && warning->empty() && promised > 0 && decoded < promised) {
        char at[112];
        std::snprintf(at, sizeof at, "the file is cut short: the music ends at %.3f s of the %.3f s its header promises",
                      double(decoded) / audio->rate, double(promised) / audio->rate);
        *warning = at;
    } else if (warning && warning->empty() && cut_inside_frame) {
        char at[96];
        std::snprintf(at, sizeof at, "the file is cut short inside a frame: the music ends at %.3f s",
                      double(decoded) / audio->rate);
        *warning = at;
    }
    return true;
}

// Whole-file MP3 decoding with libmpg123, for playback and for validating the
// soundtrack before the show starts, and the sample clock both players count in. Gapless decoding reads the LAME tag and
// drops the encoder delay and padding, so sample 0 is the first sample of the
// music and the sample count is the length that was encoded.
#include <mpg123.h>

#include <cstdio>
#include <cstring>

#include "platform/codecs.h"

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
        if (status == MPG123_NEED_MORE || status == MPG123_DONE) break;
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
        char at[96];
        std::snprintf(at, sizeof at, "the file is cut short: the music ends at %.3f s of the %.3f s its header promises",
                      double(decoded) / audio->rate, double(promised) / audio->rate);
        *warning = at;
    }
    return true;
}

int32_t sample_to_ms(int64_t sample, int rate) {
    if (rate <= 0) return 0;
    return static_cast<int32_t>(sample * 1000 / rate);
}

int64_t ms_to_sample(int32_t ms, int rate) {
    if (ms <= 0 || rate <= 0) return 0;
    return static_cast<int64_t>(ms) * rate / 1000;
}

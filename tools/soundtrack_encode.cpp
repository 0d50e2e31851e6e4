// MP3 encoding of the soundtrack with LAME: constant bit rate, joint stereo,
// and the LAME/Xing tag in the first frame so decoders know the encoder delay
// and padding and can play the music gaplessly from its first sample.
#include <lame/lame.h>

#include <cstring>

#include "soundtrack.h"

namespace {

struct LameGuard {
    lame_global_flags* flags = nullptr;
    ~LameGuard() {
        if (flags) lame_close(flags);
    }
};

bool fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

// Whole buffers at once; LAME's worst case output size for n frames.
size_t mp3_buffer_bound(size_t frames) { return frames + frames / 4 + 7200; }

}  // namespace

bool encode_mp3(const std::vector<int16_t>& interleaved, int rate, int channels, int kbps,
                std::vector<uint8_t>* mp3, std::string* error) {
    mp3->clear();
    if (channels != 1 && channels != 2) return fail(error, "MP3 needs one or two channels");
    if (interleaved.size() % channels != 0) return fail(error, "sample count is not whole frames");
    LameGuard guard;
    guard.flags = lame_init();
    if (!guard.flags) return fail(error, "cannot start the MP3 encoder");
    lame_global_flags* gf = guard.flags;
    lame_set_num_channels(gf, channels);
    lame_set_in_samplerate(gf, rate);
    lame_set_out_samplerate(gf, rate);
    lame_set_mode(gf, channels == 2 ? JOINT_STEREO : MONO);
    lame_set_VBR(gf, vbr_off);
    lame_set_brate(gf, kbps);
    lame_set_quality(gf, 2);
    lame_set_bWriteVbrTag(gf, 1);
    lame_set_write_id3tag_automatic(gf, 0);
    if (lame_init_params(gf) < 0) return fail(error, "the MP3 encoder refuses its settings");

    const size_t frames = interleaved.size() / channels;
    // LAME takes a non-const pointer but does not write through it.
    short* pcm = const_cast<short*>(reinterpret_cast<const short*>(interleaved.data()));
    mp3->resize(mp3_buffer_bound(frames));
    size_t used = 0;
    // Chunks keep the int sample count argument far from overflow.
    const size_t chunk = 1 << 16;
    for (size_t start = 0; start < frames; start += chunk) {
        const size_t n = frames - start < chunk ? frames - start : chunk;
        int written = 0;
        if (channels == 2) {
            written = lame_encode_buffer_interleaved(gf, pcm + start * 2, static_cast<int>(n),
                                                     mp3->data() + used,
                                                     static_cast<int>(mp3->size() - used));
        } else {
            written = lame_encode_buffer(gf, pcm + start, pcm + start, static_cast<int>(n),
                                         mp3->data() + used, static_cast<int>(mp3->size() - used));
        }
        if (written < 0) return fail(error, "the MP3 encoder failed");
        used += static_cast<size_t>(written);
    }
    int written = lame_encode_flush(gf, mp3->data() + used, static_cast<int>(mp3->size() - used));
    if (written < 0) return fail(error, "the MP3 encoder failed to flush");
    used += static_cast<size_t>(written);
    mp3->resize(used);

    // The first frame was written as a blank placeholder; now that the stream
    // is complete, LAME fills in the frame count, delay and padding.
    std::vector<uint8_t> tag(2880);
    size_t tag_size = lame_get_lametag_frame(gf, tag.data(), tag.size());
    if (tag_size == 0 || tag_size > tag.size() || tag_size > mp3->size())
        return fail(error, "the MP3 encoder gave no LAME tag");
    std::memcpy(mp3->data(), tag.data(), tag_size);
    return true;
}

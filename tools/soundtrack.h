// The default soundtrack: a 162-second piece at about 180 BPM, synthesized by
// our own code and encoded to MP3 with LAME. Its bars follow a tempo map laid
// on the show's cue table, so every scene cut lands on a downbeat and every
// flash of the picture on an accent, to the sample. Everything is
// deterministic: the same bytes on every build and every machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int soundtrack_rate = 44100;
constexpr int soundtrack_channels = 2;
constexpr int soundtrack_bitrate_kbps = 192;
// One bar of 4/4 at 180 BPM in samples (1333 1/3 ms): the nominal bar that
// note lengths and the echo count in; where bars fall is the tempo map's.
constexpr int64_t bar_samples = 58800;
constexpr int64_t beat_samples = bar_samples / 4;
// 162 s: the last chord has died away before the show ends at 160.7 s; the
// file runs on in silence.
constexpr int64_t soundtrack_frames = 162 * soundtrack_rate;

// Encodes interleaved 16-bit PCM to MPEG-1 Layer III at the given constant bit
// rate, with the LAME tag (encoder delay and padding) in the first frame so a
// gapless decoder gives back exactly the frames that went in.
bool encode_mp3(const std::vector<int16_t>& interleaved, int rate, int channels, int kbps,
                std::vector<uint8_t>* mp3, std::string* error);

struct Stereo;

// Integrated loudness of 44.1 kHz stereo in LUFS, K-weighted and gated as
// ITU-R BS.1770-4 measures it; -70 or below for silence.
double integrated_loudness(const Stereo& audio);

// Brings every sample to at most ceiling (linear) with a look-ahead limiter:
// the gain falls smoothly before a peak and recovers with the release time.
void limit_peaks(Stereo* audio, double ceiling, double lookahead_s, double release_s);

// Masters a mix: gain to target_lufs (measured after limiting), peaks limited
// to ceiling_dbfs, TPDF-dithered to interleaved 16-bit samples.
std::vector<int16_t> master_to_pcm16(const Stereo& mix, double target_lufs, double ceiling_dbfs);

// Renders the whole piece as interleaved stereo 16-bit samples at 44100 Hz,
// soundtrack_frames long, mastered (loudness about -14 LUFS, peaks limited).
std::vector<int16_t> render_soundtrack();

// The soundtrack's mixdown and the file it is written to: the score's buses
// are ducked under the kick, sent through echo and reverb, shaped by the
// master gain curve, mastered and encoded as DIR/kardel.mp3.
#include "soundtrack.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "datagen.h"
#include "soundtrack_score.h"
#include "resources/data_files.h"
#include "soundtrack_synth.h"

namespace {

constexpr double target_lufs = -14.0;
constexpr double ceiling_dbfs = -3.0;  // MP3 encoding lifts peaks; this leaves room for it
constexpr int64_t echo_samples = bar_samples * 3 / 16;  // a dotted eighth: 250 ms

// The gain of the melodic buses at each sample: down by a kick's depth at
// the kick, back up within a beat, so the kick always has the room to itself.
std::vector<float> duck_curve(const std::vector<Arrangement::Duck>& ducks, size_t frames) {
    std::vector<float> gain(frames, 1.0f);
    const int64_t attack = 88;           // 2 ms: the dip begins just ahead of the kick
    const int64_t length = beat_samples;
    const double recovery = 0.09 * synth_rate;
    std::vector<double> shape(attack + length);
    for (int64_t i = 0; i < attack + length; ++i) {
        shape[i] = i < attack ? static_cast<double>(i) / attack
                              : det_exp(-static_cast<double>(i - attack) / recovery);
    }
    for (const Arrangement::Duck& d : ducks) {
        for (int64_t i = 0; i < attack + length; ++i) {
            const int64_t n = d.at - attack + i;
            if (n < 0 || n >= static_cast<int64_t>(frames)) continue;
            gain[n] = std::min(gain[n], static_cast<float>(1.0 - d.depth * shape[i]));
        }
    }
    return gain;
}

double master_gain_at(const std::vector<Arrangement::GainPoint>& points, double seconds) {
    if (points.empty()) return 1.0;
    if (seconds <= points.front().seconds) return points.front().gain;
    for (size_t i = 1; i < points.size(); ++i) {
        const Arrangement::GainPoint& a = points[i - 1];
        const Arrangement::GainPoint& b = points[i];
        if (seconds < b.seconds) {
            const double x = (seconds - a.seconds) / (b.seconds - a.seconds);
            return a.gain + (b.gain - a.gain) * x;
        }
    }
    return points.back().gain;
}

void add_scaled(Stereo* out, const Stereo& in, double gain) {
    for (size_t i = 0; i < in.size(); ++i) {
        out->l[i] += static_cast<float>(in.l[i] * gain);
        out->r[i] += static_cast<float>(in.r[i] * gain);
    }
}

void apply_gain_curve(Stereo* bus, const std::vector<float>& gain) {
    for (size_t i = 0; i < bus->size(); ++i) {
        bus->l[i] *= gain[i];
        bus->r[i] *= gain[i];
    }
}

Stereo mix_down(Arrangement* a) {
    const size_t frames = a->drums.size();
    const std::vector<float> duck = duck_curve(a->ducks, frames);

    Stereo echo(frames);
    add_ping_pong_delay(a->lead, &echo, echo_samples, 0.38, 3500.0, 0.35);

    Stereo send(frames);
    add_scaled(&send, a->pad, 0.7);
    add_scaled(&send, a->lead, 0.7);
    add_scaled(&send, a->snares, 0.25);
    add_scaled(&send, a->fx, 0.25);
    add_scaled(&send, echo, 0.35);

    Stereo mix(frames);
    add_reverb(send, &mix, 0.82, 0.45, 1.2);
    send = Stereo();
    const struct {
        Stereo* bus;
        double gain;
        bool ducked;
    } buses[] = {
        {&a->drums, 1.0, false}, {&a->snares, 1.0, false}, {&a->bass, 0.6, true},
        {&a->pad, 2.0, true},    {&a->lead, 1.8, true},    {&echo, 1.8, true},
        {&a->fx, 0.8, false},
    };
    for (const auto& b : buses) {
        if (b.ducked) apply_gain_curve(b.bus, duck);
        add_scaled(&mix, *b.bus, b.gain);
    }

    for (size_t i = 0; i < frames; ++i) {
        const float g = static_cast<float>(master_gain_at(a->master_gain, i / synth_rate));
        mix.l[i] *= g;
        mix.r[i] *= g;
    }
    return mix;
}

}  // namespace

std::vector<int16_t> render_soundtrack() {
    Stereo mix;
    {
        Arrangement arrangement(static_cast<size_t>(soundtrack_frames));
        compose_soundtrack(&arrangement);
        mix = mix_down(&arrangement);
    }
    return master_to_pcm16(mix, target_lufs, ceiling_dbfs);
}

bool write_soundtrack(const std::string& dir, std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::string path = dir + "/" + data_folder_path(soundtrack_file);
    // Open first: a folder we cannot write to fails before seconds of synthesis.
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    std::vector<uint8_t> mp3;
    std::string why;
    if (!encode_mp3(render_soundtrack(), soundtrack_rate, soundtrack_channels,
                    soundtrack_bitrate_kbps, &mp3, &why)) {
        std::fclose(file);
        std::remove(path.c_str());
        *error = path + ": " + why;
        return false;
    }
    const bool written = std::fwrite(mp3.data(), 1, mp3.size(), file) == mp3.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        *error = "cannot write " + path + ": " + std::strerror(errno);
        std::remove(path.c_str());
        return false;
    }
    return true;
}

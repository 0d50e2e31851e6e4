// Mastering of the soundtrack: loudness measurement, a look-ahead peak
// limiter and the dithered conversion to 16 bits.
#include <algorithm>
#include <cmath>
#include <deque>

#include "soundtrack.h"
#include "soundtrack_synth.h"

namespace {

constexpr double log10_2 = 0.30102999566398119521;

double det_log10(double x) { return det_log2(x) * log10_2; }

struct Biquad {
    double b0, b1, b2, a1, a2;
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
    double run(double x) {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// The two stages of the K-weighting curve, designed for the sample rate the
// same way the reference 48 kHz coefficients were: a +4 dB shelf above
// 1.7 kHz and a high-pass at 38 Hz.
Biquad k_shelf(double rate) {
    const double f0 = 1681.974450955533, gain_db = 3.999843853973347, q = 0.7071752369554196;
    const double k = det_tan(synth_pi * f0 / rate);
    const double vh = db_to_gain(gain_db);
    const double vb = det_pow(vh, 0.4996667741545416);
    const double a0 = 1.0 + k / q + k * k;
    return {(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / q + k * k) / a0,
            2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

Biquad k_highpass(double rate) {
    const double f0 = 38.13547087602444, q = 0.5003270373238773;
    const double k = det_tan(synth_pi * f0 / rate);
    const double a0 = 1.0 + k / q + k * k;
    return {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
}

double block_loudness(double mean_square) { return -0.691 + 10.0 * det_log10(mean_square); }

}  // namespace

double integrated_loudness(const Stereo& audio) {
    // Mean squares of 100 ms quarters; a gating block is four of them (400 ms,
    // overlapping by 75%).
    const size_t quarter = static_cast<size_t>(synth_rate / 10.0);
    std::vector<double> quarters;
    Biquad shelf[2] = {k_shelf(synth_rate), k_shelf(synth_rate)};
    Biquad high[2] = {k_highpass(synth_rate), k_highpass(synth_rate)};
    double sum = 0.0;
    size_t count = 0;
    for (size_t i = 0; i < audio.size(); ++i) {
        const double l = high[0].run(shelf[0].run(audio.l[i]));
        const double r = high[1].run(shelf[1].run(audio.r[i]));
        sum += l * l + r * r;
        if (++count == quarter) {
            quarters.push_back(sum / quarter);
            sum = 0.0;
            count = 0;
        }
    }
    std::vector<double> blocks;
    for (size_t i = 0; i + 4 <= quarters.size(); ++i)
        blocks.push_back((quarters[i] + quarters[i + 1] + quarters[i + 2] + quarters[i + 3]) / 4.0);
    auto gated_mean = [&](double threshold) {
        double total = 0.0;
        size_t n = 0;
        for (double b : blocks) {
            if (b > 0.0 && block_loudness(b) > threshold) {
                total += b;
                ++n;
            }
        }
        return n == 0 ? 0.0 : total / n;
    };
    const double absolute = gated_mean(-70.0);
    if (absolute <= 0.0) return -70.0;
    const double relative_gate = block_loudness(absolute) - 10.0;
    const double gated = gated_mean(std::max(-70.0, relative_gate));
    return gated <= 0.0 ? -70.0 : block_loudness(gated);
}

void limit_peaks(Stereo* audio, double ceiling, double lookahead_s, double release_s) {
    const size_t n = audio->size();
    const size_t window = std::max<size_t>(1, static_cast<size_t>(lookahead_s * synth_rate));
    // need[i]: the largest gain sample i allows.
    std::vector<double> gain(n);
    for (size_t i = 0; i < n; ++i) {
        const double peak = std::max(std::fabs(audio->l[i]), std::fabs(audio->r[i]));
        gain[i] = peak > ceiling ? ceiling / peak : 1.0;
    }
    // The minimum over each window of samples still to come, so the gain is
    // already down when a peak arrives.
    std::vector<double> ahead(n);
    std::deque<size_t> order;
    for (size_t e = 0; e < n + window - 1; ++e) {
        if (e < n) {
            while (!order.empty() && gain[order.back()] >= gain[e]) order.pop_back();
            order.push_back(e);
        }
        if (e + 1 >= window) {
            const size_t start = e + 1 - window;
            while (order.front() < start) order.pop_front();
            ahead[start] = gain[order.front()];
        }
    }
    // Recovery at the release rate, then a moving average over the window:
    // every averaged value is at most the need of each sample it covers, so no
    // sample exceeds the ceiling, and the gain changes without steps.
    const double recover = 1.0 - det_exp(-1.0 / (release_s * synth_rate));
    double held = 1.0;
    for (size_t i = 0; i < n; ++i) {
        held = std::min(ahead[i], held + (1.0 - held) * recover);
        ahead[i] = held;
    }
    double sum = 0.0;
    for (size_t i = 0; i < n; ++i) {
        sum += ahead[i];
        if (i >= window) sum -= ahead[i - window];
        const size_t covered = std::min(i + 1, window);
        // Before the first full window the missing values count as 1.
        const double g = std::min(gain[i], (sum + static_cast<double>(window - covered)) / window);
        audio->l[i] = static_cast<float>(audio->l[i] * g);
        audio->r[i] = static_cast<float>(audio->r[i] * g);
    }
}

namespace {

Stereo scaled(const Stereo& mix, double gain) {
    Stereo out(mix.size());
    for (size_t i = 0; i < mix.size(); ++i) {
        out.l[i] = static_cast<float>(mix.l[i] * gain);
        out.r[i] = static_cast<float>(mix.r[i] * gain);
    }
    return out;
}

int16_t to_sample(double x) {
    const double v = std::round(x * 32767.0);
    return static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
}

}  // namespace

std::vector<int16_t> master_to_pcm16(const Stereo& mix, double target_lufs, double ceiling_dbfs) {
    const double ceiling = db_to_gain(ceiling_dbfs);
    const double lookahead = 0.005, release = 0.12;
    // The limiter takes away some loudness, so measure again after it and
    // correct once; the second pass lands within a few hundredths of a LU.
    double gain = db_to_gain(target_lufs - integrated_loudness(mix));
    Stereo out = scaled(mix, gain);
    limit_peaks(&out, ceiling, lookahead, release);
    gain *= db_to_gain(target_lufs - integrated_loudness(out));
    out = scaled(mix, gain);
    limit_peaks(&out, ceiling, lookahead, release);

    std::vector<int16_t> pcm(out.size() * 2);
    Noise dither = make_noise(2024);
    for (size_t i = 0; i < out.size(); ++i) {
        // Triangular dither of one step peak: the quiet tail keeps its shape.
        const double dl = (dither.next() + dither.next()) * 0.5 / 32767.0;
        const double dr = (dither.next() + dither.next()) * 0.5 / 32767.0;
        pcm[2 * i] = to_sample(out.l[i] + dl);
        pcm[2 * i + 1] = to_sample(out.r[i] + dr);
    }
    return pcm;
}

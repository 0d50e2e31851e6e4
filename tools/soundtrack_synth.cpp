// Synthesizer building blocks for the soundtrack (see soundtrack_synth.h).
#include "soundtrack_synth.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double half_pi = synth_pi / 2.0;
constexpr double two_pi = synth_pi * 2.0;
constexpr double ln2 = 0.69314718055994530942;
constexpr double log2_e = 1.44269504088896340736;
constexpr double log2_10_over_20 = 0.16609640474436811739;

int64_t seconds_to_samples(double seconds) { return static_cast<int64_t>(seconds * synth_rate); }

double fraction(double x) { return x - std::floor(x); }

// Tiny values left in feedback loops would turn into slow denormals.
float flush(float x) { return std::fabs(x) < 1e-24f ? 0.0f : x; }

// A linear ramp over the last few milliseconds so notes never end in a click.
double end_taper(int64_t i, int64_t total, int64_t ramp) {
    int64_t left = total - i;
    return left >= ramp ? 1.0 : static_cast<double>(left) / static_cast<double>(ramp);
}

}  // namespace

double det_sin(double radians) {
    double r = radians - std::floor(radians / two_pi + 0.5) * two_pi;
    if (r > half_pi) r = synth_pi - r;
    else if (r < -half_pi) r = -synth_pi - r;
    const double r2 = r * r;
    // Taylor series to r^15: error below 1e-11 on [-pi/2, pi/2].
    return r * (1.0 + r2 * (-1.0 / 6.0 + r2 * (1.0 / 120.0 + r2 * (-1.0 / 5040.0 +
           r2 * (1.0 / 362880.0 + r2 * (-1.0 / 39916800.0 + r2 * (1.0 / 6227020800.0 +
           r2 * (-1.0 / 1307674368000.0))))))));
}

double det_cos(double radians) { return det_sin(radians + half_pi); }

double det_tan(double radians) { return det_sin(radians) / det_cos(radians); }

double det_exp2(double x) {
    if (x < -1000.0) return 0.0;
    const double k = std::floor(x);
    const double y = (x - k) * ln2;
    // Taylor series of e^y for 0 <= y < ln 2 to y^13: error below 1e-13.
    double sum = 1.0;
    double term = 1.0;
    for (int n = 1; n <= 13; ++n) {
        term *= y / n;
        sum += term;
    }
    return std::ldexp(sum, static_cast<int>(k));
}

double det_exp(double x) { return det_exp2(x * log2_e); }

double det_log2(double x) {
    int exponent = 0;
    double m = std::frexp(x, &exponent);  // x = m * 2^exponent, 0.5 <= m < 1
    if (m < 0.70710678118654752440) {
        m *= 2.0;
        exponent -= 1;
    }
    // ln m = 2 atanh z with |z| <= 0.172: the odd series converges fast.
    const double z = (m - 1.0) / (m + 1.0);
    const double z2 = z * z;
    double sum = 0.0;
    double power = z;
    for (int n = 1; n <= 23; n += 2) {
        sum += power / n;
        power *= z2;
    }
    return exponent + 2.0 * sum * log2_e;
}

double det_pow(double x, double y) { return det_exp2(y * det_log2(x)); }

double midi_hz(double note) { return 440.0 * det_exp2((note - 69.0) / 12.0); }

double db_to_gain(double db) { return det_exp2(db * log2_10_over_20); }

double soft_clip(double x) {
    if (x >= 3.0) return 1.0;
    if (x <= -3.0) return -1.0;
    const double x2 = x * x;
    return x * (27.0 + x2) / (27.0 + 9.0 * x2);
}

uint32_t Noise::next_bits() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

double Noise::next() {
    return static_cast<double>(static_cast<int32_t>(next_bits())) / 2147483648.0;
}

Noise make_noise(uint32_t seed) {
    Noise noise;
    noise.state = seed * 2654435761u + 0x6D2B79F5u;
    if (noise.state == 0) noise.state = 0x9E3779B9u;
    for (int i = 0; i < 8; ++i) noise.next_bits();
    return noise;
}

PanGains pan_gains(double pan) {
    const double angle = (std::clamp(pan, -1.0, 1.0) + 1.0) * synth_pi / 4.0;
    return {det_cos(angle), det_sin(angle)};
}

void Svf::tune(double cutoff_hz, double q) {
    const double cutoff = std::clamp(cutoff_hz, 10.0, synth_rate * 0.45);
    const double g = det_tan(synth_pi * cutoff / synth_rate);
    k = 1.0 / q;
    a1 = 1.0 / (1.0 + g * (g + k));
    a2 = g * a1;
    a3 = g * a2;
}

void Svf::run(double x) {
    const double v3 = x - ic2;
    const double v1 = a1 * ic1 + a2 * v3;
    const double v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2.0 * v1 - ic1;
    ic2 = 2.0 * v2 - ic2;
    low = v2;
    band = v1;
    high = x - k * v1 - v2;
}

double poly_blep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double saw_blep(double phase, double dt) { return 2.0 * phase - 1.0 - poly_blep(phase, dt); }

double square_blep(double phase, double dt) {
    const double naive = phase < 0.5 ? 1.0 : -1.0;
    return naive + poly_blep(phase, dt) - poly_blep(fraction(phase + 0.5), dt);
}

namespace {

// The amplifier envelope of a note held for length samples.
struct Adsr {
    double attack, decay, sustain, release;
    int64_t length;
    double level_at_release = 0.0;

    double held(int64_t i) const {
        const double t = i / synth_rate;
        if (t < attack) return t / attack;
        return sustain + (1.0 - sustain) * det_exp(-(t - attack) / decay);
    }
    double at(int64_t i) {
        if (i < length) return held(i);
        if (i == length) level_at_release = held(i);
        const double t = (i - length) / synth_rate;
        return t >= release ? 0.0 : level_at_release * (1.0 - t / release);
    }
};

// The filter is retuned every few samples: the envelopes move slowly enough.
constexpr int retune_interval = 8;

}  // namespace

void play_note(Stereo* out, const Patch& p, int64_t at, int64_t length, double note, double gain,
               double pan, uint32_t seed) {
    const int unison = std::max(1, p.unison);
    const double base_hz = midi_hz(note);
    Noise noise = make_noise(seed);
    std::vector<double> phase(unison), ratio(unison);
    std::vector<PanGains> place(unison);
    for (int u = 0; u < unison; ++u) {
        const double spot = unison == 1 ? 0.0 : static_cast<double>(u) / (unison - 1) - 0.5;
        ratio[u] = det_exp2(spot * p.detune_cents / 1200.0);
        place[u] = pan_gains(pan + 2.0 * spot * p.spread);
        phase[u] = unison == 1 ? 0.0 : fraction(noise.next());
    }
    double sub_phase = 0.0;
    const double voice_gain = gain / std::sqrt(static_cast<double>(unison));
    Adsr env{p.attack_s, p.decay_s, p.sustain, p.release_s, length};
    const int64_t total = length + seconds_to_samples(p.release_s) + 1;
    const double track = p.key_track > 0.0 ? det_pow(base_hz / 261.63, p.key_track) : 1.0;
    const bool stereo_filter = p.spread > 0.0;
    const PanGains place_mono = pan_gains(pan);
    Svf left_filter, right_filter;
    for (int64_t i = 0; i < total; ++i) {
        const double t = i / synth_rate;
        if (i % retune_interval == 0) {
            const double octaves = p.env_octaves * det_exp(-t / p.env_decay_s);
            const double cutoff = p.cutoff_hz * track * det_exp2(octaves);
            left_filter.tune(cutoff, p.resonance);
            if (stereo_filter) right_filter.tune(cutoff, p.resonance);
        }
        double vibrato = 1.0;
        if (p.vibrato_cents > 0.0 && t > p.vibrato_delay_s) {
            const double depth = std::min(1.0, (t - p.vibrato_delay_s) / 0.3) * p.vibrato_cents;
            vibrato = det_exp2(depth * det_sin(two_pi * p.vibrato_hz * t) / 1200.0);
        }
        // Unison voices spread across the field when the patch has width;
        // otherwise they are summed and placed once after the one filter.
        double left = 0.0, right = 0.0, mono = 0.0;
        for (int u = 0; u < unison; ++u) {
            const double dt = base_hz * ratio[u] * vibrato / synth_rate;
            double osc = 0.0;
            if (p.saw != 0.0) osc += p.saw * saw_blep(phase[u], dt);
            if (p.square != 0.0) osc += p.square * square_blep(phase[u], dt);
            if (p.sine != 0.0) osc += p.sine * det_sin(two_pi * phase[u]);
            phase[u] = fraction(phase[u] + dt);
            left += osc * place[u].left;
            right += osc * place[u].right;
            mono += osc;
        }
        if (p.sub != 0.0) {
            const double sub = p.sub * det_sin(two_pi * sub_phase);
            sub_phase = fraction(sub_phase + base_hz * vibrato / synth_rate);
            left += sub * 0.7071;
            right += sub * 0.7071;
            mono += sub;
        }
        double yl, yr;
        if (stereo_filter) {
            left_filter.run(left);
            right_filter.run(right);
            yl = left_filter.low;
            yr = right_filter.low;
        } else {
            left_filter.run(mono);
            yl = left_filter.low * place_mono.left;
            yr = left_filter.low * place_mono.right;
        }
        if (p.drive > 0.0) {
            const double push = 1.0 + 3.0 * p.drive;
            yl = soft_clip(yl * push) / (1.0 + p.drive);
            yr = soft_clip(yr * push) / (1.0 + p.drive);
        }
        const double a = env.at(i) * voice_gain * end_taper(i, total, 64);
        out->add(at + i, yl * a, yr * a);
    }
}

void play_bell(Stereo* out, int64_t at, double seconds, double note, double gain, double pan,
               double ratio, double index) {
    const double hz = midi_hz(note);
    const PanGains g = pan_gains(pan);
    const int64_t total = seconds_to_samples(seconds);
    const int64_t attack = seconds_to_samples(0.003);
    // High notes get a gentler index so their upper sidebands stay below Nyquist.
    index *= std::min(1.0, 1000.0 / hz);
    double carrier = 0.0, modulator = 0.0;
    for (int64_t i = 0; i < total; ++i) {
        const double t = i / synth_rate;
        const double depth = index * det_exp(-t / 0.3);
        const double y = det_sin(two_pi * carrier + depth * det_sin(two_pi * modulator));
        carrier = fraction(carrier + hz / synth_rate);
        modulator = fraction(modulator + hz * ratio / synth_rate);
        double a = gain * det_exp(-t / (seconds * 0.3)) * end_taper(i, total, 441);
        if (i < attack) a *= static_cast<double>(i) / attack;
        out->add(at + i, y * a * g.left, y * a * g.right);
    }
}

namespace {

// The kick's pitch falls from 170 Hz to A1 (55 Hz), the fifth of the key.
double kick_hz(double t) { return 55.0 + 115.0 * det_exp(-t / 0.035); }

}  // namespace

void play_kick(Stereo* out, int64_t at, double gain) {
    const int64_t total = seconds_to_samples(0.5);
    Noise noise = make_noise(7);
    Svf click_filter;
    click_filter.tune(3500.0, 0.7);
    double phase = 0.0;
    for (int64_t i = 0; i < total; ++i) {
        const double t = i / synth_rate;
        const double hz = kick_hz(t);
        phase = fraction(phase + hz / synth_rate);
        double body = det_sin(two_pi * phase) * det_exp(-t / 0.15);
        if (i < 44) body *= i / 44.0;
        click_filter.run(noise.next());
        const double click = click_filter.low * det_exp(-t / 0.004) * 0.5;
        const double y = (soft_clip(1.8 * body) + click) * gain * end_taper(i, total, 2205);
        out->add(at + i, y, y);
    }
}

void play_snare(Stereo* out, int64_t at, double gain, uint32_t seed) {
    const int64_t total = seconds_to_samples(0.4);
    Noise noise = make_noise(seed);
    Svf hiss, soften;
    hiss.tune(1800.0, 0.6);
    soften.tune(9000.0, 0.6);
    for (int64_t i = 0; i < total; ++i) {
        const double t = i / synth_rate;
        const double tone = 0.55 * det_sin(two_pi * 185.0 * t) * det_exp(-t / 0.05) +
                            0.25 * det_sin(two_pi * 330.0 * t) * det_exp(-t / 0.03);
        hiss.run(noise.next());
        // The snare wires rustle mostly below 9 kHz.
        soften.run(hiss.high * 0.8 + hiss.band * 0.4);
        const double rattle = soften.low * det_exp(-t / 0.11);
        double y = (tone + rattle) * gain * end_taper(i, total, 441);
        if (i < 22) y *= i / 22.0;
        out->add(at + i, y, y);
    }
}

void play_clap(Stereo* out, int64_t at, double gain, uint32_t seed) {
    const int64_t total = seconds_to_samples(0.35);
    Noise noise = make_noise(seed);
    Svf body;
    body.tune(1200.0, 1.4);
    const double bursts[] = {0.0, 0.009, 0.018};
    for (int64_t i = 0; i < total; ++i) {
        const double t = i / synth_rate;
        double env = 0.0;
        for (double b : bursts)
            if (t >= b) env = std::max(env, det_exp(-(t - b) / 0.004));
        if (t >= 0.027) env = std::max(env, 0.8 * det_exp(-(t - 0.027) / 0.09));
        body.run(noise.next());
        const double y = body.band * env * 2.0 * gain * end_taper(i, total, 441);
        out->add(at + i, y * 0.9, y);
    }
}

void play_hat(Stereo* out, int64_t at, double gain, double decay_s, double pan, uint32_t seed) {
    const int64_t total = seconds_to_samples(decay_s * 6.0);
    Noise noise = make_noise(seed);
    Svf high;
    high.tune(7500.0, 0.8);
    const PanGains g = pan_gains(pan);
    for (int64_t i = 0; i < total; ++i) {
        const double t = i / synth_rate;
        high.run(noise.next());
        double y = (high.high + 0.5 * high.band) * det_exp(-t / decay_s) * gain;
        y *= end_taper(i, total, 220);
        if (i < 10) y *= i / 10.0;
        out->add(at + i, y * g.left, y * g.right);
    }
}

namespace {

// The crash's sound at time t of a hit lasting seconds, left and right decorrelated.
struct CrashVoice {
    Noise left_noise, right_noise;
    Svf left_filter, right_filter;
    explicit CrashVoice(uint32_t seed)
        : left_noise(make_noise(seed)), right_noise(make_noise(seed + 101)) {
        left_filter.tune(4500.0, 0.6);
        right_filter.tune(4700.0, 0.6);
    }
    void next(double* left, double* right) {
        left_filter.run(left_noise.next());
        right_filter.run(right_noise.next());
        *left = left_filter.high + 0.3 * left_filter.band;
        *right = right_filter.high + 0.3 * right_filter.band;
    }
};

}  // namespace

void play_crash(Stereo* out, int64_t at, double gain, double seconds, uint32_t seed) {
    const int64_t total = seconds_to_samples(seconds);
    CrashVoice voice(seed);
    for (int64_t i = 0; i < total; ++i) {
        const double t = i / synth_rate;
        double l, r;
        voice.next(&l, &r);
        double a = gain * det_exp(-t / (seconds * 0.25)) * end_taper(i, total, 2205);
        if (i < 88) a *= i / 88.0;
        out->add(at + i, l * a, r * a);
    }
}

void play_reverse_crash(Stereo* out, int64_t end_at, double gain, double seconds, uint32_t seed) {
    const int64_t total = seconds_to_samples(seconds);
    CrashVoice voice(seed);
    for (int64_t i = 0; i < total; ++i) {
        // Counted back from the end, so the swell peaks just before end_at.
        const double t = (total - i) / synth_rate;
        double l, r;
        voice.next(&l, &r);
        double a = gain * det_exp(-t / (seconds * 0.3));
        if (i < 441) a *= i / 441.0;
        if (total - i < 44) a *= (total - i) / 44.0;
        out->add(end_at - total + i, l * a, r * a);
    }
}

void play_riser(Stereo* out, int64_t at, int64_t length, double gain, double f0, double f1,
                uint32_t seed) {
    Noise left_noise = make_noise(seed), right_noise = make_noise(seed + 55);
    Svf left_filter, right_filter;
    const double octaves = det_log2(f1 / f0);
    for (int64_t i = 0; i < length; ++i) {
        const double x = static_cast<double>(i) / length;
        if (i % retune_interval == 0) {
            const double hz = f0 * det_exp2(octaves * x);
            left_filter.tune(hz, 2.5);
            right_filter.tune(hz * 1.03, 2.5);
        }
        left_filter.run(left_noise.next());
        right_filter.run(right_noise.next());
        const double a = gain * x * x * end_taper(i, length, 441);
        out->add(at + i, left_filter.band * a, right_filter.band * a);
    }
}

void play_boom(Stereo* out, int64_t at, double gain, uint32_t seed) {
    const int64_t total = seconds_to_samples(1.2);
    Noise noise = make_noise(seed);
    Svf snap;
    snap.tune(2500.0, 0.7);
    double phase = 0.0;
    for (int64_t i = 0; i < total; ++i) {
        const double t = i / synth_rate;
        // The kick's own pitch sweep: on a downbeat the two add up instead of
        // beating against each other.
        phase = fraction(phase + kick_hz(t) / synth_rate);
        double body = det_sin(two_pi * phase) * det_exp(-t / 0.35);
        if (i < 66) body *= i / 66.0;
        snap.run(noise.next());
        const double hit = (snap.high + snap.band) * det_exp(-t / 0.025) * 0.6;
        const double y = (soft_clip(1.5 * body) + hit) * gain * end_taper(i, total, 4410);
        out->add(at + i, y, y);
    }
}

namespace {

// Freeverb's tuning at 44.1 kHz: eight parallel damped combs and four
// series all-passes per side, the right side's lines a little longer.
constexpr int comb_lengths[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr int allpass_lengths[] = {556, 441, 341, 225};
constexpr int stereo_spread = 23;

struct Comb {
    std::vector<float> line;
    size_t pos = 0;
    float store = 0.0f;
    float process(float x, float feedback, float damp) {
        const float y = line[pos];
        store = flush(y * (1.0f - damp) + store * damp);
        line[pos] = flush(x + store * feedback);
        if (++pos == line.size()) pos = 0;
        return y;
    }
};

struct Allpass {
    std::vector<float> line;
    size_t pos = 0;
    float process(float x) {
        const float held = line[pos];
        line[pos] = flush(x + held * 0.5f);
        if (++pos == line.size()) pos = 0;
        return held - x;
    }
};

struct ReverbSide {
    Comb combs[8];
    Allpass allpasses[4];
    explicit ReverbSide(int extra) {
        for (int i = 0; i < 8; ++i) combs[i].line.assign(comb_lengths[i] + extra, 0.0f);
        for (int i = 0; i < 4; ++i) allpasses[i].line.assign(allpass_lengths[i] + extra, 0.0f);
    }
    float process(float x, float feedback, float damp) {
        float sum = 0.0f;
        for (Comb& c : combs) sum += c.process(x, feedback, damp);
        for (Allpass& a : allpasses) sum = a.process(sum);
        return sum;
    }
};

}  // namespace

void add_reverb(const Stereo& in, Stereo* out, double room, double damping, double wet) {
    ReverbSide left(0), right(stereo_spread);
    const float feedback = static_cast<float>(room * 0.28 + 0.7);
    const float damp = static_cast<float>(damping * 0.4);
    const float input_gain = 0.015f;
    for (size_t i = 0; i < in.size(); ++i) {
        const float x = (in.l[i] + in.r[i]) * input_gain;
        const float yl = left.process(x, feedback, damp);
        const float yr = right.process(x, feedback, damp);
        out->add(static_cast<int64_t>(i), yl * wet, yr * wet);
    }
}

void add_ping_pong_delay(const Stereo& in, Stereo* out, int64_t delay, double feedback,
                         double lowpass_hz, double wet) {
    const size_t n = in.size();
    std::vector<float> left_line(delay, 0.0f), right_line(delay, 0.0f);
    const double smooth = 1.0 - det_exp(-two_pi * lowpass_hz / synth_rate);
    double left_tone = 0.0, right_tone = 0.0;
    size_t pos = 0;
    for (size_t i = 0; i < n; ++i) {
        const double left_out = left_line[pos];
        const double right_out = right_line[pos];
        left_tone += smooth * (left_out - left_tone);
        right_tone += smooth * (right_out - right_tone);
        // The input enters on the left; each echo crosses to the other side.
        left_line[pos] = flush(static_cast<float>((in.l[i] + in.r[i]) * 0.5 + right_tone * feedback));
        right_line[pos] = flush(static_cast<float>(left_tone * feedback));
        if (++pos == left_line.size()) pos = 0;
        out->add(static_cast<int64_t>(i), left_out * wet, right_out * wet);
    }
}

// The soundtrack's synthesizer: deterministic math, noise, band-limited
// oscillators, filters, the instruments that play single notes into a stereo
// buffer, and the send effects.
//
// Every value is computed with plain IEEE arithmetic in a fixed order: the
// transcendental functions are our own polynomials (the C library picks
// CPU-specific variants of sin and exp at run time, which may differ in the
// last bit), noise comes from integer-seeded generators, and nothing runs on
// more than one thread. So the same build gives the same samples everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr double synth_rate = 44100.0;
constexpr double synth_pi = 3.14159265358979323846;

double det_sin(double radians);
double det_cos(double radians);
// tan for 0 <= radians < pi / 2, as filters need it.
double det_tan(double radians);
double det_exp(double x);
double det_exp2(double x);
// log2 of x > 0; and x to the power y for x > 0.
double det_log2(double x);
double det_pow(double x, double y);
// Frequency in Hz of a MIDI note number (69 = A4 = 440 Hz), fractional notes allowed.
double midi_hz(double note);
double db_to_gain(double db);
// A smooth saturation that leaves small values nearly untouched and never exceeds 1.
double soft_clip(double x);

// A small fast generator (xorshift32) for noise and for random choices of the score.
struct Noise {
    uint32_t state = 0x9E3779B9u;
    // Uniform in [-1, 1).
    double next();
    uint32_t next_bits();
};
Noise make_noise(uint32_t seed);

// Interleaving-free stereo buffer; add ignores indices outside it.
struct Stereo {
    std::vector<float> l, r;
    explicit Stereo(size_t frames = 0) : l(frames, 0.0f), r(frames, 0.0f) {}
    size_t size() const { return l.size(); }
    void add(int64_t i, double left, double right) {
        if (i < 0 || static_cast<size_t>(i) >= l.size()) return;
        l[i] += static_cast<float>(left);
        r[i] += static_cast<float>(right);
    }
};

// Constant-power gains for a position from -1 (left) to 1 (right).
struct PanGains {
    double left, right;
};
PanGains pan_gains(double pan);

// Zavalishin's topology-preserving state-variable filter: stays stable while
// its cutoff sweeps every sample, which the plucks and the acid bass do.
struct Svf {
    double ic1 = 0.0, ic2 = 0.0;
    double a1 = 0.0, a2 = 0.0, a3 = 0.0, k = 1.0;
    double low = 0.0, band = 0.0, high = 0.0;
    void tune(double cutoff_hz, double q);
    void run(double x);
};

// Band-limited oscillators on a phase in cycles; polyBLEP smooths each jump.
double poly_blep(double t, double dt);
double saw_blep(double phase, double dt);
double square_blep(double phase, double dt);

// A subtractive voice: oscillators, a resonant low-pass with its own
// envelope, an ADSR amplifier, optional vibrato and unison spread.
struct Patch {
    // Oscillator levels; sub is one plain sine at the fundamental beside the unison voices.
    double saw = 1.0, square = 0.0, sub = 0.0, sine = 0.0;
    int unison = 1;
    double detune_cents = 0.0;  // between the outermost unison voices
    double spread = 0.0;        // stereo width of the unison voices, 0 ... 1
    double cutoff_hz = 2000.0;
    double env_octaves = 0.0;   // cutoff raised by this many octaves at the attack
    double env_decay_s = 0.2;
    double resonance = 0.707;   // filter Q
    double key_track = 0.0;     // 1: the cutoff follows the note's pitch
    double attack_s = 0.005, decay_s = 0.3, sustain = 1.0, release_s = 0.05;
    double vibrato_cents = 0.0, vibrato_hz = 5.5, vibrato_delay_s = 0.3;
    double drive = 0.0;         // 0: clean, 1: warm saturation after the filter
};

// Plays one note of length samples (the release follows it) into out.
void play_note(Stereo* out, const Patch& patch, int64_t at, int64_t length, double note,
               double gain, double pan, uint32_t seed);

// FM electric-piano bell: a sine carrier at the note with a modulator at ratio
// times it, whose index dies away faster than the tone.
void play_bell(Stereo* out, int64_t at, double seconds, double note, double gain, double pan,
               double ratio, double index);

// Drums. Gains are linear; seeds make each hit's noise its own.
void play_kick(Stereo* out, int64_t at, double gain);
void play_snare(Stereo* out, int64_t at, double gain, uint32_t seed);
void play_clap(Stereo* out, int64_t at, double gain, uint32_t seed);
void play_hat(Stereo* out, int64_t at, double gain, double decay_s, double pan, uint32_t seed);
void play_crash(Stereo* out, int64_t at, double gain, double seconds, uint32_t seed);
// A crash played backwards, swelling until it ends at end_at.
void play_reverse_crash(Stereo* out, int64_t end_at, double gain, double seconds, uint32_t seed);
// Noise through a band-pass sweeping from f0 to f1 while the level rises.
void play_riser(Stereo* out, int64_t at, int64_t length, double gain, double f0, double f1,
                uint32_t seed);
// A deep falling sine with a noise snap: the hit under the picture's flashes.
void play_boom(Stereo* out, int64_t at, double gain, uint32_t seed);

// Send effects, reading in and adding their wet output into out.
void add_reverb(const Stereo& in, Stereo* out, double room, double damping, double wet);
void add_ping_pong_delay(const Stereo& in, Stereo* out, int64_t delay, double feedback,
                         double lowpass_hz, double wet);

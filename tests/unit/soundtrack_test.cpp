// The soundtrack: MP3 round trips through our encoder and decoder, and the
// generated piece's format, loudness, cues, ending and reproducibility.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "datagen.h"
#include "platform/audio/audio.h"
#include "soundtrack.h"
#include "soundtrack_score.h"
#include "soundtrack_synth.h"
#include "support/test_paths.h"
#include "timeline/cues.h"

namespace {

// One second of a 440 Hz tone, left and right in different phases.
std::vector<int16_t> tone_second(int rate) {
    std::vector<int16_t> pcm(static_cast<size_t>(rate) * 2);
    for (int i = 0; i < rate; ++i) {
        double phase = 2.0 * 3.14159265358979 * 440.0 * i / rate;
        pcm[2 * i] = static_cast<int16_t>(std::lround(12000.0 * std::sin(phase)));
        pcm[2 * i + 1] = static_cast<int16_t>(std::lround(12000.0 * std::cos(phase)));
    }
    return pcm;
}

}  // namespace

TEST(Mp3Decode, GaplessRoundTripKeepsLengthAndPhase) {
    const int rate = 44100;
    std::vector<int16_t> pcm = tone_second(rate);
    std::vector<uint8_t> mp3;
    std::string error;
    ASSERT_TRUE(encode_mp3(pcm, rate, 2, 192, &mp3, &error)) << error;
    DecodedAudio audio;
    ASSERT_TRUE(mp3_decode(mp3.data(), mp3.size(), &audio, &error)) << error;
    EXPECT_EQ(audio.rate, rate);
    EXPECT_EQ(audio.channels, 2);
    const long frames = static_cast<long>(audio.samples.size() / 2);
    EXPECT_NEAR(frames, rate, 4);
    // With the encoder delay removed the tone lines up with what went in:
    // sample-by-sample error stays small away from the edges.
    double error_energy = 0.0;
    double signal_energy = 0.0;
    for (long i = 2000; i < rate - 2000 && i < frames; ++i) {
        for (int c = 0; c < 2; ++c) {
            double d = audio.samples[2 * i + c] - pcm[2 * i + c];
            error_energy += d * d;
            signal_energy += double(pcm[2 * i + c]) * pcm[2 * i + c];
        }
    }
    EXPECT_LT(error_energy, signal_energy * 0.01);
}

TEST(Mp3Decode, RefusesEmptyAndGarbage) {
    std::string text = "This is not an MP3 file, only a few words of plain text.";
    std::vector<uint8_t> zeros(5000, 0);
    std::vector<uint8_t> noise(20000);
    uint32_t state = 12345;
    for (uint8_t& b : noise) {
        state = state * 1103515245u + 12345u;
        // Never 0xFF, so no byte pair can look like a frame sync word.
        b = static_cast<uint8_t>((state >> 16) % 255);
    }
    // Other sound formats are named, though sample bytes may look like frame syncs.
    auto other_format = [](const std::string& head) {
        std::vector<uint8_t> bytes(head.begin(), head.end());
        for (int i = 0; i < 20000; ++i) bytes.push_back(static_cast<uint8_t>(i % 7 == 0 ? 0xFF : 0xFB - i % 13));
        return bytes;
    };
    const std::vector<uint8_t> wav = other_format(std::string("RIFF\x24\x10\x01\x01WAVEfmt "));
    const std::vector<uint8_t> ogg = other_format("OggS");
    const std::vector<uint8_t> flac = other_format("fLaC");
    struct Case {
        const char* name;
        const uint8_t* bytes;
        size_t size;
        const char* says;
    } cases[] = {
        {"null", nullptr, 0, "empty"},
        {"empty", zeros.data(), 0, "empty"},
        {"text", reinterpret_cast<const uint8_t*>(text.data()), text.size(), ""},
        {"zeros", zeros.data(), zeros.size(), ""},
        {"noise", noise.data(), noise.size(), ""},
        {"WAV", wav.data(), wav.size(), "holds WAV data, not MP3"},
        {"Ogg", ogg.data(), ogg.size(), "holds Ogg data"},
        {"FLAC", flac.data(), flac.size(), "holds FLAC data"},
    };
    for (const Case& c : cases) {
        DecodedAudio audio;
        audio.rate = 99;
        std::string error;
        EXPECT_FALSE(mp3_decode(c.bytes, c.size, &audio, &error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.name << ": " << error;
        EXPECT_TRUE(audio.samples.empty()) << c.name;
        EXPECT_EQ(audio.rate, 0) << c.name;
    }
}

TEST(Mp3Decode, TruncatedStreamDecodesWhatIsThere) {
    std::vector<int16_t> pcm = tone_second(44100);
    std::vector<uint8_t> whole;
    std::string error;
    ASSERT_TRUE(encode_mp3(pcm, 44100, 2, 192, &whole, &error)) << error;
    ASSERT_EQ(whole[0], 0xFF) << "the stream starts with its tag frame";
    // With the tag frame that promises the length, and without it (as plain
    // CBR encoders write): cut in the middle of a frame either way.
    const size_t tag_frame = 144 * 192000 / 44100 + ((whole[2] >> 1) & 1);
    const struct {
        const char* name;
        size_t skip;
        const char* says;
    } cases[] = {
        {"tagged", 0, " s of the 1.000 s its header promises"},
        {"untagged", tag_frame, "cut short inside a frame"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> mp3(whole.begin() + c.skip, whole.end());
        mp3.resize(mp3.size() / 2 + 300);  // inside a frame of about 626 bytes, wherever its half lies
        DecodedAudio audio;
        std::string warning;
        ASSERT_TRUE(mp3_decode(mp3.data(), mp3.size(), &audio, &error, &warning)) << error;
        const size_t frames = audio.samples.size() / 2;
        EXPECT_GT(frames, 44100u / 3);
        EXPECT_LT(frames, 44100u);
        // Said, with where the music ends.
        char ends_at[64];
        std::snprintf(ends_at, sizeof ends_at, "the music ends at %.3f s", frames / 44100.0);
        EXPECT_NE(warning.find(ends_at), std::string::npos) << warning;
        EXPECT_NE(warning.find(c.says), std::string::npos) << warning;
    }
}

TEST(SynthMath, OwnFunctionsMatchTheLibraryClosely) {
    const double xs[] = {-40.0, -3.2, -1.0, -0.1, 0.0, 0.3, 1.5707, 2.9, 6.2, 100.0};
    for (double x : xs) {
        EXPECT_NEAR(det_sin(x), std::sin(x), 1e-10) << x;
        EXPECT_NEAR(det_cos(x), std::cos(x), 1e-10) << x;
        EXPECT_NEAR(det_exp(x / 10.0), std::exp(x / 10.0), 1e-12 * std::exp(x / 10.0)) << x;
    }
    const double positives[] = {1e-6, 0.01, 0.5, 0.7071, 1.0, 1.5, 2.0, 1000.0, 123456.0};
    for (double x : positives) {
        EXPECT_NEAR(det_log2(x), std::log2(x), 1e-12) << x;
        EXPECT_NEAR(det_pow(x, 0.37), std::pow(x, 0.37), 1e-11 * std::pow(x, 0.37)) << x;
    }
    EXPECT_NEAR(det_tan(1.2), std::tan(1.2), 1e-10);
    EXPECT_DOUBLE_EQ(midi_hz(69.0), 440.0);
    EXPECT_NEAR(midi_hz(81.0), 880.0, 1e-9);
    EXPECT_NEAR(midi_hz(60.0), 261.6255653, 1e-6);
}

namespace {

Stereo sine_stereo(double seconds, double left_dbfs, double right_dbfs, double hz = 997.0) {
    Stereo s(static_cast<size_t>(seconds * 44100.0));
    const double left = left_dbfs <= -200 ? 0.0 : std::pow(10.0, left_dbfs / 20.0);
    const double right = right_dbfs <= -200 ? 0.0 : std::pow(10.0, right_dbfs / 20.0);
    for (size_t i = 0; i < s.size(); ++i) {
        const double v = std::sin(2.0 * 3.14159265358979 * hz * i / 44100.0);
        s.l[i] = static_cast<float>(left * v);
        s.r[i] = static_cast<float>(right * v);
    }
    return s;
}

Stereo joined(const Stereo& a, const Stereo& b) {
    Stereo s(a.size() + b.size());
    std::copy(a.l.begin(), a.l.end(), s.l.begin());
    std::copy(a.r.begin(), a.r.end(), s.r.begin());
    std::copy(b.l.begin(), b.l.end(), s.l.begin() + a.size());
    std::copy(b.r.begin(), b.r.end(), s.r.begin() + a.size());
    return s;
}

}  // namespace

// Reference points of the K-weighted, gated loudness: a 997 Hz sine on both
// channels reads its own peak level in dBFS; on one channel 3 dB less; the
// gates drop silence and passages more than 10 LU below the rest.
TEST(Loudness, MatchesTheReferencePoints) {
    const Stereo silence = sine_stereo(10.0, -300, -300);
    struct Case {
        const char* name;
        Stereo audio;
        double lufs;
    } cases[] = {
        {"both -20", sine_stereo(5.0, -20.0, -20.0), -20.0},
        {"both -6", sine_stereo(5.0, -6.0, -6.0), -6.0},
        {"left only -20", sine_stereo(5.0, -20.0, -300), -23.01},
        // The few blocks that straddle a change of level count as they measure,
        // so these use long passages to keep their share small.
        {"silence gated away", joined(sine_stereo(30.0, -20.0, -20.0), silence), -20.02},
        {"quiet part gated away",
         joined(sine_stereo(30.0, -20.0, -20.0), sine_stereo(30.0, -45.0, -45.0)), -20.02},
        {"quiet part kept",
         joined(sine_stereo(30.0, -20.0, -20.0), sine_stereo(30.0, -26.0, -26.0)), -22.03},
        {"silence", silence, -70.0},
    };
    for (const Case& c : cases) EXPECT_NEAR(integrated_loudness(c.audio), c.lufs, 0.1) << c.name;
}

TEST(Limiter, HoldsTheCeilingAndLeavesQuietPassagesAlone) {
    Stereo audio = sine_stereo(5.0, -12.0, -12.0, 220.0);
    const Stereo original = audio;
    // Three bursts far above the ceiling, one of them at the very start.
    for (size_t at : {size_t(0), size_t(88200), size_t(176400)}) {
        for (size_t i = at; i < at + 2000; ++i) {
            // Smooth swells, so any step in the output is the limiter's.
            const double swell = std::pow(std::sin(3.14159265358979 * (i - at) / 2000.0), 2.0);
            audio.l[i] *= static_cast<float>(1.0 + 7.0 * swell);
            audio.r[i] *= static_cast<float>(-1.0 - 5.0 * swell);
        }
    }
    const double ceiling = std::pow(10.0, -3.0 / 20.0);
    limit_peaks(&audio, ceiling, 0.005, 0.12);
    double peak = 0.0;
    for (size_t i = 0; i < audio.size(); ++i)
        peak = std::max({peak, double(std::fabs(audio.l[i])), double(std::fabs(audio.r[i]))});
    EXPECT_LE(peak, ceiling + 1e-6);
    EXPECT_GT(peak, ceiling * 0.95);
    // A second after a burst the release has let go; just before the next
    // one the look-ahead has not yet begun to pull down.
    for (size_t i = 88200 + 2000 + 44100; i < 176400 - 300; ++i)
        ASSERT_NEAR(audio.l[i], original.l[i], 1e-4) << i;
    // The gain moves smoothly: the output never steps further between two
    // samples than a 220 Hz sine at the ceiling does (2 pi 220 / 44100 of it).
    for (size_t i = 88200 - 400; i < 88200 + 3000; ++i)
        ASSERT_LT(std::fabs(audio.l[i + 1] - audio.l[i]), 0.032 * ceiling) << i;
}

namespace {

const DecodedAudio& generated_soundtrack() {
    static DecodedAudio audio;
    static bool loaded = false;
    if (!loaded) {
        loaded = true;
        std::ifstream in(build_path("data/kardel.mp3"), std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string error;
        if (!mp3_decode(bytes.data(), bytes.size(), &audio, &error)) ADD_FAILURE() << error;
    }
    return audio;
}

std::string run_and_capture(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    pclose(pipe);
    return output;
}

// The number after `label` in ffmpeg's ebur128 summary, or NAN.
double summary_value(const std::string& report, const std::string& label) {
    const size_t summary = report.rfind("Summary:");
    if (summary == std::string::npos) return NAN;
    const size_t at = report.find(label, summary);
    if (at == std::string::npos) return NAN;
    return std::strtod(report.c_str() + at + label.size(), nullptr);
}

}  // namespace

TEST(Soundtrack, DecodesAs162SecondsOfStereoAt44100) {
    const DecodedAudio& audio = generated_soundtrack();
    EXPECT_EQ(audio.rate, 44100);
    EXPECT_EQ(audio.channels, 2);
    const double seconds = audio.samples.size() / 2 / 44100.0;
    EXPECT_GE(seconds, 161.5);
    EXPECT_LE(seconds, 163.5);
}

TEST(Soundtrack, LoudnessAndTruePeakWithinBounds) {
    const std::string report = run_and_capture(
        "ffmpeg -nostats -hide_banner -i '" + build_path("data/kardel.mp3") +
        "' -filter_complex ebur128=peak=true -f null - 2>&1");
    const double integrated = summary_value(report, "I:");
    const double peak = summary_value(report, "Peak:");
    ASSERT_FALSE(std::isnan(integrated)) << "no ebur128 summary from ffmpeg:\n" << report;
    ASSERT_FALSE(std::isnan(peak)) << report;
    EXPECT_GE(integrated, -16.0);
    EXPECT_LE(integrated, -12.0);
    EXPECT_LE(peak, -1.0);
}

// The last chord has died away before the show's last frame: nothing in its
// last 150 ms reaches -50 dBFS.
TEST(Soundtrack, EndingHasDiedAwayBeforeTheShowEnds) {
    const DecodedAudio& audio = generated_soundtrack();
    ASSERT_GT(audio.samples.size(), size_t{2 * 44100 * 161});
    const long first = std::lround((show_last_ms - 150) * 44.1), last = std::lround(show_last_ms * 44.1);
    int peak = 0;
    for (long i = 2 * first; i < 2 * last; ++i) peak = std::max(peak, std::abs(int{audio.samples[i]}));
    EXPECT_LT(20.0 * std::log10(std::max(peak, 1) / 32768.0), -50.0) << "peak " << peak;
}

namespace {

// The onset detector: the first difference of the channels' sum (a high-pass
// that keeps the edge of an attack and drops bass and pads) is squared; the
// onset is the sample where the mean power of the next 3 ms over that of the
// 20 ms before it is largest, within +-search_ms of where it is looked for.
// On an attack that starts at full strength it reads the attack's first
// sample; the synthesizer's drums, which ramp in over up to 2 ms, read within
// 1 ms of it after the MP3 round trip (the calibration test below pins that
// down; on the show's cues it reads -1.4 ... +1.4 ms).
struct OnsetDetector {
    std::vector<double> sum;  // running sum of the squared difference, one more than samples

    explicit OnsetDetector(const std::vector<int16_t>& interleaved) : sum(interleaved.size() / 2 + 1, 0.0) {
        double before = 0.0;
        for (size_t i = 0; i + 1 < sum.size(); ++i) {
            const double x = (interleaved[2 * i] + interleaved[2 * i + 1]) / 65536.0;
            sum[i + 1] = sum[i] + (x - before) * (x - before);
            before = x;
        }
    }
    double mean(long from, long length) const { return (sum[from + length] - sum[from]) / length; }

    struct Onset {
        double ms;
        double rise;  // after over before, in power
    };
    Onset find(double around_ms, double search_ms) const {
        const long after = 132, before = 882;
        Onset best{NAN, 0.0};
        const long from = std::max(before, std::lround((around_ms - search_ms) * 44.1));
        const long to = std::min(static_cast<long>(sum.size()) - after - 1, std::lround((around_ms + search_ms) * 44.1));
        for (long i = from; i <= to; ++i) {
            const double rise = mean(i, after) / (mean(i - before, before) + 1e-14);
            if (rise > best.rise) best = {i / 44.1, rise};
        }
        return best;
    }
};

std::vector<int16_t> to_stereo16(const Stereo& s) {
    std::vector<int16_t> pcm(2 * s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        pcm[2 * i] = static_cast<int16_t>(std::lround(std::clamp(s.l[i], -1.0f, 1.0f) * 32767.0));
        pcm[2 * i + 1] = static_cast<int16_t>(std::lround(std::clamp(s.r[i], -1.0f, 1.0f) * 32767.0));
    }
    return pcm;
}

const char* kind_name(CueKind k) {
    switch (k) {
    case CueKind::card_flash: return "card flash";
    case CueKind::blur_start: return "blur start";
    case CueKind::tunnel_flash: return "tunnel flash";
    case CueKind::scene_cut: return "scene cut";
    case CueKind::town_appears: return "town appears";
    }
    return "?";
}

}  // namespace

// The detector itself, on the synthesizer's own instruments over a bed of
// pad and hats, through the MP3 round trip: it finds each hit where it was
// played, and finds nothing where none was.
TEST(Soundtrack, OnsetDetectorFindsHitsWhereTheyWerePlayed) {
    Stereo s(44100 * 4);
    for (int64_t t = 0; t < 4 * 44100; t += 3675) play_hat(&s, t, 0.04, 0.03, 0.2, 5u + t);
    play_note(&s, Patch{.attack_s = 0.3, .sustain = 0.8}, 0, 4 * 44100, 50, 0.1, 0.0, 9);
    // Halfway between two hats, each hit alone within the 25 ms searched.
    const int64_t clap_at = 8 * 3675 + 1837, crash_at = 19 * 3675 + 1838, boom_at = 30 * 3675 + 1839,
                  snare_at = 41 * 3675 + 1840;
    play_clap(&s, clap_at, 0.4, 2);
    play_crash(&s, crash_at, 0.3, 1.0, 3);
    play_boom(&s, boom_at, 0.4, 4);
    play_snare(&s, snare_at, 0.4, 6);
    std::vector<uint8_t> mp3;
    std::string error;
    ASSERT_TRUE(encode_mp3(to_stereo16(s), 44100, 2, 192, &mp3, &error)) << error;
    DecodedAudio audio;
    ASSERT_TRUE(mp3_decode(mp3.data(), mp3.size(), &audio, &error)) << error;
    const OnsetDetector detector(audio.samples);
    for (int64_t at : {clap_at, crash_at, boom_at, snare_at}) {
        const auto onset = detector.find(at / 44.1, 25.0);
        EXPECT_NEAR(onset.ms, at / 44.1, 1.0) << "hit at sample " << at;
        EXPECT_GT(onset.rise, 8.0) << "hit at sample " << at;
    }
    EXPECT_LT(detector.find(50000 / 44.1, 25.0).rise, 4.0) << "between the hits";
}

// Every accent cue of the show has an attack of its own within 2 ms: at least
// 6 dB above the 20 ms before it, and the strongest within 25 ms.
TEST(Soundtrack, EveryCueHasItsAttack) {
    const DecodedAudio& audio = generated_soundtrack();
    ASSERT_FALSE(audio.samples.empty());
    const OnsetDetector detector(audio.samples);
    double worst[5] = {};
    for (const Cue& cue : show_accents()) {
        const auto onset = detector.find(cue.ms, 25.0);
        const double offset = onset.ms - cue.ms;
        worst[static_cast<int>(cue.kind)] = std::max(worst[static_cast<int>(cue.kind)], std::fabs(offset));
        if (std::getenv("ZELVO_PRINT_CUES"))
            std::printf("cue %6d %-12s offset %+6.2f ms rise %7.1f\n", cue.ms, kind_name(cue.kind), offset, onset.rise);
        EXPECT_NEAR(offset, 0.0, 2.0) << kind_name(cue.kind) << " at " << cue.ms;
        EXPECT_GE(onset.rise, 4.0) << kind_name(cue.kind) << " at " << cue.ms;
    }
    if (std::getenv("ZELVO_PRINT_CUES")) {
        for (int k = 0; k < 5; ++k) std::printf("%-12s max |offset| %.2f ms\n", kind_name(CueKind(k)), worst[k]);
    }
}

// Each section's first downbeat is the first sample the show's clock reads
// as its scene's first millisecond, and its bars fill the scene at about
// 180 BPM up to the next cut.
TEST(TempoMap, EverySectionStartsOnItsCutToTheSample) {
    const TempoSection* map = tempo_map();
    for (int i = 0; i < tempo_section_count; ++i) {
        SCOPED_TRACE(testing::Message() << "section " << i);
        const int64_t downbeat = bar_sample(map[i].first_bar);
        EXPECT_EQ(downbeat * 1000 / 44100, cue_windows[i].first);
        if (downbeat > 0) {
            EXPECT_EQ((downbeat - 1) * 1000 / 44100, cue_windows[i].first - 1);
        }
        EXPECT_NEAR(map[i].bar_ms, 1333.0, 3.0);
        if (i + 1 == tempo_section_count) continue;
        EXPECT_EQ(map[i].first_bar + map[i].bars, map[i + 1].first_bar);
        EXPECT_LE(bar_sample(map[i + 1].first_bar - 0.001), cue_sample(cue_windows[i + 1].first));
        EXPECT_GT(bar_sample(map[i + 1].first_bar - 0.001), cue_sample(cue_windows[i + 1].first) - 44 * 70);
    }
}

TEST(Soundtrack, GeneratorWritesTheSameBytesEveryRun) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("zelvo-soundtrack-" + std::to_string(getpid()));
    std::string error;
    ASSERT_TRUE(write_soundtrack(dir.string(), &error)) << error;
    auto read_all = [](const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    const std::vector<char> fresh = read_all(dir / "kardel.mp3");
    const std::vector<char> built = read_all(build_path("data/kardel.mp3"));
    std::filesystem::remove_all(dir);
    ASSERT_FALSE(fresh.empty());
    EXPECT_EQ(fresh.size(), built.size());
    EXPECT_TRUE(fresh == built) << "the soundtrack differs between two generator runs";
}

TEST(Soundtrack, WriteFailureIsReported) {
    std::string error;
    EXPECT_FALSE(write_soundtrack("/proc/zelvo-no-such-dir", &error));
    EXPECT_NE(error.find("kardel.mp3"), std::string::npos) << error;
}

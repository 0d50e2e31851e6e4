// The soundtrack: MP3 round trips through our encoder and decoder, and the
// generated piece's format, loudness, beat grid and reproducibility.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "soundtrack.h"
#include "support/test_paths.h"

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
    struct Case {
        const char* name;
        const uint8_t* bytes;
        size_t size;
    } cases[] = {
        {"null", nullptr, 0},
        {"empty", zeros.data(), 0},
        {"text", reinterpret_cast<const uint8_t*>(text.data()), text.size()},
        {"zeros", zeros.data(), zeros.size()},
        {"noise", noise.data(), noise.size()},
    };
    for (const Case& c : cases) {
        DecodedAudio audio;
        audio.rate = 99;
        std::string error;
        EXPECT_FALSE(mp3_decode(c.bytes, c.size, &audio, &error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
        EXPECT_TRUE(audio.samples.empty()) << c.name;
        EXPECT_EQ(audio.rate, 0) << c.name;
    }
}

TEST(Mp3Decode, TruncatedStreamDecodesWhatIsThere) {
    std::vector<int16_t> pcm = tone_second(44100);
    std::vector<uint8_t> mp3;
    std::string error;
    ASSERT_TRUE(encode_mp3(pcm, 44100, 2, 192, &mp3, &error)) << error;
    mp3.resize(mp3.size() / 2);
    DecodedAudio audio;
    ASSERT_TRUE(mp3_decode(mp3.data(), mp3.size(), &audio, &error)) << error;
    const size_t frames = audio.samples.size() / 2;
    EXPECT_GT(frames, 44100u / 3);
    EXPECT_LT(frames, 44100u);
}

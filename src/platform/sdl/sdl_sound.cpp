// SDL sound: the whole soundtrack decoded up front and played through an
// SDL2 audio device at 44100 Hz stereo. The position that drives the show is
// counted in the device callback, less the buffer SDL is still playing, so it
// is what is being heard, and the callback keeps counting silence after the
// music ends so the show still runs to its end in real time. SDL reports no
// latency of the sound server beyond its own buffer: --audio-offset is there
// for the rest. Closing ramps the output to silence before the device goes.
// Muted, no device is opened and the position runs from the start on the wall
// clock, as it would while playing. A seek is play from another frame of the
// decoded samples; a pause ramps the output to silence and stops the count.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/audio/audio.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/sdl/sdl.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int device_channels = 2;
constexpr int callback_frames = 1024;  // about 23 ms at 44100 Hz

// Shared with the audio thread; touched only with the device locked.
struct Stream {
    std::vector<int16_t> samples;  // interleaved stereo at the device rate
    int64_t next_frame = 0;        // the frame the next callback starts from
    bool playing = false;
    PlaybackClock clock;
    Clock::time_point last_callback;
    FadeOut fade;                  // begun by close or pause; the callback ramps and counts it down
    bool pausing = false;          // the fade is a pause's: playing ends once it has run out
};

struct Sound {
    SDL_AudioDeviceID device = 0;
    bool audio_started = false;
    bool muted = false;
    int rate = 44100;
    bool stream_open = false;
    int32_t last_reported = 0;
    int32_t hold_ms = -1;        // the test hook's fixed position; -1 without it
    bool paused = false;         // the position holds at last_reported until play
    bool muted_playing = false;
    int32_t muted_start_ms = 0;
    Clock::time_point muted_started;
    int64_t device_frames = 0;   // the device buffer SDL obtained, in frames
    Stream stream;
};

Sound sound;

void SDLCALL fill_audio(void*, Uint8* out, int length) {
    Stream& stream = sound.stream;
    const int64_t frames = length / static_cast<int>(sizeof(int16_t) * device_channels);
    std::memset(out, 0, static_cast<size_t>(length));
    if (!stream.playing) return;
    const int64_t total_frames = static_cast<int64_t>(stream.samples.size() / device_channels);
    if (stream.next_frame < total_frames) {
        const int64_t copied = std::min(frames, total_frames - stream.next_frame);
        std::memcpy(out, stream.samples.data() + stream.next_frame * device_channels,
                    static_cast<size_t>(copied) * device_channels * sizeof(int16_t));
    }
    apply_fade_out(reinterpret_cast<int16_t*>(out), frames, device_channels, &stream.fade);
    // A pause's ramp has reached silence: the rest of this buffer is silent, and nothing more is counted.
    if (stream.pausing && stream.fade.remaining == 0) stream.playing = false;
    // Past the end the buffer stays silent and the count runs on.
    stream.next_frame += frames;
    stream.clock.frames_before_callback += stream.clock.callback_frames;
    stream.clock.callback_frames = frames;
    stream.last_callback = Clock::now();
}

// Brings decoded audio to the device's rate and channel count.
bool convert_to_device(DecodedAudio& audio, std::vector<int16_t>* samples, std::string* error) {
    if (audio.rate == sound.rate && audio.channels == device_channels) {
        *samples = std::move(audio.samples);
        return true;
    }
    SDL_AudioStream* converter =
        SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(audio.channels), audio.rate, AUDIO_S16SYS,
                           device_channels, sound.rate);
    if (!converter) {
        *error = std::string("cannot convert the soundtrack for the audio device: ") + SDL_GetError();
        return false;
    }
    const int bytes = static_cast<int>(audio.samples.size() * sizeof(int16_t));
    bool converted = SDL_AudioStreamPut(converter, audio.samples.data(), bytes) == 0 &&
                     SDL_AudioStreamFlush(converter) == 0;
    if (converted) {
        samples->resize(static_cast<size_t>(SDL_AudioStreamAvailable(converter)) / sizeof(int16_t));
        converted = SDL_AudioStreamGet(converter, samples->data(), static_cast<int>(samples->size() * sizeof(int16_t))) >= 0;
    }
    SDL_FreeAudioStream(converter);
    if (!converted) *error = std::string("cannot convert the soundtrack for the audio device: ") + SDL_GetError();
    return converted;
}


}  // namespace

int32_t playback_position_ms(const PlaybackClock& clock, double ms_since_callback, int32_t last_reported) {
    const double start = static_cast<double>(clock.start_frame) * 1000.0 / clock.rate;
    double position =
        static_cast<double>(clock.start_frame + clock.frames_before_callback - clock.latency_frames) * 1000.0 /
        clock.rate;
    if (clock.callback_frames > 0) {
        const double buffer_ms = static_cast<double>(clock.callback_frames) * 1000.0 / clock.rate;
        position += std::clamp(ms_since_callback, 0.0, buffer_ms);
    }
    return std::max(static_cast<int32_t>(std::max(position, start)), last_reported);
}

// The channel count is the mixer's number of software channels; one stream
// plays, so the device is always opened in stereo.
namespace {

// The display library may end the process from inside a call (its window
// destroyed by another program, the connection lost): the audio thread must
// stop before exit frees the samples it reads.
void stop_audio_at_exit() {
    if (sound.device) SDL_CloseAudioDevice(sound.device);
    sound.device = 0;
}

// Ramps a playing device to silence and lets the ramp and the buffers after it
// reach the speakers, waiting at most a bounded time for a device that has
// stopped asking for sound.
void fade_out_device() {
    SDL_LockAudioDevice(sound.device);
    const bool playing = sound.stream.playing;
    // A pause's ramp under way goes on as it is.
    if (playing && sound.stream.fade.total == 0) sound.stream.fade = begin_fade_out(sound.rate);
    SDL_UnlockAudioDevice(sound.device);
    if (!playing) return;
    const auto give_up = Clock::now() + std::chrono::milliseconds(250);
    for (;;) {
        SDL_LockAudioDevice(sound.device);
        const bool faded = sound.stream.fade.remaining == 0;
        SDL_UnlockAudioDevice(sound.device);
        if (faded || Clock::now() >= give_up) break;
        SDL_Delay(2);
    }
    // The faded buffer and SDL's own one after it play out as silence follows.
    SDL_Delay(static_cast<Uint32>(2 * sound.device_frames * 1000 / sound.rate + 10));
}

}  // namespace

bool sdl_sound_init(int rate, int, bool mute, std::string* error) {
    if (sound.device || sound.muted) return true;
    if (mute) {
        sound.muted = true;
        sound.rate = rate;
        return true;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        *error = std::string("SDL cannot start its audio: ") + SDL_GetError();
        return false;
    }
    sound.audio_started = true;
    SDL_AudioSpec wanted{};
    wanted.freq = rate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = device_channels;
    wanted.samples = callback_frames;
    wanted.callback = fill_audio;
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts to whatever the hardware takes, so the
    // callback always runs at exactly `rate` frames per second.
    sound.device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (sound.device == 0) {
        *error = std::string("SDL cannot open an audio device: ") + SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        sound.audio_started = false;
        return false;
    }
    sound.rate = rate;
    sound.device_frames = obtained.samples;
    static const bool stops_at_exit = std::atexit(stop_audio_at_exit) == 0;
    (void)stops_at_exit;
    return true;
}

bool sdl_sound_open_stream(const uint8_t* bytes, size_t size, std::string* error, std::string* warning) {
    DecodedAudio audio;
    if (!mp3_decode(bytes, size, &audio, error, warning)) return false;
    std::vector<int16_t> samples;
    if (!convert_to_device(audio, &samples, error)) return false;
    if (sound.device) SDL_LockAudioDevice(sound.device);
    sound.stream.samples.swap(samples);
    sound.stream.playing = false;
    if (sound.device) SDL_UnlockAudioDevice(sound.device);
    sound.stream_open = true;
    return true;
}

void sdl_sound_play(int32_t start_ms) {
    if (!sound.stream_open) return;
    sound.hold_ms = environment_ms("ZELVO_HOLD_MS");
    sound.paused = false;
    if (sound.muted) {
        sound.muted_playing = true;
        sound.muted_start_ms = std::max(start_ms, 0);
        sound.muted_started = Clock::now();
        sound.last_reported = sound.muted_start_ms;
        return;
    }
    if (!sound.device) return;
    SDL_LockAudioDevice(sound.device);
    Stream& stream = sound.stream;
    stream.clock = PlaybackClock{sound.rate, ms_to_sample(start_ms, sound.rate), 0, 0, sound.device_frames};
    stream.fade = FadeOut{};
    stream.pausing = false;
    stream.next_frame = stream.clock.start_frame;
    stream.playing = true;
    SDL_UnlockAudioDevice(sound.device);
    sound.last_reported = std::max(start_ms, 0);
    SDL_PauseAudioDevice(sound.device, 0);
}

void sdl_sound_pause() {
    if (sound.paused) return;
    sdl_sound_position_ms();
    sound.paused = true;
    sound.muted_playing = false;
    if (!sound.device) return;
    SDL_LockAudioDevice(sound.device);
    if (sound.stream.playing) {
        sound.stream.fade = begin_fade_out(sound.rate);
        sound.stream.pausing = true;
    }
    SDL_UnlockAudioDevice(sound.device);
}

int32_t sdl_sound_position_ms() {
    if (sound.hold_ms >= 0) return sound.last_reported = sound.hold_ms;
    if (sound.paused) return sound.last_reported;
    if (sound.muted_playing) {
        const double since = std::chrono::duration<double, std::milli>(Clock::now() - sound.muted_started).count();
        const double position = std::min<double>(sound.muted_start_ms + since, INT32_MAX);
        sound.last_reported = std::max(static_cast<int32_t>(position), sound.last_reported);
        return sound.last_reported;
    }
    if (!sound.device) return sound.last_reported;
    SDL_LockAudioDevice(sound.device);
    const bool playing = sound.stream.playing;
    const PlaybackClock clock = sound.stream.clock;
    const Clock::time_point last_callback = sound.stream.last_callback;
    SDL_UnlockAudioDevice(sound.device);
    if (!playing) return sound.last_reported;
    const double since = std::chrono::duration<double, std::milli>(Clock::now() - last_callback).count();
    sound.last_reported = playback_position_ms(clock, since, sound.last_reported);
    return sound.last_reported;
}

// The position stays at the last value it reported.
void sdl_sound_close() {
    bool closed = true;
    if (sound.device) {
        fade_out_device();
        // Closing waits for SDL's audio thread, which a sound server that has
        // stopped answering can hold inside its write for good.
        const SDL_AudioDeviceID device = sound.device;
        closed = finish_in_time([device] { SDL_CloseAudioDevice(device); }, longest_close_ms);
    }
    if (!closed) {
        std::fputs("zelvo: the sound device did not close within 600 ms; the show ends without waiting for it\n",
                   stderr);
        // Its thread may still read the samples, so they stay to the end of
        // the process; nothing closes the device or SDL's audio again.
        sound.device = 0;
        sound.audio_started = false;
        sound_device_abandoned = true;
        return;
    }
    if (sound.audio_started) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    const int32_t last_reported = sound.last_reported;
    sound = Sound{};
    sound.last_reported = last_reported;
}

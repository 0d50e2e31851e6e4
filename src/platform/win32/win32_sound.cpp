// Windows sound: the whole soundtrack decoded up front and played through a
// WINMM waveOut device in a few queued buffers, refilled by a feeder thread as
// the device hands them back. The position that drives the show is the
// device's own count of samples played (waveOutGetPosition), so it is what has
// actually been heard; after the music the feeder queues silence, so the count
// and the show run on to the end in real time. Closing ramps the output to
// silence first: what is queued is dropped and the music from the position
// played on is queued again, fading out. Muted, no device is opened and the
// position runs from the start on the wall clock (the performance counter).
// A seek resets the device and queues the music from the new place; a pause
// fades out as closing does and resets the device, holding the position.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/audio/audio.h"
#include "platform/backend.h"
#include "platform/clock.h"
#include "platform/win32/win32.h"

namespace {

constexpr int buffer_count = 4;
constexpr int buffer_frames = 4096;  // about 93 ms at 44100 Hz

struct Device {
    HWAVEOUT handle = nullptr;
    HANDLE done = nullptr;  // signalled by the device whenever a buffer comes back
    int rate = 44100;
    int channels = 2;
};

struct Sound {
    Device device;
    bool muted = false;
    bool stream_open = false;
    std::vector<int16_t> samples;  // interleaved at the device's rate and channel count

    // The feeder's; started by play, stopped by close.
    std::thread feeder;
    std::atomic<bool> stopping{false};
    std::mutex queueing;  // held while a buffer is written to the device
    WAVEHDR headers[buffer_count]{};
    std::vector<int16_t> buffers[buffer_count];
    int64_t next_frame = 0;  // the stream frame the next buffer starts from

    bool playing = false;
    int64_t start_frame = 0;
    int32_t last_reported = 0;
    int32_t hold_ms = -1;
    uint32_t muted_started = 0;  // the wall clock when a muted play began
    int32_t muted_start_ms = 0;
};

Sound sound;

std::string wave_error_text(MMRESULT result) {
    char text[MAXERRORLENGTH] = {};
    if (waveOutGetErrorTextA(result, text, sizeof text) != MMSYSERR_NOERROR) return "error " + std::to_string(result);
    return text;
}

bool open_device(int rate, int channels, std::string* error) {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(channels * 2);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    Device device;
    device.rate = rate;
    device.channels = channels;
    device.done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    const MMRESULT result = waveOutOpen(&device.handle, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(device.done),
                                        0, CALLBACK_EVENT);
    if (result != MMSYSERR_NOERROR) {
        CloseHandle(device.done);
        *error = "waveOut cannot open an audio device: " + wave_error_text(result);
        return false;
    }
    sound.device = device;
    return true;
}

void close_device() {
    if (!sound.device.handle) return;
    waveOutReset(sound.device.handle);
    for (WAVEHDR& header : sound.headers)
        if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(sound.device.handle, &header, sizeof header);
    waveOutClose(sound.device.handle);
    CloseHandle(sound.device.done);
    sound.device = Device{};
}

// Fills buffer i from the stream (silence past its end), ramped by the fade
// when one is given, and queues it.
void queue_buffer(int i, FadeOut* fade = nullptr) {
    const int channels = sound.device.channels;
    std::vector<int16_t>& buffer = sound.buffers[i];
    buffer.assign(static_cast<size_t>(buffer_frames) * channels, 0);
    const int64_t total_frames = static_cast<int64_t>(sound.samples.size()) / channels;
    if (sound.next_frame < total_frames) {
        const int64_t copied = std::min<int64_t>(buffer_frames, total_frames - sound.next_frame);
        std::memcpy(buffer.data(), sound.samples.data() + sound.next_frame * channels,
                    static_cast<size_t>(copied) * channels * sizeof(int16_t));
    }
    sound.next_frame += buffer_frames;
    if (fade) apply_fade_out(buffer.data(), buffer_frames, channels, fade);
    WAVEHDR& header = sound.headers[i];
    if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(sound.device.handle, &header, sizeof header);
    header = WAVEHDR{};
    header.lpData = reinterpret_cast<LPSTR>(buffer.data());
    header.dwBufferLength = static_cast<DWORD>(buffer.size() * sizeof(int16_t));
    waveOutPrepareHeader(sound.device.handle, &header, sizeof header);
    waveOutWrite(sound.device.handle, &header, sizeof header);
}

// Refills every buffer the device has handed back, until told to stop.
void feed() {
    while (!sound.stopping) {
        WaitForSingleObject(sound.device.done, 50);
        std::lock_guard<std::mutex> hold(sound.queueing);
        if (sound.stopping) break;
        for (int i = 0; i < buffer_count; ++i)
            if (sound.headers[i].dwFlags & WHDR_DONE) queue_buffer(i);
    }
}

void stop_feeder() {
    if (!sound.feeder.joinable()) return;
    sound.stopping = true;
    SetEvent(sound.device.done);
    sound.feeder.join();
    sound.stopping = false;
}

// The device's count of frames played since play began, or -1.
int64_t frames_played() {
    MMTIME time{};
    time.wType = TIME_SAMPLES;
    if (waveOutGetPosition(sound.device.handle, &time, sizeof time) != MMSYSERR_NOERROR || time.wType != TIME_SAMPLES)
        return -1;
    return time.u.sample;
}

// Stops the feeder, queues the music from where the device has got to again
// as one buffer that fades to silence, and lets it play out, waiting at most
// a bounded time for a device that has stopped playing.
void fade_out_device() {
    if (!sound.device.handle || !sound.playing) return;
    stop_feeder();
    const int64_t played = frames_played();
    waveOutReset(sound.device.handle);
    if (played < 0) return;
    sound.next_frame = sound.start_frame + played;
    FadeOut fade = begin_fade_out(sound.device.rate);
    ResetEvent(sound.device.done);
    queue_buffer(0, &fade);
    const DWORD give_up = GetTickCount() + 300;
    while ((sound.headers[0].dwFlags & WHDR_DONE) == 0 && GetTickCount() < give_up)
        WaitForSingleObject(sound.device.done, 20);
}

// Duplicates a mono soundtrack into both channels; other layouts pass as they are.
std::vector<int16_t> as_stereo(DecodedAudio& audio) {
    if (audio.channels != 1) return std::move(audio.samples);
    std::vector<int16_t> stereo(audio.samples.size() * 2);
    for (size_t i = 0; i < audio.samples.size(); ++i) stereo[2 * i] = stereo[2 * i + 1] = audio.samples[i];
    audio.channels = 2;
    return stereo;
}

}  // namespace

bool win32_sound_init(int rate, int, bool mute, std::string* error) {
    if (sound.device.handle || sound.muted) return true;
    if (mute) {
        sound.muted = true;
        return true;
    }
    return open_device(rate, 2, error);
}

bool win32_sound_open_stream(const uint8_t* bytes, size_t size, std::string* error, std::string* warning) {
    DecodedAudio audio;
    if (!mp3_decode(bytes, size, &audio, error, warning)) return false;
    std::vector<int16_t> samples = as_stereo(audio);
    // waveOut takes PCM at any rate: the device is opened again at the soundtrack's own.
    if (sound.device.handle && (audio.rate != sound.device.rate || audio.channels != sound.device.channels)) {
        close_device();
        if (!open_device(audio.rate, audio.channels, error)) return false;
    }
    sound.samples.swap(samples);
    sound.stream_open = true;
    return true;
}

void win32_sound_play(int32_t start_ms) {
    if (!sound.stream_open) return;
    sound.hold_ms = environment_ms("ZELVO_HOLD_MS");
    sound.last_reported = std::max(start_ms, 0);
    if (sound.muted) {
        sound.playing = true;
        sound.muted_start_ms = sound.last_reported;
        sound.muted_started = platform_wall_ms();
        return;
    }
    if (!sound.device.handle) return;
    stop_feeder();
    waveOutReset(sound.device.handle);
    sound.start_frame = ms_to_sample(sound.last_reported, sound.device.rate);
    sound.next_frame = sound.start_frame;
    {
        std::lock_guard<std::mutex> hold(sound.queueing);
        for (int i = 0; i < buffer_count; ++i) queue_buffer(i);
    }
    sound.playing = true;
    sound.feeder = std::thread(feed);
}

int32_t win32_sound_position_ms() {
    if (sound.hold_ms >= 0) return sound.last_reported = sound.hold_ms;
    if (!sound.playing) return sound.last_reported;
    int64_t position = sound.last_reported;
    if (sound.muted) {
        position = static_cast<int64_t>(sound.muted_start_ms) + (platform_wall_ms() - sound.muted_started);
    } else if (const int64_t played = frames_played(); played >= 0) {
        position = (sound.start_frame + played) * 1000 / sound.device.rate;
    }
    sound.last_reported = static_cast<int32_t>(std::clamp<int64_t>(position, sound.last_reported, INT32_MAX));
    return sound.last_reported;
}

void win32_sound_pause() {
    if (!sound.playing) return;
    win32_sound_position_ms();
    if (sound.device.handle && !sound.muted) {
        fade_out_device();
        stop_feeder();
        waveOutReset(sound.device.handle);
    }
    sound.playing = false;
}

// The position stays at the last value it reported. A driver that has stopped
// answering can hold waveOutReset or waveOutClose for good: the close runs on
// a thread of its own and is waited for a bounded time.
void win32_sound_close() {
    if (sound.device.handle &&
        !finish_in_time([] {
            fade_out_device();
            stop_feeder();
            close_device();
        }, longest_close_ms)) {
        std::fputs("zelvo: the sound device did not close within 600 ms; the show ends without waiting for it\n",
                   stderr);
        // The closing thread still uses the device, the feeder and the samples:
        // they stay to the end of the process.
        sound_device_abandoned = true;
        return;
    }
    close_device();
    const int32_t last_reported = sound.last_reported;
    sound.samples.clear();
    sound.stream_open = false;
    sound.playing = false;
    sound.muted = false;
    sound.hold_ms = -1;
    sound.last_reported = last_reported;
}

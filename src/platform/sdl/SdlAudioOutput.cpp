#include "platform/sdl/SdlAudioOutput.h"

#include <SDL.h>

#include <cerrno>
#include <sched.h>
#include <cstring>

namespace fer {

namespace {
// SDL gives its errors as text only. Its own words for running out of
// memory are what SDL_OutOfMemory sets, in every language.
bool isOutOfMemory(const std::string& error) {
    SDL_OutOfMemory();
    const bool same = error == SDL_GetError();
    SDL_SetError("%s", error.c_str());
    return same;
}

// The backends that open a device file pass on the system's text for its
// errno, in the language the system speaks, which strerror gives here too.
bool isBusy(const std::string& error) {
    return error.find(std::strerror(EBUSY)) != std::string::npos;
}
} // namespace

// SDL's audio thread calls this for every buffer the device needs.
struct SdlAudioCallback {
    static void call(void* self, Uint8* stream, int length) {
        static_cast<SdlAudioOutput*>(self)->fill(reinterpret_cast<int16_t*>(stream),
                                                 static_cast<size_t>(length) / sizeof(int16_t));
    }
};

bool SdlAudioOutput::open(const AudioFormat& wanted, AudioSource& source, AudioFailure& failure) {
    if (isOpen()) {
        failure = {AudioFailureReason::kOther, "the sound output is open already"};
        return false;
    }
    if (!subsystemStarted_) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            // No audio driver of SDL's (or not the one SDL_AUDIODRIVER names) starts.
            const std::string error = SDL_GetError();
            failure = {isOutOfMemory(error) ? AudioFailureReason::kOutOfMemory
                                            : AudioFailureReason::kNoDriver,
                       "cannot start SDL audio: " + error};
            return false;
        }
        subsystemStarted_ = true;
    }
    SDL_AudioSpec want{};
    want.freq = wanted.sampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = static_cast<Uint8>(wanted.channels);
    // SDL's PulseAudio driver asks the server for one buffer of latency in
    // all: 1024 frames (21 ms at 48 kHz) ran dry whenever the machine was
    // busy; 2048 (43 ms) rides out a late wake-up of the callback thread.
    want.samples = 2048;
    want.callback = &SdlAudioCallback::call;
    want.userdata = this;
    SDL_AudioSpec have{};
    source_ = &source;
    pulled_.store(0, std::memory_order_release);
    underruns_.store(0, std::memory_order_release);
    lastCallbackTicks_.store(0, std::memory_order_release);
    raised_.store(false, std::memory_order_release);
    grant_.store(SchedulingGrant::kNormal, std::memory_order_release);
    // The device may choose its rate and channel count; the samples stay 16-bit.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have,
                                  SDL_AUDIO_ALLOW_FREQUENCY_CHANGE |
                                      SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (device_ == 0) {
        source_ = nullptr;
        const std::string error = SDL_GetError();
        AudioFailureReason reason = AudioFailureReason::kOther;
        if (isOutOfMemory(error))
            reason = AudioFailureReason::kOutOfMemory;
        else if (SDL_GetNumAudioDevices(0) == 0)
            reason = AudioFailureReason::kNoDevice;
        else if (isBusy(error))
            reason = AudioFailureReason::kDeviceBusy;
        failure = {reason, "cannot open the sound device: " + error};
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystemStarted_ = false;
        return false;
    }
    format_.sampleRate = have.freq;
    format_.channels = have.channels;
    bufferFrames_ = have.samples;
    return true; // paused until setPaused(false)
}

void SdlAudioOutput::close() {
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_); // waits for a running callback
        device_ = 0;
    }
    source_ = nullptr;
    if (subsystemStarted_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystemStarted_ = false;
    }
}

void SdlAudioOutput::setPaused(bool paused) {
    if (device_ != 0) SDL_PauseAudioDevice(device_, paused ? 1 : 0);
}

void SdlAudioOutput::raiseCallbackThread() {
    // SDL raises its audio thread's nice value only; the device's deadline
    // wants real-time scheduling: directly where the system grants it, else
    // through the desktop's real-time service (rtkit), which SDL asks.
    SchedulingGrant grant = raiseToRealtime();
#ifdef __linux__
    if (grant != SchedulingGrant::kRealtime &&
        SDL_LinuxSetThreadPriorityAndPolicy(currentThreadId(), SDL_THREAD_PRIORITY_TIME_CRITICAL,
                                            SCHED_FIFO) == 0)
        grant = SchedulingGrant::kRealtime;
#endif
    grant_.store(grant, std::memory_order_release);
}

void SdlAudioOutput::fill(int16_t* samples, size_t count) {
    if (!raised_.exchange(true, std::memory_order_acq_rel)) raiseCallbackThread();
    // A callback that comes more than two buffers after the last one means
    // the device ran dry in between.
    const uint64_t now = SDL_GetTicks64();
    const uint64_t last = lastCallbackTicks_.exchange(now, std::memory_order_acq_rel);
    const uint64_t bufferMs = 1000u * bufferFrames_ / static_cast<uint64_t>(format_.sampleRate);
    if (last != 0 && now - last > 2 * bufferMs + 10) underruns_.fetch_add(1, std::memory_order_acq_rel);
    source_->render({samples, count}, format_);
    pulled_.fetch_add(count / static_cast<size_t>(format_.channels), std::memory_order_acq_rel);
}

} // namespace fer

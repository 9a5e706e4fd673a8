#include "sound/SoundBuffer.h"

#include <algorithm>
#include <cstring>

#include "sound/AudioMixer.h"
#include "sound/Resampler.h"
#include "sound/VolumeScale.h"

namespace fer {

namespace {
// Frames read from the ring at once; the write cursor lies this far ahead.
constexpr uint32_t kPullFrames = 256;

float sampleAt(const uint8_t* p, uint32_t bytes) {
    switch (bytes) {
    case 1: return (static_cast<float>(p[0]) - 128.0f) * (1.0f / 128.0f);
    case 2: {
        int16_t v;
        std::memcpy(&v, p, 2);
        return static_cast<float>(v) * (1.0f / 32768.0f);
    }
    case 3: {
        const int32_t v = static_cast<int32_t>((uint32_t{p[0]} << 8) | (uint32_t{p[1]} << 16) |
                                               (uint32_t{p[2]} << 24)) >> 8;
        return static_cast<float>(v) * (1.0f / 8388608.0f);
    }
    case 4: {
        int32_t v;
        std::memcpy(&v, p, 4);
        return static_cast<float>(v) * (1.0f / 2147483648.0f);
    }
    default: return 0.0f;
    }
}
} // namespace

SoundBuffer::SoundBuffer(const WaveFormat& format, uint32_t bytes, const AudioFormat& output,
                         std::shared_ptr<const ResamplerFilter> filter)
    : format_(format), output_(output), frameBytes_(std::max(1u, format.frameBytes())),
      lead_(kPullFrames * frameBytes_), ring_(bytes - bytes % frameBytes_, silenceByte()),
      converted_(AudioMixer::kBlockFrames * static_cast<size_t>(output.channels)) {
    // A mono ring is converted alone and spread over the output's channels
    // after; any other is mapped to the output's channels first.
    if (static_cast<int>(format.samplesPerSec) != output.sampleRate) {
        if (format.channels == 1) spreadChannels_ = static_cast<uint32_t>(output.channels);
        const auto rate = static_cast<int>(format.samplesPerSec);
        if (!filter || filter->inputRate != rate || filter->outputRate != output.sampleRate)
            filter = Resampler::design(rate, output.sampleRate);
        resampler_ = std::make_unique<Resampler>(
            output.channels / static_cast<int>(spreadChannels_), std::move(filter));
    }
}

std::shared_ptr<const ResamplerFilter> SoundBuffer::filter() const {
    return resampler_ ? resampler_->filter() : nullptr;
}

SoundBuffer::~SoundBuffer() = default;

int SoundBuffer::play() {
    playing_.store(true, std::memory_order_release);
    return 0;
}

int SoundBuffer::stop() {
    playing_.store(false, std::memory_order_release);
    return 0;
}

int SoundBuffer::position(uint32_t& play, uint32_t& write) const {
    play = playCursor_.load(std::memory_order_acquire);
    const uint32_t lead = playing() ? lead_ : 0;
    write = ring_.empty() ? 0 : (play + lead) % size();
    return 0;
}

int SoundBuffer::setVolume(int32_t attenuation) {
    if (attenuation < kSilentAttenuation || attenuation > 0) return -1;
    attenuation_.store(attenuation, std::memory_order_release);
    return 0;
}

SoundBuffer::Locked SoundBuffer::lock(uint32_t offset, uint32_t bytes) {
    ringLock_.lock();
    Locked parts;
    if (ring_.empty()) return parts;
    offset %= size();
    bytes = std::min(bytes, size());
    const uint32_t first = std::min(bytes, size() - offset);
    parts.first = {ring_.data() + offset, first};
    parts.second = {ring_.data(), bytes - first};
    return parts;
}

void SoundBuffer::unlock() {
    ringLock_.unlock();
}

size_t SoundBuffer::pull(float* destination, size_t frames) {
    std::lock_guard guard(ringLock_);
    if (!playing() || ring_.empty()) return 0;
    const uint32_t inChannels = std::max<uint32_t>(1, format_.channels);
    const uint32_t sampleBytes = frameBytes_ / inChannels;
    const auto outChannels = static_cast<uint32_t>(output_.channels) / spreadChannels_;
    uint32_t cursor = playCursor_.load(std::memory_order_relaxed);
    if (sampleBytes == 2 && inChannels == outChannels && frameBytes_ == 2 * inChannels) {
        // The common case, without a conversion per sample: 16-bit samples
        // whose channels are the output's.
        for (size_t done = 0; done < frames;) {
            const size_t run = std::min<size_t>(frames - done, (size() - cursor) / frameBytes_);
            const size_t n = run * inChannels;
            const uint8_t* p = ring_.data() + cursor;
            float* d = destination + done * inChannels;
            for (size_t i = 0; i < n; ++i) {
                int16_t v;
                std::memcpy(&v, p + 2 * i, 2);
                d[i] = static_cast<float>(v) * (1.0f / 32768.0f);
            }
            done += run;
            cursor += static_cast<uint32_t>(run) * frameBytes_;
            if (cursor >= size()) cursor = 0;
        }
        playCursor_.store(cursor, std::memory_order_release);
        return frames;
    }
    float in[8];
    for (size_t f = 0; f < frames; ++f) {
        const uint8_t* frame = ring_.data() + cursor;
        const uint32_t n = std::min<uint32_t>(inChannels, 8);
        for (uint32_t c = 0; c < n; ++c) in[c] = sampleAt(frame + c * sampleBytes, sampleBytes);
        if (outChannels == 1 && n > 1) {
            float s = 0.0f;
            for (uint32_t c = 0; c < n; ++c) s += in[c];
            destination[f] = s / static_cast<float>(n);
        } else {
            for (uint32_t c = 0; c < outChannels; ++c)
                destination[f * outChannels + c] = in[n == 1 ? 0 : c % n];
        }
        cursor += frameBytes_;
        if (cursor >= size()) cursor = 0;
    }
    playCursor_.store(cursor, std::memory_order_release);
    return frames;
}

void SoundBuffer::mixInto(float* sum, size_t frames) {
    if (!playing()) return;
    const auto ch = static_cast<size_t>(output_.channels);
    while (frames > 0) {
        const size_t block = std::min(frames, AudioMixer::kBlockFrames);
        size_t got = 0;
        const size_t spread = spreadChannels_;
        if (resampler_) {
            got = resampler_->read(converted_.data(), block, [this](float* d, size_t n) {
                return pull(d, std::min<size_t>(n, kPullFrames));
            });
        } else {
            for (size_t done = 0; done < block;) {
                const size_t n = pull(converted_.data() + done * ch,
                                      std::min<size_t>(block - done, kPullFrames));
                if (n == 0) break;
                done += n;
                got = done;
            }
        }
        // Read after the ring, so a fade's latest value counts at once.
        const float gain = attenuationGain(volume()) * playerGain_.load(std::memory_order_acquire);
        if (gain > 0.0f && spread == 1) {
            for (size_t i = 0; i < got * ch; ++i) sum[i] += gain * converted_[i];
        } else if (gain > 0.0f) {
            for (size_t f = 0; f < got; ++f)
                for (size_t c = 0; c < ch; ++c) sum[f * ch + c] += gain * converted_[f];
        }
        if (got < block) return;
        sum += block * ch;
        frames -= block;
    }
}

} // namespace fer

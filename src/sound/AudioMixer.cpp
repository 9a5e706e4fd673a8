#include "sound/AudioMixer.h"

#include <algorithm>
#include <cmath>

namespace fer {

AudioMixer::AudioMixer() {
    buffers_.reserve(kMaxBuffers);
}

void AudioMixer::setOutputFormat(const AudioFormat& format) {
    std::lock_guard guard(lock_);
    hasOutput_ = true;
    format_ = format;
}

bool AudioMixer::hasOutput() const {
    std::lock_guard guard(lock_);
    return hasOutput_;
}

AudioFormat AudioMixer::outputFormat() const {
    std::lock_guard guard(lock_);
    return format_;
}

std::shared_ptr<SoundBuffer> AudioMixer::createBuffer(const WaveFormat& format, uint32_t bytes) {
    const uint16_t bits = format.bitsPerSample;
    if (format.formatTag != kWaveFormatPcm || format.channels < 1 || format.channels > 8 ||
        (bits != 8 && bits != 16 && bits != 24 && bits != 32) || format.samplesPerSec < 1000 ||
        format.samplesPerSec > 384000 || bytes < format.frameBytes())
        return nullptr;
    AudioFormat output;
    std::shared_ptr<const ResamplerFilter> filter;
    {
        std::lock_guard guard(lock_);
        if (!hasOutput_ || buffers_.size() >= kMaxBuffers) return nullptr;
        output = format_;
        for (const auto& f : filters_)
            if (f->inputRate == static_cast<int>(format.samplesPerSec) &&
                f->outputRate == output.sampleRate)
                filter = f;
    }
    // Rings of one rate share their coefficients (made outside the lock).
    auto buffer = std::make_shared<SoundBuffer>(format, bytes, output, filter);
    std::lock_guard guard(lock_);
    if (!filter && buffer->filter() && filters_.size() < kMaxFilters)
        filters_.push_back(buffer->filter());
    buffers_.push_back(buffer);
    return buffer;
}

void AudioMixer::remove(const std::shared_ptr<SoundBuffer>& buffer) {
    std::lock_guard guard(lock_);
    std::erase(buffers_, buffer);
}

void AudioMixer::render(std::span<int16_t> out, const AudioFormat& format) {
    size_t count = 0;
    {
        std::lock_guard guard(lock_);
        if (hasOutput_ && format == format_) {
            count = buffers_.size();
            std::copy(buffers_.begin(), buffers_.end(), snapshot_.begin());
        }
    }
    const auto channels = static_cast<size_t>(std::max(1, format.channels));
    const size_t frames = out.size() / channels;
    if (sum_.size() < kBlockFrames * channels) sum_.resize(kBlockFrames * channels);
    for (size_t done = 0; done < frames;) {
        const size_t block = std::min(kBlockFrames, frames - done);
        std::fill(sum_.begin(), sum_.begin() + static_cast<std::ptrdiff_t>(block * channels), 0.0f);
        for (size_t b = 0; b < count; ++b) snapshot_[b]->mixInto(sum_.data(), block);
        // One clip, after the sum.
        int16_t* o = out.data() + done * channels;
        for (size_t i = 0; i < block * channels; ++i) {
            const float v = std::clamp(sum_[i] * 32768.0f, -32768.0f, 32767.0f);
            o[i] = static_cast<int16_t>(std::lrintf(v));
        }
        done += block;
    }
    // A part frame at the end (never asked for by an output) stays silent.
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(frames * channels), out.end(), int16_t{0});
    for (size_t b = 0; b < count; ++b) snapshot_[b].reset();
}

} // namespace fer

#include "sound/SoundTrack.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "sound/PriorityScope.h"
#include "sound/VolumeScale.h"

namespace fer {

namespace ts = track_status;

namespace {
constexpr int32_t kHighestPriority = 2;
constexpr uint32_t kFadeSteps = 50;
} // namespace

SoundTrack::SoundTrack(AudioMixer& mixer, const std::atomic<bool>& active,
                       PeriodicThread::Log log)
    : mixer_(mixer), active_(active),
      streamer_({.onStart = {}, .step = [this] { step(); }, .onEnd = [this] { stopNow(); }},
                std::move(log)) {}

SoundTrack::~SoundTrack() {
    streamer_.stop();
    if (buffer_) mixer_.remove(buffer_);
}

bool SoundTrack::prepare(std::shared_ptr<const ByteSource> file) {
    // A region that could not be reserved leaves no bit of its own.
    if (!stream_.open(std::move(file))) {
        if (!failures().any()) failures().set(kFailCommit);
        return false;
    }
    if (stream_.prepareOutput(kWaveFormatPcm, 0, 0, 0) != 0 || stream_.decodedBase() == nullptr) {
        if (!failures().any()) failures().set(kFailCommit);
        return false;
    }
    const WaveFormat& format = stream_.outputFormat();
    frameBytes_ = std::max(1u, format.frameBytes());
    const uint64_t second = uint64_t{format.samplesPerSec} * frameBytes_;
    buffer_ = second * kRingSeconds <= 0x7FFFFFFF
                  ? mixer_.createBuffer(format, static_cast<uint32_t>(second * kRingSeconds))
                  : nullptr;
    if (!buffer_) {
        // No output to play on, or nothing it can play: the track fails
        // rather than play forever in silence.
        failures().set(kFailDevice);
        return false;
    }
    chunkBytes_ = static_cast<uint32_t>(second);
    bufferSize_ = buffer_->size();
    scratch_.resize(chunkBytes_);
    buffer_->setPlayerGain(playerGain_);
    return true;
}

void SoundTrack::setStatus(uint32_t status) {
    status_ = status;
    statusCopy_.store(status, std::memory_order_release);
}

int SoundTrack::startPlayback(uint32_t flags) {
    std::lock_guard guard(lock_);
    if (!(status_ & ts::kStreaming)) {
        setStatus(0);
        loopIndex_ = -1;
        loopRemaining_ = 0;
        draining_ = false;
        drainLeft_ = 0;
        wholeSound();
        const size_t loops = stream_.loops().size();
        if (loops == 0 && !(flags & ts::kNoAutoEnd)) flags |= ts::kEndAfterData;
        setStatus(flags);
        if (loops != 0 && (flags & ts::kLoop)) firstSegment();
        while (refill() != 0) {
        }
        if (!threadStarted_) {
            threadStarted_ = streamer_.start(kStreamPeriodMs, PeriodicThread::kWaitForever);
            streamer_.setPriority(kHighestPriority);
        }
        setStatus(status_ | ts::kStreaming);
    }
    if (!buffer_) return -1;
    setStatus(status_ | ts::kPlaying);
    return buffer_->play();
}

void SoundTrack::stopNow() {
    std::lock_guard guard(lock_);
    stopNowLocked();
}

void SoundTrack::stopNowLocked() {
    if (buffer_) buffer_->stop();
    wholeSound();
    loopIndex_ = -1;
    loopRemaining_ = 0;
    draining_ = false;
    drainLeft_ = 0;
    setStatus(0);
}

void SoundTrack::stopWithFade(uint32_t ms) {
    if (ms == 0) {
        stopNow();
        return;
    }
    const int stage = pushStage();
    fadeStage(stage, 0, ms);
    stopNow();
    popStage(stage);
}

void SoundTrack::wholeSound() {
    segmentStart_ = 0;
    segmentLength_ = stream_.decodedSize();
    segmentPos_ = 0;
}

bool SoundTrack::loopSegment(size_t index) {
    const auto& loops = stream_.loops();
    if (index >= loops.size()) return false;
    const uint64_t frames = stream_.decodedSize() / frameBytes_;
    const uint64_t first = std::min<uint64_t>(loops[index].start, frames);
    const uint64_t end = std::min<uint64_t>(uint64_t{loops[index].end} + 1, frames);
    segmentStart_ = static_cast<uint32_t>(first * frameBytes_);
    segmentLength_ = end > first ? static_cast<uint32_t>((end - first) * frameBytes_) : 0;
    segmentPos_ = 0;
    loopIndex_ = static_cast<int>(index);
    // A loop with nothing in it passes once, whatever its count says.
    loopRemaining_ = segmentLength_ == 0 ? 1 : loops[index].playCount;
    return true;
}

void SoundTrack::firstSegment() {
    const SampleLoop& loop0 = stream_.loops().front();
    const uint64_t frames = stream_.decodedSize() / frameBytes_;
    if (loop0.start > 0) {
        const uint64_t end = std::min<uint64_t>(loop0.start, frames);
        segmentStart_ = 0;
        segmentLength_ = static_cast<uint32_t>(end * frameBytes_);
        segmentPos_ = 0;
        loopIndex_ = -1;
        loopRemaining_ = 1;
    } else {
        loopSegment(0);
    }
}

void SoundTrack::advanceLoop() {
    if (loopRemaining_ == 0) return; // endless
    if (loopRemaining_-- > 1) return;
    ++loopIndex_;
    if (!loopSegment(static_cast<size_t>(loopIndex_))) {
        // After the last loop's repetitions: the sound ends.
        segmentStart_ = stream_.decodedSize();
        segmentLength_ = 0;
        segmentPos_ = 0;
        loopRemaining_ = 1;
        setStatus(status_ | ts::kEndAfterData);
    }
}

uint32_t SoundTrack::freeSpace() const {
    uint32_t play = 0;
    uint32_t write = 0;
    buffer_->position(play, write);
    if (writePos_ < play) return play - writePos_;
    if (write <= writePos_) return bufferSize_ + play - writePos_;
    return 0;
}

uint32_t SoundTrack::writeData() {
    const uint32_t chunk = std::min(segmentLength_ - segmentPos_, chunkBytes_);
    if (chunk == 0 || chunk >= freeSpace()) return 0;
    // The decoded bytes are made present before the ring is locked, so the
    // lock is held for a copy only. A copy that fails leaves silence.
    const std::span<uint8_t> data(scratch_.data(), chunk);
    if (!stream_.readDecoded(uint64_t{segmentStart_} + segmentPos_, data))
        std::memset(data.data(), buffer_->silenceByte(), data.size());
    const SoundBuffer::Locked parts = buffer_->lock(writePos_, chunk);
    std::memcpy(parts.first.data(), data.data(), parts.first.size());
    std::memcpy(parts.second.data(), data.data() + parts.first.size(), parts.second.size());
    buffer_->unlock();
    writePos_ = static_cast<uint32_t>((uint64_t{writePos_} + chunk) % bufferSize_);
    segmentPos_ = static_cast<uint32_t>((uint64_t{segmentPos_} + chunk) % segmentLength_);
    return chunk;
}

uint32_t SoundTrack::writeSilence() {
    const uint32_t chunk = chunkBytes_;
    if (chunk >= freeSpace()) return 0;
    const SoundBuffer::Locked parts = buffer_->lock(writePos_, chunk);
    std::memset(parts.first.data(), buffer_->silenceByte(), parts.first.size());
    std::memset(parts.second.data(), buffer_->silenceByte(), parts.second.size());
    buffer_->unlock();
    writePos_ = static_cast<uint32_t>((uint64_t{writePos_} + chunk) % bufferSize_);
    return chunk;
}

uint32_t SoundTrack::refill() {
    if (!buffer_ || stream_.decodedBase() == nullptr) return 0;
    uint32_t n = 0;
    if (draining_) {
        n = writeSilence();
    } else {
        n = writeData();
        // An empty segment counts as complete, or it would never end.
        if (segmentLength_ != 0 && (n == 0 || segmentPos_ != 0)) return n;
    }
    if (status_ & ts::kLoop) advanceLoop();
    if (!(status_ & ts::kEndAfterData)) return n;
    if (!draining_) {
        // One ring of silence after the last data: the last chunk of it is
        // written when the play cursor reaches the data's end.
        draining_ = true;
        drainLeft_ = bufferSize_;
        return n;
    }
    drainLeft_ -= std::min(n, drainLeft_);
    if (drainLeft_ == 0) stopNowLocked();
    return n;
}

void SoundTrack::step() {
    std::lock_guard guard(lock_);
    if (failures().any()) {
        if (status_ != 0) stopNowLocked();
        return;
    }
    if (status_ & ts::kStreaming) refill();
    if (buffer_ && (status_ & ts::kPauseInactive)) {
        const bool active = active_.load(std::memory_order_acquire);
        if (active && (status_ & ts::kPausedInactive)) {
            setStatus(status_ & ~ts::kPausedInactive);
            buffer_->play();
        } else if (!active && !(status_ & ts::kPausedInactive)) {
            setStatus(status_ | ts::kPausedInactive);
            buffer_->stop();
        }
    }
}

int SoundTrack::pushStage() {
    stages_.push_back(0);
    return static_cast<int>(stages_.size()) - 1;
}

int SoundTrack::popStage(int index) {
    if (index <= 0 || static_cast<size_t>(index) >= stages_.size()) return -1;
    stages_.erase(stages_.begin() + index);
    return index;
}

int32_t SoundTrack::chainValue() const {
    return chainAttenuation(stages_);
}

int32_t SoundTrack::setStage(int index, int32_t attenuation, bool apply) {
    if (index < 0) return buffer_ && buffer_->setVolume(attenuation) == 0 ? attenuation : -1;
    if (static_cast<size_t>(index) >= stages_.size()) return -1;
    stages_[static_cast<size_t>(index)] = attenuation;
    const int32_t value = chainValue();
    if (!apply) return value;
    return buffer_ && buffer_->setVolume(value) == 0 ? value : -1;
}

int32_t SoundTrack::setStageLoudness(int index, int32_t loudness, bool apply) {
    setStage(index, loudnessToAttenuation(loudness), apply);
    return attenuationToLoudness(chainValue());
}

int32_t SoundTrack::fadeStage(int index, int32_t target, uint32_t ms) {
    PriorityScope priority(kHighestPriority);
    int32_t startValue = -1;
    if (index < 0)
        startValue = chainValue();
    else if (static_cast<size_t>(index) < stages_.size())
        startValue = stages_[static_cast<size_t>(index)];
    const int32_t from = attenuationToLoudness(startValue);
    const double delta = static_cast<double>(target) - from;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const Clock::time_point end = start + std::chrono::milliseconds(ms);
    const std::chrono::milliseconds pause(ms / kFadeSteps);
    for (Clock::time_point now = start; now < end; now = Clock::now()) {
        const double fraction =
            std::min(1.0, std::chrono::duration<double, std::milli>(now - start).count() / ms);
        const auto v = static_cast<int32_t>(from + delta * fraction);
        setStage(index, loudnessToAttenuation(v), true);
        if (pause.count() != 0) std::this_thread::sleep_for(pause);
    }
    setStage(index, loudnessToAttenuation(target), true);
    return attenuationToLoudness(chainValue());
}

void SoundTrack::setPlayerGain(float gain) {
    playerGain_ = gain;
    if (buffer_) buffer_->setPlayerGain(gain);
}

} // namespace fer

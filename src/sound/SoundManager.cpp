#include "sound/SoundManager.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <new>

#include "sound/VolumeScale.h"

namespace fer {

namespace {

struct FailureText {
    uint32_t bit;
    const char* text;
};

// In the order that chooses the description: the lowest listed bit set.
constexpr FailureText kFailureTexts[] = {
    {kFailNoMemory, "发生存储器不足了        "},
    {kFailCommit, "发生虚拟存储器不足了        "},
    {kFailHeaderRead, "文件读入错误发生了                  "},
    {kFailConversion, "音频压缩驱动器不能使用                "},
    {kFailDevice, "DirectSound发生错误了            "},
    {kFailBadHeader, "查出了不正当的文件头部            "},
    {kFailUnspecified, "发生没有被特别指定的错误了      "},
};

} // namespace

SoundManager::SoundManager(AudioMixer& mixer, Hooks hooks)
    : mixer_(mixer), hooks_(std::move(hooks)) {}

SoundManager::~SoundManager() {
    for (auto& track : tracks_) track.reset();
}

SoundTrack* SoundManager::track(int channel) {
    return valid(channel) ? tracks_[static_cast<size_t>(channel)].get() : nullptr;
}

float SoundManager::playerGain(int channel) const {
    const int percent = channel == 0 || channel == 1 ? musicPercent_ : voicePercent_;
    return attenuationGain(loudnessToAttenuation(percent * 100));
}

void SoundManager::setPlayerVolumes(int musicPercent, int voicePercent) {
    musicPercent_ = std::clamp(musicPercent, 0, 100);
    voicePercent_ = std::clamp(voicePercent, 0, 100);
    for (int c = 0; c < kChannels; ++c)
        if (SoundTrack* t = track(c)) t->setPlayerGain(playerGain(c));
}

int SoundManager::play(int channel, std::string_view name, bool loop) {
    if (!valid(channel)) return 0;
    if (tracks_[static_cast<size_t>(channel)]) stop(channel);
    auto& slot = tracks_[static_cast<size_t>(channel)];
    slot.reset(new (std::nothrow) SoundTrack(mixer_, active_, hooks_.log));
    noteSlot(channel);
    if (!slot) return 0;
    std::unique_ptr<ByteSource> file =
        hooks_.openStream ? hooks_.openStream(name, channel) : nullptr;
    if (!file) {
        slot.reset();
        noteSlot(channel);
        return 0;
    }
    SoundTrack& t = *slot;
    t.setPlayerGain(playerGain(channel));
    const bool ready = t.prepare(std::shared_ptr<const ByteSource>(std::move(file)));
    if (hooks_.closeStream) hooks_.closeStream(channel);
    if (!ready) return 1; // failed: reported by the next reportFailures
    t.setStageLoudness(0, channel == 0 || channel == 1 ? kMusicLoudness : kOtherLoudness, true);
    t.startPlayback(track_status::kPauseInactive | (loop ? track_status::kLoop : 0));
    return 1;
}

int SoundManager::stop(int channel) {
    SoundTrack* t = track(channel);
    if (!t) return 0;
    if (t->isPlaying()) t->stopWithFade(channel == 0 ? kFirstMusicFadeMs : kShortFadeMs);
    tracks_[static_cast<size_t>(channel)].reset();
    noteSlot(channel);
    return 1;
}

int SoundManager::fadeStop(int channel) {
    SoundTrack* t = track(channel);
    if (!t) return 0;
    if (t->isPlaying()) t->stopWithFade(kLongFadeMs);
    return stop(channel);
}

int SoundManager::isPlaying(int channel) const {
    if (!valid(channel)) return 0;
    const auto& t = tracks_[static_cast<size_t>(channel)];
    return t && t->isPlaying() ? 1 : 0;
}

std::string SoundManager::failureMessage(int channel, uint32_t failures) {
    std::string text;
    for (const FailureText& f : kFailureTexts) {
        if (failures & f.bit) {
            text = f.text;
            break;
        }
    }
    text += "\n不能继续声音的再生        \n";
    text += "详细代码  : ";
    char code[48];
    std::snprintf(code, sizeof code, "Track %d = 0x%08x", channel, failures);
    text += code;
    return text;
}

void SoundManager::reportFailures() {
    // In channel order, over the channels that hold a track as each is
    // reached (a report waits for the player meanwhile).
    for (int c = 0; c < kChannels; ++c) {
        const uint32_t ahead = heldTracks_ >> c;
        if (ahead == 0) return;
        c += std::countr_zero(ahead);
        auto& slot = tracks_[static_cast<size_t>(c)];
        if (!slot) continue;
        const uint32_t failures = slot->failures().value();
        if (failures == 0) continue;
        if (hooks_.showFailure) hooks_.showFailure(failureMessage(c, failures));
        slot.reset();
        noteSlot(c);
    }
}

} // namespace fer

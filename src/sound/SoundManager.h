#pragma once
// The engine's one entry point to sound: 32 channels, each empty or holding
// one track. Channels 0 and 1 play music (looping, loudness 6000), channel 2
// voices (loudness 10000); the others exist as slots. play replaces what a
// channel holds; stop and fadeStop fade it out and delete it; tracks that
// failed are reported once, as a message box each, and deleted. Every
// operation runs on the script thread; fades block it.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/ByteSource.h"
#include "core/SoundControl.h"
#include "sound/AudioMixer.h"
#include "sound/SoundTrack.h"

namespace fer {

class SoundManager : public SoundControl {
  public:
    static constexpr int kChannels = 32;
    static constexpr int32_t kMusicLoudness = 6000;
    static constexpr int32_t kOtherLoudness = 10000;
    static constexpr uint32_t kFirstMusicFadeMs = 300;
    static constexpr uint32_t kShortFadeMs = 30;
    static constexpr uint32_t kLongFadeMs = 1000;

    struct Hooks {
        // The file's bytes for a channel (0, 1 music, 2 voice), or nullptr.
        std::function<std::unique_ptr<ByteSource>(std::string_view name, int channel)> openStream;
        std::function<void(int channel)> closeStream;
        // Shows a failure report and waits for the player.
        std::function<void(const std::string& text)> showFailure;
        PeriodicThread::Log log;
    };

    SoundManager(AudioMixer& mixer, Hooks hooks);
    // Deletes every track in channel order (each stops its thread).
    ~SoundManager() override;
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    // 1 started (failures are reported later), 0 when the file cannot be opened.
    int play(int channel, std::string_view name, bool loop);
    // 0 for an empty channel; else a playing track fades (300 ms on channel
    // 0, 30 ms on the others), and the track is deleted. 1.
    int stop(int channel) override;
    // As stop, with a fade of one second.
    int fadeStop(int channel);
    int isPlaying(int channel) const;
    // Reports and deletes every track whose failure word is not 0.
    void reportFailures() override;

    // Whether the application is in the foreground: tracks started to pause
    // in the background stop within a step of the streaming thread.
    void setApplicationActive(bool active) { active_.store(active, std::memory_order_release); }
    // The player's volumes, 0 to 100 %: music for channels 0 and 1, voice for
    // the others.
    void setPlayerVolumes(int musicPercent, int voicePercent);

    // The report of a failed track: the description of the lowest listed bit,
    // then the fixed lines and the code.
    static std::string failureMessage(int channel, uint32_t failures);

    SoundTrack* track(int channel);

  private:
    static bool valid(int channel) { return channel >= 0 && channel < kChannels; }
    float playerGain(int channel) const;
    // Keeps the channel's bit in heldTracks_ in step with its slot.
    void noteSlot(int channel) {
        const uint32_t bit = uint32_t{1} << channel;
        heldTracks_ = tracks_[static_cast<size_t>(channel)] ? heldTracks_ | bit : heldTracks_ & ~bit;
    }

    AudioMixer& mixer_;
    Hooks hooks_;
    std::atomic<bool> active_{true};
    int musicPercent_ = 100;
    int voicePercent_ = 100;
    std::array<std::unique_ptr<SoundTrack>, kChannels> tracks_;
    // heldTracks_ has a bit per channel: the report of failures looks at
    // the channels that hold a track only.
    static_assert(kChannels <= 32);
};

} // namespace fer

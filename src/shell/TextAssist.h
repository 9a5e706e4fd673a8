#pragma once
// What the engine does for the player at the game's waits: skipping text
// already read and auto mode. Both act only through what the waits already
// ask (the skip key, Shift, the decide key), and only while the player has
// them on, so with both off no script sees a difference.
//
// Skip read text: while the message being shown has been read in any play,
// the engine answers as if Shift were held and the skip key pressed: the
// typing does not wait, the voice stops and the wait for a click ends. It
// switches itself off at unread text and at a choice.
// Auto mode: a wait for a click ends by itself once the message's voice
// has finished, or, without a voice, after a time that grows with the
// message's length. Never at a choice; any key or click leaves it.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "core/MessageListener.h"
#include "files/ReadTextRecord.h"
#include "shell/MessageStream.h"
#include "shell/PlayerSettings.h"

namespace fer {

class TextAssist : public MessageListener {
  public:
    // The fixed part of auto mode's wait for a message without a voice.
    static constexpr uint64_t kAutoBaseMs = 1000;
    // A record file is written at most this often while messages are read
    // (and at shut-down).
    static constexpr uint64_t kWriteEveryMs = 2000;

    struct Hooks {
        std::function<bool()> voicePlaying;
        std::function<uint64_t()> milliseconds;
        std::function<void(const std::string&)> logLine;
    };

    TextAssist(PlayerSettings& settings, const MessageStream& stream, Hooks hooks)
        : settings_(settings), stream_(stream), hooks_(std::move(hooks)) {}

    // Reads the record of what was read (a damaged file is left aside with
    // a log line) and keeps it at this path from now on.
    void load(std::filesystem::path path);
    // Writes the record if it changed since it was last written.
    void save();

    void messageShown(const GameMessage& message) override;
    // A wait for the player begins (after the stream heard of it) and ends.
    void waitBegins(bool choice);
    void waitEnds() {
        waiting_ = false;
        lastVoiced_ = false;
        lastLength_ = 0;
    }

    // Whether the engine acts as if Shift and the skip key were held now.
    bool skipping() const {
        if (!settings_.skipRead()) return false;
        return stream_.pending() ? record_.isRead(stream_.pendingScript(), stream_.pendingAddress())
                                 : lastRead_;
    }
    // Whether auto mode ends the wait now (once per wait).
    bool autoDecides();
    // A key or a click of the player's.
    void playerInput() {
        if (settings_.autoMode()) settings_.setAutoMode(false);
    }

  private:
    PlayerSettings& settings_;
    const MessageStream& stream_;
    Hooks hooks_;
    ReadTextRecord record_;
    std::filesystem::path path_;
    bool dirty_ = false;
    uint64_t lastWrite_ = 0;
    bool lastRead_ = false;   // the last message shown had been read before
    bool lastVoiced_ = false; // and came with a voice
    size_t lastLength_ = 0;   // its characters
    bool waiting_ = false;    // a wait for a click auto mode may end
    uint64_t autoAt_ = 0;     // when it ends without a voice
};

} // namespace fer

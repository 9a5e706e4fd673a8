#pragma once
// The one place where the engine knows "a message": the characters the
// scripts draw between two waits for the player (the wait for a click and
// the choice loop), gathered as the player reads them, with the speaker,
// the voice started for it and where in the scripts it began. When the game
// waits, the message is complete and every listener hears of it.
//
// Lines: a character drawn left of the previous one on its line, or on
// another line, starts a new line. A message also ends without a wait when
// the text starts again above its last line (a fresh message window) or a
// voice starts after its text: both begin the next message.
//
// The speaker: a first line that begins with a short name and a full-width
// colon ("小芳：…") names who speaks; the name and the colon are not part of
// the text. A choice has no speaker.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/BuildVariant.h"
#include "core/GameMessage.h"
#include "core/IconvConverter.h"
#include "core/MessageListener.h"

namespace fer {

class MessageStream {
  public:
    // A message's text is cut at this many bytes, however long the script
    // draws without waiting.
    static constexpr size_t kMaxTextBytes = 8192;
    // The longest name a first line may begin with, in characters.
    static constexpr size_t kMaxSpeakerCharacters = 8;

    // Where a message begins: the running script's name and the address.
    using Locator = std::function<void(std::string& script, uint32_t& address)>;

    explicit MessageStream(const BuildVariant& variant);
    MessageStream(const MessageStream&) = delete;
    MessageStream& operator=(const MessageStream&) = delete;

    void addListener(MessageListener& listener) { listeners_.push_back(&listener); }
    void setLocator(Locator locator) { locator_ = std::move(locator); }

    // A character drawn at (x, y).
    void characterDrawn(uint16_t code, int x, int y);
    // A voice began to play.
    void voiceStarted(std::string_view name);
    // The game waits for the player (a click, or a choice): the message so
    // far is complete. Nothing happens when no text was drawn since the last.
    void playerWaits(bool choice);
    // The text drawn since the last wait, if any: where it began.
    bool pending() const { return !lines_.empty(); }
    const std::string& pendingScript() const { return script_; }
    uint32_t pendingAddress() const { return address_; }

    // The UTF-8 text of one character code; empty when it does not convert
    // or is a control character.
    std::string toUtf8(uint16_t code) const;
    // Splits "name：text" off a first line; false when it names no speaker.
    static bool splitSpeaker(std::string_view line, std::string& speaker, std::string& rest);

  private:
    void finish(bool choice);

    const BuildVariant& variant_;
    mutable IconvConverter converter_; // from the build's code page to UTF-8
    std::vector<MessageListener*> listeners_;
    Locator locator_;
    std::vector<std::string> lines_;
    size_t bytes_ = 0;
    std::string voice_;
    std::string script_;
    uint32_t address_ = 0;
    int lastX_ = -1;
    int lastY_ = -1;
};

} // namespace fer

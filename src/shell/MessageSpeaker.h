#pragma once
// Reads the game's messages aloud through the desktop's speech service, in
// the game's language: the speaker's name, then the text; a choice with the
// number of each item. A message with a voice of its own is left to the
// voice unless the player wants it spoken too. The history asks for a
// message to be read whether speech is on or not.

#include <string>

#include "core/EngineStrings.h"
#include "core/MessageListener.h"
#include "platform/SpeechService.h"

namespace fer {

class MessageSpeaker final : public MessageListener {
  public:
    MessageSpeaker(SpeechService& speech, EngineLanguage language);

    // Off stops what is being spoken.
    void setEnabled(bool on);
    void setOverVoices(bool on) { overVoices_ = on; }
    bool enabled() const { return enabled_; }

    void messageShown(const GameMessage& message) override;
    // Reads the message now, in place of what is being spoken.
    void speakNow(const GameMessage& message);

    // What is said for the message.
    static std::string spokenText(const GameMessage& message);

  private:
    SpeechService& speech_;
    const char* language_; // the speech service's code for the game's language
    bool enabled_ = false;
    bool overVoices_ = false;
};

} // namespace fer

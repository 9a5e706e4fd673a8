#pragma once
// A transcript of the game's messages as UTF-8 lines, one line per message:
// the speaker and the text joined as the player reads them, the line breaks
// inside a message as blanks. Headless runs print it so that a player, a
// translator or a test can read what the game said without a window.

#include <cstdio>
#include <functional>
#include <string>

#include "core/MessageListener.h"

namespace fer {

class TextTranscript : public MessageListener {
  public:
    explicit TextTranscript(std::FILE* out) : out_(out) {}

    void messageShown(const GameMessage& message) override;
    // The message on one line: "SPEAKER：TEXT", or the text alone.
    static std::string oneLine(const GameMessage& message);
    // Every message's line is also handed here.
    void setLineListener(std::function<void(const std::string&)> listener) {
        listener_ = std::move(listener);
    }

  private:
    std::FILE* out_;
    std::function<void(const std::string&)> listener_;
};

} // namespace fer

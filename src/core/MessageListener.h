#pragma once
// Whatever follows the game's messages as they are shown: the transcript,
// the history, speech, the clipboard.

#include "core/GameMessage.h"

namespace fer {

class MessageListener {
  public:
    virtual ~MessageListener() = default;
    // A message is complete and the game now waits for the player.
    virtual void messageShown(const GameMessage& message) = 0;
};

} // namespace fer

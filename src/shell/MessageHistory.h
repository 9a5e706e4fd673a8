#pragma once
// The last messages the player saw, oldest first: the history (backlog).
// Bounded: the oldest message goes when a new one would pass the limit.

#include <cstddef>
#include <deque>

#include "core/MessageListener.h"

namespace fer {

class MessageHistory : public MessageListener {
  public:
    static constexpr size_t kMaxMessages = 500;

    void messageShown(const GameMessage& message) override;
    const std::deque<GameMessage>& messages() const { return messages_; }

  private:
    std::deque<GameMessage> messages_;
};

} // namespace fer

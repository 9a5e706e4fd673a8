#include "shell/MessageHistory.h"

namespace fer {

void MessageHistory::messageShown(const GameMessage& message) {
    if (messages_.size() == kMaxMessages) messages_.pop_front();
    messages_.push_back(message);
}

} // namespace fer

#pragma once
// Puts each message the game shows on the desktop's clipboard as UTF-8, for
// the dictionary and translation tools that watch it: the text alone, a
// choice's items one per line.

#include "core/MessageListener.h"
#include "platform/Platform.h"

namespace fer {

class ClipboardTextHook final : public MessageListener {
  public:
    explicit ClipboardTextHook(Platform& platform) : platform_(platform) {}

    void setEnabled(bool on) { enabled_ = on; }
    bool enabled() const { return enabled_; }

    void messageShown(const GameMessage& message) override {
        if (enabled_ && !message.text.empty()) platform_.setClipboardText(message.text);
    }

  private:
    Platform& platform_;
    bool enabled_ = false;
};

} // namespace fer

#pragma once
// Speech for a build without a speech service: never available, silent.

#include "platform/SpeechService.h"

namespace fer {

class NullSpeechService final : public SpeechService {
  public:
    bool available() const override { return false; }
    std::string whyUnavailable() const override {
        return "this engine was built without speech-dispatcher";
    }
    void say(std::string_view, std::string_view, SpeechPriority) override {}
    void cancel() override {}
};

} // namespace fer

#pragma once
// The desktop's speech service: text spoken with the voice, rate and volume
// the player chose for their screen reader. Asking never waits for the
// service; a service that cannot be reached stays silent.

#include <memory>
#include <string>
#include <string_view>

namespace fer {

enum class SpeechPriority {
    kText,    // replaced by the next text: what the game shows now
    kMessage, // queued after what is being spoken
};

class SpeechService {
  public:
    virtual ~SpeechService() = default;

    // Whether speech can be had; when not, why not (in English).
    virtual bool available() const = 0;
    virtual std::string whyUnavailable() const = 0;
    // Speaks UTF-8 text in the language (an ISO 639-1 code: "zh", "ja").
    virtual void say(std::string_view utf8, std::string_view language,
                     SpeechPriority priority) = 0;
    // Stops what is spoken and drops what waits.
    virtual void cancel() = 0;
};

// The speech-dispatcher service when this build has it, else a silent one.
std::unique_ptr<SpeechService> createSpeechService();

} // namespace fer

#pragma once
// Why the sound output could not be opened, as the platform's sound system
// reports it: the start-up device check chooses the player's message box by
// the reason, never by the wording of the system's text.

#include <cstdint>
#include <string>

namespace fer {

enum class AudioFailureReason : uint8_t {
    kOther,       // any reason not listed here
    kOutOfMemory, // memory ran out while the output was being set up
    kDeviceBusy,  // another program holds the sound device
    kNoDriver,    // no sound system could be started at all
    kNoDevice,    // the sound system runs but offers no output device
};

struct AudioFailure {
    AudioFailureReason reason = AudioFailureReason::kOther;
    std::string text; // the system's own words, for the console
};

} // namespace fer

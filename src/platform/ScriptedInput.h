#pragma once
// Scripted input for headless runs: one event per line, '#' starts a comment.
//   <ms> down KEY | up KEY | press KEY (down, then up 60 ms later)
//   <ms> mouse X Y | close | menu ID | drop PATH | deactivate | activate
//   <ms> screenshot (the player's screenshot key)
//   <ms> wheel up | wheel down (the mouse wheel) | history (as wheel up: opens the history)
//   <ms> type TEXT (typed into the focused text field; the rest of the line)
// <ms> counts from the moment the start script began to run.
// KEY: enter space esc up down left right kp2 kp4 kp6 kp8 ctrl shift lbutton rbutton
//      pgup pgdn
// Numbers outside their range are mistakes, not cut to fit: <ms> 0 to
// kMaxTime, X and Y kMinCoordinate to kMaxCoordinate, ID 0 to kMaxMenuId.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PlatformEvent.h"

namespace fer {

struct TimedEvent {
    uint64_t at = 0; // milliseconds after the start
    PlatformEvent event;
};

class ScriptedInput {
  public:
    static constexpr uint64_t kPressLength = 60;
    static constexpr long long kMaxTime = 2147483647; // about 24.8 days
    static constexpr long long kMinCoordinate = -32768;
    static constexpr long long kMaxCoordinate = 32767;
    static constexpr long long kMaxMenuId = 65535;

    // Parses the whole text; on a mistake returns false with "line N: what" in error.
    bool parse(std::string_view text, std::string& error);

    // Events in time order (stable for equal times).
    const std::vector<TimedEvent>& events() const { return events_; }

  private:
    std::vector<TimedEvent> events_;
};

} // namespace fer

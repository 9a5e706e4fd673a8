#pragma once
// Scripted input, the same for both backends: timed events (alongside the
// player's, in a window) and the --quit-after timer that turns into a close
// request. Times count from start(); the caller passes the clock in. Events
// come in time order. The quit time is a deadline: when it has come, the
// close comes next, before the events that are still waiting.

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/ScriptedInput.h"

namespace fer {

class TimedEventQueue {
  public:
    TimedEventQueue() = default;
    TimedEventQueue(std::vector<TimedEvent> events, std::optional<uint64_t> quitAfterMs);

    void start(uint64_t nowMs);
    bool started() const { return started_; }
    // Nothing more will come: no event left and the quit timer (if any) fired.
    bool finished() const { return next_ >= events_.size() && (!quitAfter_ || quitSent_); }

    // The next event due at nowMs, in time order; the quit timer's close comes
    // once, as soon as the quit time has come. False when none is due.
    bool next(uint64_t nowMs, PlatformEvent& event);

    // Milliseconds from nowMs until the next event or the quit timer is
    // due (0 when one is due already); nullopt when nothing more will come.
    std::optional<uint64_t> untilNext(uint64_t nowMs) const;

    // Whether the quit timer has fired: boxes then take their default answer.
    bool quitting() const { return quitSent_; }

  private:
    std::vector<TimedEvent> events_;
    size_t next_ = 0;
    std::optional<uint64_t> quitAfter_;
    bool quitSent_ = false;
    bool started_ = false;
    uint64_t start_ = 0;
};

} // namespace fer

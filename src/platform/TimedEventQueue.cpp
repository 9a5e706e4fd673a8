#include "platform/TimedEventQueue.h"

namespace fer {

TimedEventQueue::TimedEventQueue(std::vector<TimedEvent> events,
                                 std::optional<uint64_t> quitAfterMs)
    : events_(std::move(events)), quitAfter_(quitAfterMs) {}

void TimedEventQueue::start(uint64_t nowMs) {
    started_ = true;
    start_ = nowMs;
}

bool TimedEventQueue::next(uint64_t nowMs, PlatformEvent& event) {
    if (!started_ || finished()) return false;
    const uint64_t elapsed = nowMs >= start_ ? nowMs - start_ : 0;
    // The quit time is a deadline: once it has come, the close goes before
    // any event still waiting, however late the engine took its events.
    if (quitAfter_ && !quitSent_ && elapsed >= *quitAfter_) {
        quitSent_ = true;
        event = PlatformEvent{};
        event.type = PlatformEvent::Type::kClose;
        return true;
    }
    if (next_ < events_.size() && events_[next_].at <= elapsed) {
        event = events_[next_++].event;
        return true;
    }
    return false;
}

std::optional<uint64_t> TimedEventQueue::untilNext(uint64_t nowMs) const {
    if (!started_ || finished()) return std::nullopt;
    const uint64_t elapsed = nowMs >= start_ ? nowMs - start_ : 0;
    std::optional<uint64_t> due;
    if (next_ < events_.size()) due = events_[next_].at;
    if (quitAfter_ && !quitSent_ && (!due || *quitAfter_ < *due)) due = *quitAfter_;
    if (!due) return std::nullopt;
    return *due > elapsed ? *due - elapsed : 0;
}

} // namespace fer

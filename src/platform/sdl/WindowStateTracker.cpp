#include "platform/sdl/WindowStateTracker.h"

namespace fer {

void WindowStateTracker::become(WindowSize state) {
    if (state == WindowSize::kMinimised && known_ != WindowSize::kMinimised)
        maximisedBeforeMinimise_ = known_ == WindowSize::kMaximised;
    known_ = state;
}

void WindowStateTracker::request(WindowShow show) {
    pending_ = show;
    switch (show) {
    case WindowShow::kRestore:
        become(known_ == WindowSize::kMinimised && maximisedBeforeMinimise_
                   ? WindowSize::kMaximised
                   : WindowSize::kRestored);
        break;
    case WindowShow::kMaximise: become(WindowSize::kMaximised); break;
    case WindowShow::kMinimise: become(WindowSize::kMinimised); break;
    }
}

std::optional<WindowShow> WindowStateTracker::takePending() {
    const std::optional<WindowShow> show = pending_;
    pending_.reset();
    return show;
}

std::optional<WindowSize> WindowStateTracker::reported(WindowSize actual) {
    if (actual == WindowSize::kRestored && known_ == WindowSize::kMinimised &&
        maximisedBeforeMinimise_)
        actual = WindowSize::kMaximised;
    if (actual == known_) return std::nullopt;
    become(actual);
    return actual;
}

} // namespace fer

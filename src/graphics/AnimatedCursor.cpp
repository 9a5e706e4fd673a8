#include "graphics/AnimatedCursor.h"

namespace fer {

void AnimatedCursor::select(uint32_t k) {
    enabled_ = false;
    phase_ = 0;
    // A new cursor starts its turns afresh.
    countdown_ = 0;
    // Image numbers are 16-bit, as the resources are numbered.
    base_ = current_ = static_cast<uint16_t>(kFirstImage + 2 * k);
    show(base_);
    enabled_ = true;
}

void AnimatedCursor::tick() {
    if (!enabled_) return;
    if (countdown_ > 0) {
        --countdown_;
        return;
    }
    // The phases: second image, wait, first image, wait.
    switch (phase_) {
    case 0: show(current_ = static_cast<uint16_t>(base_ + 1)); break;
    case 2: show(current_ = base_); break;
    default: countdown_ = kWait; break;
    }
    phase_ = static_cast<uint8_t>((phase_ + 1) % 4);
}

void AnimatedCursor::show(uint16_t image) {
    if (show_) show_(image);
}

} // namespace fer

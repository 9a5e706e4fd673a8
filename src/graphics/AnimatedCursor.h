#pragma once
// The animated mouse cursor: two images that take turns, each shown for 34
// ticks. Cursor k (0..14) uses images 131 + 2k and 132 + 2k. Whoever owns
// the images shows them (the `show` callback gets the image number).
//
// Threads: main thread only; the shell applies the timer's ticks.

#include <cstdint>
#include <functional>

namespace fer {

class AnimatedCursor {
  public:
    static constexpr uint16_t kFirstImage = 131;
    static constexpr uint16_t kLastImage = 160;
    static constexpr uint8_t kWait = 32;

    explicit AnimatedCursor(std::function<void(uint16_t)> show = {}) : show_(std::move(show)) {}
    void onShow(std::function<void(uint16_t)> show) { show_ = std::move(show); }

    // Cursor k: its first image at once, then the turns on the ticks.
    void select(uint32_t k);
    // The other cursor commands and start-up: the image stays, the turns stop.
    void disable() { enabled_ = false; }
    void tick();

    bool enabled() const { return enabled_; }
    uint16_t base() const { return base_; }
    uint16_t current() const { return current_; }

  private:
    void show(uint16_t image);

    std::function<void(uint16_t)> show_;
    bool enabled_ = false;
    uint16_t base_ = kFirstImage;
    uint16_t current_ = kFirstImage;
    uint8_t phase_ = 0;
    uint8_t countdown_ = 0;
};

} // namespace fer

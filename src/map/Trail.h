#pragma once
// The leader's last 32 positions: every move of a character under player
// control, on a computed path or moved by the map command appends one.
// Followers take their place from it.

#include <array>
#include <cstdint>

namespace fer {

struct TrailEntry {
    uint16_t x = 0, y = 0, pose = 0;
    bool operator==(const TrailEntry&) const = default;
};

class Trail {
  public:
    static constexpr unsigned kLength = 32;

    void fill(TrailEntry e) {
        entries_.fill(e);
        head_ = 0;
    }
    void append(TrailEntry e) {
        entries_[head_] = e;
        head_ = (head_ + 1) % kLength;
    }
    // The entry k places before the head: 1 is the newest.
    TrailEntry before(unsigned k) const {
        return entries_[(head_ + kLength - k % kLength) % kLength];
    }
    unsigned head() const { return head_; }

  private:
    std::array<TrailEntry, kLength> entries_{};
    unsigned head_ = 0;
};

} // namespace fer

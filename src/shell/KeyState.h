#pragma once
// The key-state word: key and mouse-button messages folded into one 16-bit
// word that the engine asks yes-or-no questions by a small key index. Several
// inputs share a bit; releasing any one of them clears it.

#include <cstdint>

namespace fer {

class KeyState {
  public:
    static constexpr uint16_t kUp = 0x0008;
    static constexpr uint16_t kDown = 0x0020;
    static constexpr uint16_t kLeft = 0x0080;
    static constexpr uint16_t kRight = 0x0200;
    static constexpr uint16_t kSkip = 0x1000;
    static constexpr uint16_t kDecide = 0x2000;
    static constexpr uint16_t kCancel = 0x4000;

    // A virtual-key code or a mouse message number.
    void keyPressed(int code) { word_ |= bitFor(code); }
    void keyReleased(int code) { word_ &= static_cast<uint16_t>(~bitFor(code)); }
    void clear() { word_ = 0; }
    uint16_t word() const { return word_; }

    // Queries 0..8, except 6 (the physical Shift key), which the caller answers.
    bool query(int index) const;

    static uint16_t bitFor(int code);

  private:
    uint16_t word_ = 0;
};

} // namespace fer

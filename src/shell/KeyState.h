#pragma once
// The key-state word: key and mouse-button messages folded into one 16-bit
// word that the engine asks yes-or-no questions by a small key index. Several
// inputs share a bit; releasing any one of them clears it.
//
// A press is also latched until a question about its bit is asked, so a tap
// that goes down and up between two questions (while the engine was busy)
// still counts once as a press. Holding a key answers as before.

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
    void keyPressed(int code) {
        const uint16_t bit = bitFor(code);
        word_ |= bit;
        latched_ |= bit;
    }
    void keyReleased(int code) { word_ &= static_cast<uint16_t>(~bitFor(code)); }
    void clear() { word_ = latched_ = 0; }
    // The keys held now.
    uint16_t word() const { return word_; }
    // The presses not asked about yet.
    uint16_t latched() const { return latched_; }

    // Queries 0..8, except 6 (the physical Shift key), which the caller
    // answers: true while held, or once after a press that nobody asked
    // about before its release.
    bool query(int index);
    // The same without taking the latched press.
    bool peek(int index) const;

    static uint16_t bitFor(int code);

  private:
    static uint16_t bitForQuery(int index);

    uint16_t word_ = 0;
    uint16_t latched_ = 0;
};

} // namespace fer

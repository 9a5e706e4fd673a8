#pragma once
// The computed path of an automatic walk. The search runs on a grid 128
// cells wide whose work area holds 19968 cells (156 rows): a map larger than
// that has no path. Each grid cell says whether the walker can stand there.
//
// The search starts at the goal, numbered 0, and walks depth-first towards
// the walker: each move numbers the cell it enters with the next number and
// tries the neighbours in the walker's direction first (the axis with the
// larger distance first, then the other axis towards the walker, then the
// other axis away, then the first axis away). A cell with no free neighbour
// left is marked a dead end and the walk goes back to the cell numbered one
// less. The search ends when it stands beside the walker's cell, or when
// every cell it can reach is a dead end (no path). Each cell is entered at
// most once, so it takes at most twice as many moves as the grid has cells.
//
// The cells of the final chain then point to the cell numbered one less: a
// path never leaves the free cells, and it finds the goal whenever the goal
// can be reached. Directions are the player-control bits: 1 up, 2 left,
// 4 right, 8 down; 0 at the goal; kOffPath anywhere else.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace fer {

class PathFinder {
  public:
    static constexpr int kGridWidth = 128;
    static constexpr int kWorkArea = 19968;
    static constexpr int kGridHeight = kWorkArea / kGridWidth; // 156
    static constexpr uint8_t kOffPath = 0xFF;

    static bool fits(int width, int height) {
        return width > 0 && height > 0 && width <= kGridWidth && height <= kGridHeight;
    }

    // Free cells of the grid (1 = the walker can stand there); the caller
    // fills it for a map width x height cells large before compute().
    void clear() { free_.fill(0); }
    void setFree(int x, int y) { free_[size_t(y) * kGridWidth + size_t(x)] = 1; }

    // False when the map does not fit, a cell lies outside it, or the goal
    // cannot be reached from the start. The start counts as free.
    bool compute(int width, int height, int startX, int startY, int goalX, int goalY);

    uint8_t direction(int x, int y) const {
        if (x < 0 || y < 0 || x >= kGridWidth || y >= kGridHeight) return kOffPath;
        return directions_[size_t(y) * kGridWidth + size_t(x)];
    }
    // Steps from the start to the goal.
    int length() const { return length_; }

  private:
    std::array<uint8_t, kWorkArea> free_{};
    std::array<uint8_t, kWorkArea> directions_{};
    std::array<uint16_t, kWorkArea> state_{};
    std::vector<uint16_t> chain_;
    int length_ = 0;
};

} // namespace fer

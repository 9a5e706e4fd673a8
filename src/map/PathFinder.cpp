#include "map/PathFinder.h"

#include <cstdlib>

namespace fer {

namespace {
constexpr uint16_t kUnvisited = 0;
constexpr uint16_t kBlocked = 1;
constexpr uint16_t kDeadEnd = 2;
constexpr uint16_t kOnChain = 3;

struct Step {
    int dx, dy;
};
constexpr Step kUp{0, -1}, kDown{0, 1}, kLeft{-1, 0}, kRight{1, 0};
} // namespace

bool PathFinder::compute(int width, int height, int startX, int startY, int goalX, int goalY) {
    directions_.fill(kOffPath);
    chain_.clear();
    length_ = 0;
    if (!fits(width, height)) return false;
    auto inMap = [&](int x, int y) { return x >= 0 && y >= 0 && x < width && y < height; };
    if (!inMap(startX, startY) || !inMap(goalX, goalY)) return false;
    auto at = [](int x, int y) { return size_t(y) * kGridWidth + size_t(x); };
    const size_t start = at(startX, startY);
    const size_t goal = at(goalX, goalY);
    if (start == goal) {
        directions_[goal] = 0;
        return true;
    }
    if (!free_[goal]) return false;

    for (int y = 0; y < kGridHeight; ++y)
        for (int x = 0; x < kGridWidth; ++x)
            state_[at(x, y)] = inMap(x, y) && free_[at(x, y)] ? kUnvisited : kBlocked;
    state_[start] = kUnvisited;

    chain_.push_back(static_cast<uint16_t>(goal));
    state_[goal] = kOnChain;
    const long limit = 2L * kWorkArea + 1;
    bool found = false;
    for (long moves = 0; !chain_.empty() && moves < limit; ++moves) {
        const int cx = chain_.back() % kGridWidth, cy = chain_.back() / kGridWidth;
        const int dx = startX - cx, dy = startY - cy;
        const Step towardsX = dx >= 0 ? kRight : kLeft, awayX = dx >= 0 ? kLeft : kRight;
        const Step towardsY = dy >= 0 ? kDown : kUp, awayY = dy >= 0 ? kUp : kDown;
        const bool xFirst = std::abs(dx) > std::abs(dy);
        const Step order[4] = {xFirst ? towardsX : towardsY, xFirst ? towardsY : towardsX,
                               xFirst ? awayY : awayX, xFirst ? awayX : awayY};
        bool moved = false;
        for (const Step& s : order) {
            const int nx = cx + s.dx, ny = cy + s.dy;
            if (!inMap(nx, ny)) continue;
            const size_t n = at(nx, ny);
            if (state_[n] != kUnvisited) continue;
            state_[n] = kOnChain;
            chain_.push_back(static_cast<uint16_t>(n));
            moved = true;
            break;
        }
        if (!moved) {
            state_[chain_.back()] = kDeadEnd;
            chain_.pop_back();
            continue;
        }
        if (chain_.back() == start) {
            found = true;
            break;
        }
    }
    if (!found) {
        chain_.clear();
        return false;
    }
    directions_[goal] = 0;
    for (size_t i = 1; i < chain_.size(); ++i) {
        const int fx = chain_[i] % kGridWidth, fy = chain_[i] / kGridWidth;
        const int tx = chain_[i - 1] % kGridWidth, ty = chain_[i - 1] / kGridWidth;
        uint8_t bit = 0;
        if (tx > fx)
            bit = 4;
        else if (tx < fx)
            bit = 2;
        else if (ty > fy)
            bit = 8;
        else
            bit = 1;
        directions_[chain_[i]] = bit;
    }
    length_ = static_cast<int>(chain_.size()) - 1;
    return true;
}

} // namespace fer

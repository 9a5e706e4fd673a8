#include "map/Walkers.h"

#include <algorithm>

#include "core/KeyIndex.h"
#include "map/MapMessages.h"

namespace fer {

namespace bit = direction_bit;

namespace {

struct Delta {
    int dx, dy;
};

Delta delta(int direction) {
    switch (direction) {
    case Walkers::kUp: return {0, -1};
    case Walkers::kDown: return {0, 1};
    case Walkers::kLeft: return {-1, 0};
    default: return {1, 0};
    }
}

bool vertical(int direction) {
    return direction == Walkers::kUp || direction == Walkers::kDown;
}

bool overlap(int a0, int a1, int b0, int b1) {
    return a0 <= b1 && b0 <= a1;
}

// Code types.
constexpr uint8_t kTurn = 1;
constexpr uint8_t kStepUp = 2, kStepDown = 3, kStepLeft = 4, kStepRight = 5;
constexpr uint8_t kFollow = 6;
constexpr uint8_t kRandom = 7;
constexpr uint8_t kPose = 8;
constexpr uint8_t kWait = 9;
constexpr uint8_t kReservedFirst = 10, kReservedLast = 12;
constexpr uint8_t kPath = 13;
constexpr uint8_t kPlayer = 14;
constexpr uint8_t kFastPath = 15;

} // namespace

void Walkers::fail(const char* title, const char* text) {
    if (!state_.failed) host_.fatalError(title, text);
    state_.failed = true;
}

bool Walkers::wall(const MapData& data, int x, int y) const {
    return data.cell(x, y, state_.width, state_.height).wall();
}

int Walkers::blocker(const MapData& data, int index, int x, int y, int w, int h,
                     int direction) const {
    const int bottom = y + h - 1, right = x + w - 1;
    for (int j = 0; j < data.objectCount(); ++j) {
        if (j == index) continue;
        const MapObject b = data.object(j);
        if (!(b.flags() & MapObject::kSolid)) continue;
        const int bx = b.x(), by = b.y();
        const int bRight = bx + b.width() - 1, bBottom = by + b.height() - 1;
        bool blocks = false;
        switch (direction) {
        case kUp: blocks = bBottom == y && overlap(x, right, bx, bRight); break;
        case kDown: blocks = by == bottom && overlap(x, right, bx, bRight); break;
        case kLeft: blocks = bRight == x - 1 && overlap(y, bottom, by, bBottom); break;
        default: blocks = bx == right + 1 && overlap(y, bottom, by, bBottom); break;
        }
        if (blocks) return j;
    }
    return -1;
}

namespace {
// Whether a step from (x, y) stays inside a map width x height cells large.
bool inside(int x, int y, int w, int h, int direction, int width, int height) {
    switch (direction) {
    case Walkers::kUp: return y > 0;
    case Walkers::kDown: return y + h < height;
    case Walkers::kLeft: return x > 0;
    default: return x + w < width;
    }
}
} // namespace

namespace {
// The lower part of a character is its bottom row: a step is stopped by a
// wall in any cell that row enters.
template <typename WallAt>
bool entersWall(int x, int y, int width, int height, int direction, const WallAt& wallAt) {
    const int feet = y + height - 1;
    switch (direction) {
    case Walkers::kUp:
    case Walkers::kDown: {
        const int row = direction == Walkers::kUp ? feet - 1 : feet + 1;
        for (int c = x; c < x + width; ++c)
            if (wallAt(c, row)) return true;
        return false;
    }
    case Walkers::kLeft: return wallAt(x - 1, feet);
    default: return wallAt(x + width, feet);
    }
}
} // namespace

bool Walkers::freeStep(const MapData& data, int index, int x, int y, int direction) const {
    const MapObject o = data.object(index);
    const int w = o.width(), h = o.height();
    if (!inside(x, y, w, h, direction, state_.width, state_.height)) return false;
    auto wallAt = [&](int cx, int cy) { return wall(data, cx, cy); };
    if ((o.flags() & MapObject::kStoppedByWalls) && entersWall(x, y, w, h, direction, wallAt))
        return false;
    if ((o.flags() & MapObject::kStoppedByObjects) &&
        blocker(data, index, x, y, w, h, direction) >= 0)
        return false;
    return true;
}

uint16_t Walkers::moveOne(const MapData& data, int index, int direction) {
    if (index < 0 || index >= data.objectCount()) return kBlocked;
    MapObject o = data.object(index);
    const uint8_t flags = o.flags();
    const int x = o.x(), y = o.y(), w = o.width(), h = o.height();
    direction &= 3;
    const uint8_t phase = o.pose() & 3;
    o.setPose(static_cast<uint8_t>((direction << 2) | phase));
    if (!inside(x, y, w, h, direction, state_.width, state_.height)) return kBlocked;
    if (flags & MapObject::kStoppedByObjects) {
        const int b = blocker(data, index, x, y, w, h, direction);
        if (b >= 0) return static_cast<uint16_t>(b << 8);
    }
    int moveDirection = direction;
    auto wallAt = [&](int cx, int cy) { return wall(data, cx, cy); };
    if ((flags & MapObject::kStoppedByWalls) && entersWall(x, y, w, h, direction, wallAt)) {
        if (state_.noSlide) return kBlocked;
        // Around the corner: one cell sideways, when that cell is free and
        // the way on in the first direction is open from there.
        const int sides[2][2] = {{kRight, kLeft}, {kUp, kDown}};
        const int* order = sides[vertical(direction) ? 0 : 1];
        bool slid = false;
        for (int i = 0; i < 2 && !slid; ++i) {
            const Delta s = delta(order[i]);
            if (freeStep(data, index, x, y, order[i]) &&
                inside(x + s.dx, y + s.dy, w, h, direction, state_.width, state_.height) &&
                !entersWall(x + s.dx, y + s.dy, w, h, direction, wallAt)) {
                moveDirection = order[i];
                slid = true;
            }
        }
        if (!slid) return kBlocked;
    }
    const Delta d = delta(moveDirection);
    const int nx = x + d.dx, ny = y + d.dy;
    o.setX(static_cast<uint16_t>(nx));
    o.setY(static_cast<uint16_t>(ny));
    o.setPose(static_cast<uint8_t>((direction << 2) | ((phase + 1) & 3)));
    if (flags & MapObject::kViewFollows) follow(data, o, nx, ny, moveDirection);
    return kDone;
}

void Walkers::follow(const MapData&, MapObject& o, int x, int y, int direction) {
    MapView& v = state_.view;
    const int w = o.width(), h = o.height();
    switch (direction) {
    case kUp:
        if (y - v.originY < v.marginTop && v.originY > 0) {
            --v.originY;
            state_.scrollDirection |= direction_bit::kUp;
        }
        break;
    case kDown:
        if (y + h - 1 - v.originY >= v.height - v.marginBottom &&
            v.originY + v.height < state_.height) {
            ++v.originY;
            state_.scrollDirection |= direction_bit::kDown;
        }
        break;
    case kLeft:
        if (x - v.originX < v.marginLeft && v.originX > 0) {
            --v.originX;
            state_.scrollDirection |= direction_bit::kLeft;
        }
        break;
    default:
        if (x + w - 1 - v.originX >= v.width - v.marginRight &&
            v.originX + v.width < state_.width) {
            ++v.originX;
            state_.scrollDirection |= direction_bit::kRight;
        }
        break;
    }
}

uint16_t Walkers::moveAndRecord(const MapData& data, int index, int direction) {
    const uint16_t r = moveOne(data, index, direction);
    if (r == kDone) {
        const MapObject o = data.object(index);
        state_.trail.append({o.x(), o.y(), o.pose()});
    }
    return r;
}

uint16_t Walkers::moveByBits(const MapData& data, int index, uint8_t bits) {
    switch (bits) {
    case bit::kUp: return moveAndRecord(data, index, Walkers::kUp);
    case bit::kLeft: return moveAndRecord(data, index, Walkers::kLeft);
    case bit::kRight: return moveAndRecord(data, index, Walkers::kRight);
    case bit::kDown: return moveAndRecord(data, index, Walkers::kDown);
    case bit::kUp | bit::kLeft:
    case bit::kUp | bit::kRight:
    case bit::kDown | bit::kLeft:
    case bit::kDown | bit::kRight: {
        // Vertical first without sliding round corners, then horizontal.
        state_.noSlide = true;
        const uint16_t first =
            moveOne(data, index, (bits & bit::kUp) ? Walkers::kUp : Walkers::kDown);
        state_.noSlide = false;
        const uint16_t second =
            moveOne(data, index, (bits & bit::kLeft) ? Walkers::kLeft : Walkers::kRight);
        if (first != kDone && second != kDone) return second;
        const MapObject o = data.object(index);
        state_.trail.append({o.x(), o.y(), o.pose()});
        return kDone;
    }
    default: return kDone; // nothing held, or directions that cancel out
    }
}

uint8_t Walkers::playerBits(const MapData&, const MapObject& o) {
    if (!host_.keyDown(key::kAny)) {
        uint8_t bits = 0;
        if (host_.keyDown(key::kUp)) bits |= bit::kUp;
        if (host_.keyDown(key::kLeft)) bits |= bit::kLeft;
        if (host_.keyDown(key::kRight)) bits |= bit::kRight;
        if (host_.keyDown(key::kDown)) bits |= bit::kDown;
        return bits;
    }
    // While decide is held the pointer steers, against the character's
    // rectangle on screen.
    int px = 0, py = 0;
    host_.pointerPosition(px, py);
    const MapView& v = state_.view;
    constexpr int kCell = 16;
    if (px < v.left * kCell || py < v.top * kCell || px >= (v.left + v.width) * kCell ||
        py >= (v.top + v.height) * kCell)
        return 0;
    int left = (v.left + o.x() - v.originX) * kCell;
    int top = (v.top + o.y() - v.originY) * kCell;
    const int right = left + o.width() * kCell, bottom = top + o.height() * kCell;
    if (left < 2 * kCell) left = 0;
    if (top < 2 * kCell) top = 0;
    uint8_t bits = 0;
    if (py < top) bits |= bit::kUp;
    if (py >= bottom) bits |= bit::kDown;
    if (px < left) bits |= bit::kLeft;
    if (px >= right) bits |= bit::kRight;
    return bits;
}

uint16_t Walkers::playerStep(const MapData& data, int index) {
    if (host_.keyDown(key::kCancel)) return kCancelled;
    const MapObject o = data.object(index);
    return moveByBits(data, index, playerBits(data, o));
}

uint16_t Walkers::pathStep(const MapData& data, int index, bool& walkEnded) {
    // Only the walker of the automatic walk has a path; anyone else waits.
    if (!state_.autoWalk || state_.walker != index) return kDone;
    const MapObject o = data.object(index);
    const uint8_t bits = path_.direction(o.x(), o.y());
    if (bits == 0 || bits == PathFinder::kOffPath) {
        endWalk(data);
        walkEnded = true;
        return kDone;
    }
    const uint16_t r = moveByBits(data, index, bits);
    if (r == kDone && state_.stepBudget > 0) --state_.stepBudget;
    return r;
}

void Walkers::readNextCode(const MapData& data, MapObject& o) {
    uint8_t code = data.code(o.pc());
    o.setPc(static_cast<uint16_t>(o.pc() + 1));
    if (code == 0) {
        // The end of the program: it starts again from the program table.
        const uint16_t entry = data.programEntry(o.program());
        code = data.code(entry);
        o.setPc(static_cast<uint16_t>(entry + 1));
        if (code == 0) {
            // An empty program: the object waits a step.
            o.setType(0);
            o.setCount(1);
            return;
        }
    }
    o.setType(code >> 4);
    o.setCount(static_cast<uint8_t>((code & 0x0F) + 1));
}

uint16_t Walkers::runCode(const MapData& data, int index, bool& walkEnded) {
    MapObject o = data.object(index);
    // Codes that last one step keep their n in the count (n + 1).
    const uint8_t n = static_cast<uint8_t>((o.count() - 1) & 0x0F);
    switch (o.type()) {
    case kTurn: o.setPose(static_cast<uint8_t>((n & 3) << 2)); return kDone;
    case kStepUp: return moveOne(data, index, kUp);
    case kStepDown: return moveOne(data, index, kDown);
    case kStepLeft: return moveOne(data, index, kLeft);
    case kStepRight: return moveOne(data, index, kRight);
    case kFollow: {
        const TrailEntry e = state_.trail.before(2u * n + 1);
        o.setX(e.x);
        o.setY(e.y);
        o.setPose(static_cast<uint8_t>(e.pose));
        return kDone;
    }
    case kRandom: fail(map_message::kMoveErrorTitle, map_message::kRandomMoveMissing); return kDone;
    case kPose: o.setPose(n); return kDone;
    case kWait: return kDone;
    case kPath: return pathStep(data, index, walkEnded);
    case kPlayer: return playerStep(data, index);
    case kFastPath: {
        o.setType(kPath);
        const int steps = std::max<int>(state_.stepBudget, 1);
        uint16_t r = kDone;
        for (int i = 0; i < steps && !walkEnded; ++i) {
            // Only the last of the quick steps gives the scroll direction.
            state_.scrollDirection = 0;
            r = pathStep(data, index, walkEnded);
            if (r != kDone) break;
        }
        return r;
    }
    default:
        if (o.type() >= kReservedFirst && o.type() <= kReservedLast)
            fail(map_message::kMoveErrorTitle, map_message::kReservedCode);
        return kDone; // type 0: nothing this step
    }
}

uint16_t Walkers::step(const MapData& data, int index) {
    MapObject o = data.object(index);
    if (o.count() == 0) readNextCode(data, o);
    bool walkEnded = false;
    const uint16_t r = runCode(data, index, walkEnded);
    if (state_.failed || walkEnded) return kDone;
    if (r != kDone) return r; // blocked or cancelled: the count stays
    const uint8_t type = o.type();
    if (type == kTurn || type == kFollow || type == kPose)
        o.setCount(0);
    else if (o.count() != MapObject::kEndless && o.count() > 0)
        o.setCount(static_cast<uint8_t>(o.count() - 1));
    // Every step that went through (a wait or a turn too) arms the check.
    if (state_.triggerMode == 2 && (o.flags() & MapObject::kTracked)) state_.armed = true;
    return kDone;
}

uint16_t Walkers::stepAll(const MapData& data) {
    state_.scrollDirection = 0;
    uint16_t result = kDone;
    for (int i = 0; i < data.objectCount() && !state_.failed; ++i) {
        const uint8_t flags = data.object(i).flags();
        if (flags == 0) continue;
        const uint16_t r = step(data, i);
        if (flags & MapObject::kTracked) result = r;
    }
    return result;
}

void Walkers::startPrograms(const MapData& data) {
    for (int i = 0; i < data.objectCount(); ++i) {
        MapObject o = data.object(i);
        const uint16_t entry = data.programEntry(o.program());
        o.setPc(static_cast<uint16_t>((entry & 0xFF) + 1));
        const uint8_t code = data.code(entry);
        o.setType(code >> 4);
        o.setCount(static_cast<uint8_t>((code & 0x0F) + 1));
    }
}

void Walkers::startProgram(const MapData& data, int index, unsigned program) {
    if (state_.autoWalk || index < 0 || index >= data.objectCount()) return;
    MapObject o = data.object(index);
    o.setProgram(static_cast<uint8_t>(program));
    const uint16_t entry = data.programEntry(program & 0xFF);
    o.setPc(entry);
    const uint8_t code = data.code(entry);
    o.setType(code >> 4);
    o.setCount(static_cast<uint8_t>((code & 0x0F) + 1));
}

uint16_t Walkers::triggerCheck(const MapData& data) {
    if (!state_.armed) return 0xFFFF;
    uint16_t found = Trigger::kEnd;
    for (int i = 0; i < data.objectCount(); ++i) {
        const MapObject o = data.object(i);
        if (!(o.flags() & MapObject::kTracked)) continue;
        // The footprint: the object's columns, its rows from y + 1 down (a
        // character one cell high: its own row).
        const int x0 = o.x(), x1 = o.x() + o.width() - 1;
        const int y1 = o.y() + o.height() - 1;
        const int y0 = o.height() > 1 ? o.y() + 1 : o.y();
        for (int n = 0; n < MapData::kMaxTriggers; ++n) {
            const Trigger t = data.trigger(n);
            if (t.id == Trigger::kEnd) break;
            if (t.x1 <= x1 && t.x2 >= x0 && t.y1 <= y1 && t.y2 >= y0 &&
                ((t.directions >> o.facing()) & 1)) {
                found = t.id;
                break;
            }
        }
        break;
    }
    switch (state_.triggerMode) {
    case 2: state_.armed = false; return found;
    case 3: return found;
    default:
        if (found == state_.lastTrigger) return 0xFFFF;
        state_.lastTrigger = found;
        return found;
    }
}

void Walkers::startWalk(const MapData& data, int index, int goalX, int goalY) {
    if (index < 0 || index >= data.objectCount()) return;
    endWalk(data);
    const int W = state_.width, H = state_.height;
    if (!PathFinder::fits(W, H)) return;
    MapObject o = data.object(index);
    const int w = o.width(), h = o.height();
    path_.clear();
    for (int y = 0; y + h <= H; ++y) {
        for (int x = 0; x + w <= W; ++x) {
            bool free = true;
            for (int c = x; c < x + w && free; ++c) free = !wall(data, c, y + h - 1);
            if (free) path_.setFree(x, y);
        }
    }
    if (!path_.compute(W, H, o.x(), o.y(), goalX, goalY)) return;
    state_.savedFlags = o.flags();
    state_.savedType = o.type();
    state_.savedCount = o.count();
    o.setFlags(MapObject::kVisible | MapObject::kViewFollows);
    o.setType(kPath);
    o.setCount(MapObject::kEndless);
    state_.autoWalk = 255;
    state_.walker = index;
    state_.stepBudget = static_cast<uint16_t>(path_.length());
}

void Walkers::endWalk(const MapData& data) {
    if (!state_.autoWalk) return;
    MapObject o = data.object(state_.walker);
    o.setFlags(state_.savedFlags);
    o.setType(state_.savedType);
    o.setCount(state_.savedCount);
    state_.autoWalk = 0;
    if (state_.triggerMode != 0) state_.armed = true;
}

void Walkers::takeTrailPlace(const MapData& data, int index, unsigned behind) {
    if (index < 0 || index >= data.objectCount()) return;
    MapObject o = data.object(index);
    const TrailEntry e = state_.trail.before(behind % Trail::kLength + 1);
    o.setX(e.x);
    o.setY(e.y);
    o.setPose(static_cast<uint8_t>(e.pose));
}

} // namespace fer

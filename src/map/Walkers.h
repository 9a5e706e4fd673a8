#pragma once
// The characters of the map: each runs a movement program of one-byte codes
// (high nibble type, low nibble n; a code lasts n + 1 steps, a 0 byte starts
// the program again), moves one cell at a time under the rules of walls,
// bounds and solid characters, scrolls the view it is followed by, obeys the
// player, follows the leader's trail or walks a computed path.
//
// Results of a step: 0xFFFF done, 0xFFFE the player cancelled, 0 blocked
// (by a wall or the edge, or by object 0), index << 8 blocked by that object.

#include <cstdint>

#include "core/ScriptMemory.h"
#include "map/MapData.h"
#include "map/MapHost.h"
#include "map/MapState.h"
#include "map/PathFinder.h"

namespace fer {

class Walkers {
  public:
    static constexpr uint16_t kDone = 0xFFFF;
    static constexpr uint16_t kCancelled = 0xFFFE;
    static constexpr uint16_t kBlocked = 0;
    // Move directions of moveOne and facings.
    enum Direction { kUp = 0, kDown = 1, kLeft = 2, kRight = 3 };

    Walkers(MapState& state, MapHost& host) : state_(state), host_(host) {}

    // One step of every object with flags; the result of the last tracked
    // one, 0xFFFF if none.
    uint16_t stepAll(const MapData& data);
    uint16_t step(const MapData& data, int index);

    void startPrograms(const MapData& data);
    void startProgram(const MapData& data, int index, unsigned program);

    // Moves object index one cell; kDone or a blocked result.
    uint16_t moveOne(const MapData& data, int index, int direction);
    // moveOne, and on success the new position goes to the trail.
    uint16_t moveAndRecord(const MapData& data, int index, int direction);

    // The id of the trigger under the tracked object, or 0xFFFF.
    uint16_t triggerCheck(const MapData& data);

    // Map op 15: computes the path of object index to (goalX, goalY) and
    // starts the walk, or leaves the walk off when there is no path.
    void startWalk(const MapData& data, int index, int goalX, int goalY);
    // Map op 16.
    void endWalk(const MapData& data);
    // Map op 20: object index takes the trail entry `behind` steps behind
    // the leader.
    void takeTrailPlace(const MapData& data, int index, unsigned behind);

    const PathFinder& path() const { return path_; }

  private:
    uint16_t runCode(const MapData& data, int index, bool& walkEnded);
    void readNextCode(const MapData& data, MapObject& o);
    uint16_t playerStep(const MapData& data, int index);
    uint8_t playerBits(const MapData& data, const MapObject& o);
    // One step along the computed path; walkEnded when the goal was reached.
    uint16_t pathStep(const MapData& data, int index, bool& walkEnded);
    uint16_t moveByBits(const MapData& data, int index, uint8_t bits);

    bool wall(const MapData& data, int x, int y) const;
    // The first solid object that blocks a move of object index from
    // (x, y) in direction, or -1.
    int blocker(const MapData& data, int index, int x, int y, int w, int h, int direction) const;
    // Whether object `index` can take one unhindered step in direction from
    // (x, y): inside the map, no wall entered (when walls stop it), no solid
    // object in the way (when objects stop it).
    bool freeStep(const MapData& data, int index, int x, int y, int direction) const;
    void follow(const MapData& data, MapObject& o, int x, int y, int direction);
    void fail(const char* title, const char* text);

    MapState& state_;
    MapHost& host_;
    PathFinder path_;
};

} // namespace fer

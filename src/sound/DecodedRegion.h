#pragma once
// The decoded sound of a track seen through a bounded region: 64 KB units,
// at most 1 MB committed, a second chance 256 KB behind the newest unit. A
// unit is decoded when it is first touched, by the function given at
// reservation.

#include <cstdint>
#include <functional>

#include "sound/BoundedRegion.h"

namespace fer {

class DecodedRegion : public BoundedRegion {
  public:
    static constexpr uint64_t kUnit = 0x10000;
    static constexpr uint64_t kLimit = 0x100000;
    static constexpr uint64_t kLag = 0x40000;

    using Decode = std::function<void(uint8_t* unit, size_t length)>;

    // Reserves size bytes; null when nothing could be reserved. The decode
    // function writes every byte of the unit it is given.
    uint8_t* open(uint64_t size, Decode decode);

  protected:
    void produceUnit(uint8_t* unit) override;
    bool producesWholeUnit() const override { return true; }

  private:
    Decode decode_;
};

} // namespace fer

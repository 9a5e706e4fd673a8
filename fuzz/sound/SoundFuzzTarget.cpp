#include "SoundFuzzTarget.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "core/ByteSource.h"
#include "sound/WaveStream.h"

namespace fer::fuzz {

namespace {

class InputSource : public ByteSource {
  public:
    InputSource(const uint8_t* data, size_t size) : bytes_(data, data + size) {}
    uint64_t size() const override { return bytes_.size(); }
    size_t readAt(uint64_t offset, std::span<uint8_t> destination) const override {
        if (offset >= bytes_.size()) return 0;
        const size_t n = std::min<uint64_t>(destination.size(), bytes_.size() - offset);
        std::memcpy(destination.data(), bytes_.data() + offset, n);
        return n;
    }

  private:
    std::vector<uint8_t> bytes_;
};

constexpr uint64_t kFirstUnits = 48;
constexpr uint64_t kLastUnits = 16;

} // namespace

bool waveStream(const uint8_t* data, size_t size, std::optional<size_t> request) {
    // The output format the player's device asks for: as the source, the
    // source's channels and rate in each sample size the decoder delivers, or
    // a format it has to refuse (conversions of channels and rate are the
    // mixer's); unless told, the input's length picks it.
    struct Request {
        uint16_t tag, channels;
        uint32_t rate;
        uint16_t bits;
    };
    static constexpr Request kRequests[kWaveRequests] = {
        {1, 0, 0, 0}, {1, 0, 0, 8}, {1, 0, 0, 16}, {1, 0, 0, 24}, {1, 0, 0, 32}, {1, 7, 96001, 16}};
    const Request& r = kRequests[request.value_or(size) % kWaveRequests];
    WaveStream stream;
    if (!stream.open(std::make_shared<InputSource>(data, size))) return false;
    if (stream.prepareOutput(r.tag, r.channels, r.rate, r.bits) != 0) return false;
    DecodedRegion& region = stream.decodedRegion();
    const uint64_t units = region.size() / region.unitSize();
    volatile uint64_t sum = 0; // the bytes are read, not optimised away
    for (uint64_t u = 0; u < units; ++u) {
        if (u == kFirstUnits && units > kFirstUnits + kLastUnits) u = units - kLastUnits;
        uint8_t byte = 0;
        const uint8_t* at = region.base() + u * region.unitSize() + region.unitSize() - 1;
        if (region.copyOut(at, std::span<uint8_t>(&byte, 1))) sum = sum + byte;
    }
    return true;
}

} // namespace fer::fuzz

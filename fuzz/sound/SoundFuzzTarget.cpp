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

int waveStream(const uint8_t* data, size_t size) {
    // The output format the player's device asks for: as the source, or one
    // of the formats a converter has to reach; the input's length picks it.
    struct Request {
        uint16_t tag, channels;
        uint32_t rate;
        uint16_t bits;
    };
    static constexpr Request kRequests[] = {{1, 0, 0, 0},       {1, 2, 44100, 16},
                                            {1, 1, 22050, 8},   {1, 2, 48000, 24},
                                            {1, 1, 11025, 32},  {3, 2, 44100, 32},
                                            {1, 2, 0, 16}};
    const Request& r = kRequests[size % std::size(kRequests)];
    WaveStream stream;
    if (!stream.open(std::make_shared<InputSource>(data, size))) return 0;
    if (stream.prepareOutput(r.tag, r.channels, r.rate, r.bits) != 0) return 0;
    DecodedRegion& region = stream.decodedRegion();
    const uint64_t units = region.size() / region.unitSize();
    uint64_t sum = 0;
    for (uint64_t u = 0; u < units; ++u) {
        if (u == kFirstUnits && units > kFirstUnits + kLastUnits) u = units - kLastUnits;
        uint8_t byte = 0;
        const uint8_t* at = region.base() + u * region.unitSize() + region.unitSize() - 1;
        if (region.copyOut(at, std::span<uint8_t>(&byte, 1))) sum += byte;
    }
    return sum == 0xFFFFFFFFFFFFFFFF ? 1 : 0;
}

} // namespace fer::fuzz

#include "files/LzssEncoder.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "files/Lzss.h"

namespace fer {
namespace {

using namespace lzss;

// How far back a reference may reach. The decoder reads a byte before it
// writes the next one, so 4095 is safe; the ring position about to be
// written is never referenced.
constexpr uint32_t kWindow = kRingSize - 1;
constexpr uint32_t kHashBits = 15;
constexpr uint32_t kHashSize = 1u << kHashBits;
constexpr uint32_t kLiteralCost = 9;
constexpr uint32_t kReferenceCost = 17;

uint32_t hash3(const uint8_t* p) {
    uint32_t v = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                 static_cast<uint32_t>(p[2]) << 16;
    return (v * 2654435761u) >> (32 - kHashBits);
}

struct Match {
    uint16_t length = 0;
    uint16_t ringPosition = 0;
};

// Longest match at every input position over the history the decoder sees:
// the ring's cleared bytes, then the input itself.
void findMatches(const std::vector<uint8_t>& history, size_t inputSize, uint32_t maxChain,
                 std::vector<Match>& matches) {
    std::vector<int32_t> head(kHashSize, -1);
    std::vector<int32_t> prev(kRingSize, -1);
    const size_t total = history.size();
    const uint8_t* v = history.data();
    size_t inserted = 0;
    auto insertUpTo = [&](size_t end) {
        for (; inserted < end; ++inserted) {
            if (inserted + kMinMatch > total) continue;
            uint32_t h = hash3(v + inserted);
            prev[inserted & kRingMask] = head[h];
            head[h] = static_cast<int32_t>(inserted);
        }
    };
    for (size_t i = 0; i < inputSize; ++i) {
        const size_t cur = kStartPosition + i;
        insertUpTo(cur);
        const uint32_t limit = static_cast<uint32_t>(std::min<size_t>(kMaxMatch, inputSize - i));
        Match best;
        if (limit >= kMinMatch) {
            int32_t candidate = head[hash3(v + cur)];
            uint32_t budget = maxChain;
            while (candidate >= 0 && cur - static_cast<size_t>(candidate) <= kWindow &&
                   budget-- > 0) {
                const uint8_t* a = v + candidate;
                const uint8_t* b = v + cur;
                if (a[best.length] == b[best.length] || best.length == 0) {
                    uint32_t n = 0;
                    while (n < limit && a[n] == b[n]) ++n;
                    if (n > best.length && n >= kMinMatch) {
                        best.length = static_cast<uint16_t>(n);
                        best.ringPosition = static_cast<uint16_t>(candidate & kRingMask);
                        if (n == limit) break;
                    }
                }
                candidate = prev[candidate & kRingMask];
            }
        }
        matches[i] = best;
    }
}

} // namespace

bool LzssEncoder::encode(std::span<const uint8_t> input,
                         std::vector<uint8_t>& output) const noexcept {
    try {
        output.clear();
        const size_t n = input.size();
        if (n > (size_t{1} << 40)) return false;
        std::vector<uint8_t> history(kStartPosition + n, 0);
        if (n > 0) std::memcpy(history.data() + kStartPosition, input.data(), n);
        std::vector<Match> matches(n);
        findMatches(history, n, maxChain_ == 0 ? 1 : maxChain_, matches);

        // Cheapest parse from each position to the end; any prefix of a
        // match is a match too, so every length up to the longest is tried.
        std::vector<uint64_t> cost(n + 1, 0);
        std::vector<uint8_t> take(n, 1);
        for (size_t i = n; i-- > 0;) {
            cost[i] = cost[i + 1] + kLiteralCost;
            take[i] = 1;
            for (uint32_t len = kMinMatch; len <= matches[i].length; ++len) {
                const uint64_t c = cost[i + len] + kReferenceCost;
                if (c < cost[i]) {
                    cost[i] = c;
                    take[i] = static_cast<uint8_t>(len);
                }
            }
        }

        output.reserve(n + n / 8 + 16);
        size_t flagAt = 0;
        uint32_t items = 8;
        for (size_t i = 0; i < n;) {
            if (items == 8) {
                flagAt = output.size();
                output.push_back(0);
                items = 0;
            }
            if (take[i] == 1) {
                output[flagAt] |= static_cast<uint8_t>(1u << items);
                output.push_back(input[i]);
                i += 1;
            } else {
                const uint32_t len = take[i];
                const uint32_t p = matches[i].ringPosition;
                output.push_back(static_cast<uint8_t>(p & 0xFF));
                output.push_back(static_cast<uint8_t>(((p >> 4) & 0xF0) | (len - kMinMatch)));
                i += len;
            }
            ++items;
        }
        return true;
    } catch (const std::bad_alloc&) {
        output.clear();
        return false;
    }
}

} // namespace fer

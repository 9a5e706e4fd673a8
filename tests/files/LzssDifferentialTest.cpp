// The engine's decoder against the plain ring decoder on random streams:
// same bytes, same counts, same overflow, nothing written past what was
// produced, and the same ring tail carried into the next stream.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "SimpleLzss.h"
#include "TestData.h"
#include "files/Lzss.h"
#include "files/LzssEncoder.h"

namespace fer {
namespace {

// A random stream. References lean towards the places that are easy to get
// wrong: the kept tail (4078..4095), just behind the write position (close
// overlaps), and the cleared ring.
std::vector<uint8_t> randomStream(std::mt19937& gen, size_t groups) {
    std::vector<uint8_t> stream;
    uint32_t r = lzss::kStartPosition;
    for (size_t g = 0; g < groups; ++g) {
        const uint32_t style = gen() % 4;
        uint8_t flags = static_cast<uint8_t>(gen());
        if (style == 0) flags = 0xFF;
        if (style == 1) flags = 0x00;
        stream.push_back(flags);
        for (int item = 0; item < 8; ++item) {
            if (flags >> item & 1) {
                stream.push_back(static_cast<uint8_t>(gen()));
                r = (r + 1) & lzss::kRingMask;
                continue;
            }
            uint32_t from = 0;
            switch (gen() % 4) {
            case 0: from = lzss::kStartPosition + gen() % 18; break;
            case 1: from = (r - 1 - gen() % 20) & lzss::kRingMask; break;
            case 2: from = (r - 1 - gen() % 600) & lzss::kRingMask; break;
            default: from = gen() & lzss::kRingMask; break;
            }
            const uint32_t length = gen() % 16;
            stream.push_back(static_cast<uint8_t>(from));
            stream.push_back(static_cast<uint8_t>((from >> 8) << 4 | length));
            r = (r + length + lzss::kMinMatch) & lzss::kRingMask;
        }
    }
    const size_t cut = gen() % 4; // often cut inside a group
    stream.resize(stream.size() - std::min(cut, stream.size()));
    return stream;
}

void expectSameDecoding(LzssDecoder& engine, test::SimpleLzss& simple,
                        const std::vector<uint8_t>& stream, size_t capacity, const char* what) {
    std::vector<uint8_t> got(capacity + 32, 0x5A), want(capacity + 32, 0x5A);
    const LzssResult a = engine.decode(stream, std::span(got.data(), capacity));
    const LzssResult b = simple.decode(stream, std::span(want.data(), capacity));
    ASSERT_EQ(a.produced, b.produced) << what;
    ASSERT_EQ(a.consumed, b.consumed) << what;
    ASSERT_EQ(a.overflow, b.overflow) << what;
    ASSERT_EQ(got, want) << what;
}

TEST(LzssDifferential, RandomStreamsDecodeAsThePlainRingDecoder) {
    std::mt19937 gen(2101);
    LzssDecoder engine;
    test::SimpleLzss simple;
    for (int round = 0; round < 3000; ++round) {
        const std::vector<uint8_t> stream = randomStream(gen, gen() % 700);
        // Mostly room to spare; sometimes the output fills up on the way.
        const size_t capacity = gen() % 3 == 0 ? gen() % 6000 : 20000;
        expectSameDecoding(engine, simple, stream, capacity, "random stream");
        if (HasFatalFailure()) {
            ADD_FAILURE() << "round " << round;
            return;
        }
    }
}

TEST(LzssDifferential, ArbitraryBytesDecodeAsThePlainRingDecoder) {
    std::mt19937 gen(17);
    LzssDecoder engine;
    test::SimpleLzss simple;
    for (int round = 0; round < 2000; ++round) {
        const std::vector<uint8_t> stream = test::randomBytes(gen() % 3000, gen());
        expectSameDecoding(engine, simple, stream, gen() % 9000, "arbitrary bytes");
        if (HasFatalFailure()) return;
    }
}

TEST(LzssDifferential, EncodedDataAfterAPoisonedTail) {
    LzssDecoder engine;
    test::SimpleLzss simple;
    std::mt19937 gen(5);
    for (const std::vector<uint8_t>& data :
         {test::textLike(300000, 3), test::pictureLike(256000, 4), test::randomBytes(9000, 6)}) {
        expectSameDecoding(engine, simple, randomStream(gen, 40), 20000, "poison");
        std::vector<uint8_t> stream;
        LzssEncoder().encode(data, stream);
        expectSameDecoding(engine, simple, stream, data.size(), "encoded");
        // A buffer of exactly the right size still leaves room for nothing more.
        expectSameDecoding(engine, simple, stream, data.size() - 1, "one short");
    }
}

} // namespace
} // namespace fer

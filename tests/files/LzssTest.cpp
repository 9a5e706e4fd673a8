#include "files/Lzss.h"
#include "files/LzssEncoder.h"

#include <gtest/gtest.h>

#include "TestData.h"

namespace fer {
namespace {

std::vector<uint8_t> decodeAll(LzssDecoder& decoder, const std::vector<uint8_t>& stream,
                               size_t capacity = 1 << 20) {
    std::vector<uint8_t> out(capacity);
    LzssResult result = decoder.decode(stream, out);
    EXPECT_FALSE(result.overflow);
    EXPECT_EQ(result.consumed, stream.size());
    out.resize(result.produced);
    return out;
}

std::vector<uint8_t> decodeAll(const std::vector<uint8_t>& stream) {
    LzssDecoder decoder;
    return decodeAll(decoder, stream);
}

std::vector<uint8_t> encode(const std::vector<uint8_t>& input) {
    std::vector<uint8_t> out;
    EXPECT_TRUE(LzssEncoder().encode(input, out));
    return out;
}

// The classic encoder: at each position the longest match in the window
// (ties to the nearest), else a literal. Brute force, for small inputs.
size_t greedyCodedSize(const std::vector<uint8_t>& input) {
    std::vector<uint8_t> v(lzss::kStartPosition, 0);
    v.insert(v.end(), input.begin(), input.end());
    size_t bytes = 0, items = 0;
    for (size_t i = 0; i < input.size();) {
        size_t cur = lzss::kStartPosition + i;
        size_t limit = std::min<size_t>(18, input.size() - i), best = 0;
        for (size_t s = cur > 4095 ? cur - 4095 : 0; s < cur; ++s) {
            size_t n = 0;
            while (n < limit && v[s + n] == v[cur + n]) ++n;
            if (n >= best) best = n;
        }
        if (best >= 3) {
            bytes += 2;
            i += best;
        } else {
            bytes += 1;
            i += 1;
        }
        ++items;
    }
    return bytes + (items + 7) / 8;
}

TEST(LzssDecode, EightLiterals) {
    std::vector<uint8_t> stream = {0xFF, 1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(decodeAll(stream), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(LzssDecode, OverlappingCopyRepeatsWhatItJustWrote) {
    std::vector<uint8_t> stream = {0x01, 'X', 0xEE, 0xF0};
    EXPECT_EQ(decodeAll(stream), (std::vector<uint8_t>{'X', 'X', 'X', 'X'}));
}

TEST(LzssDecode, ClearedRingReadsZeros) {
    std::vector<uint8_t> stream = {0x00, 0x00, 0x0F, 0x34, 0x11}; // 18 zeros, then 4 more
    EXPECT_EQ(decodeAll(stream), std::vector<uint8_t>(22, 0));
}

TEST(LzssDecode, StreamsEndWithTheInputAndDropACutReference) {
    EXPECT_TRUE(decodeAll({}).empty());
    EXPECT_TRUE(decodeAll({0x00}).empty()) << "flag byte alone";
    EXPECT_EQ(decodeAll({0x03, 'a', 'b', 0xEE}), (std::vector<uint8_t>{'a', 'b'}))
        << "reference with only its first byte";
    EXPECT_EQ(decodeAll({0x01, 'a'}), (std::vector<uint8_t>{'a'})) << "group of one item";
    // A full group, then a second group cut inside its reference.
    std::vector<uint8_t> stream = {0xFF, 1, 2, 3, 4, 5, 6, 7, 8, 0x01, 9, 0x00};
    EXPECT_EQ(decodeAll(stream), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(LzssDecode, RingIsClearedPerStreamButTheTailIsKept) {
    LzssDecoder decoder;
    // First stream writes 'A'..: positions 4078.. hold them afterwards; the
    // second stream's reference to position 0 must see a cleared ring.
    decodeAll(decoder, {0x07, 'A', 'B', 'C', 0x00, 0x00});
    EXPECT_EQ(decodeAll(decoder, {0x00, 0x00, 0x00}), std::vector<uint8_t>(3, 0));
    // Positions 4078..4095 are not cleared (a valid stream never reads them first).
    decodeAll(decoder, {0x07, 'A', 'B', 'C'});
    EXPECT_EQ(decodeAll(decoder, {0x00, 0xEE, 0xF0}), (std::vector<uint8_t>{'A', 'B', 'C'}));
}

TEST(LzssDecode, FullOutputStopsWithOverflowAndNothingPastIt) {
    LzssDecoder decoder;
    std::vector<uint8_t> buffer(16, 0xCC);
    std::span<uint8_t> output(buffer.data(), 5);
    // Literal, then an 18-byte reference: only 4 of its bytes fit.
    LzssResult result = decoder.decode(std::vector<uint8_t>{0x01, 'X', 0xEE, 0xFF}, output);
    EXPECT_TRUE(result.overflow);
    EXPECT_EQ(result.produced, 5u);
    EXPECT_EQ(buffer[5], 0xCC);

    result = decoder.decode(std::vector<uint8_t>{0xFF, 1, 2, 3, 4, 5, 6}, output);
    EXPECT_TRUE(result.overflow) << "a sixth literal does not fit";
    EXPECT_EQ(buffer[5], 0xCC);

    result = decoder.decode(std::vector<uint8_t>{0xFF, 1, 2, 3, 4, 5}, output);
    EXPECT_FALSE(result.overflow) << "exactly full is fine";
}

// An output that is not a flat buffer: rows of a picture, bottom-up, with a
// stride wider than the row, as the picture decoder writes them.
class BottomUpRowsSink {
  public:
    BottomUpRowsSink(std::vector<uint8_t>& pixels, size_t width, size_t height, size_t stride)
        : pixels_(pixels), width_(width), height_(height), stride_(stride) {}
    size_t room() const { return width_ * height_ - done_; }
    void put(uint8_t b) {
        size_t row = done_ / width_, column = done_ % width_;
        pixels_[(height_ - 1 - row) * stride_ + column] = b;
        ++done_;
    }

  private:
    std::vector<uint8_t>& pixels_;
    size_t width_, height_, stride_, done_ = 0;
};

TEST(LzssDecode, SameCoreWritesIntoAPictureRectangle) {
    std::vector<uint8_t> source = test::pictureLike(3 * 4, 5);
    std::vector<uint8_t> stream = encode(source);
    std::vector<uint8_t> pixels(8 * 3, 0xEE);
    BottomUpRowsSink sink(pixels, 4, 3, 8);
    LzssDecoder decoder;
    LzssResult result = decoder.decode(stream, sink);
    EXPECT_FALSE(result.overflow);
    for (size_t row = 0; row < 3; ++row) {
        for (size_t x = 0; x < 8; ++x) {
            uint8_t expected = x < 4 ? source[row * 4 + x] : 0xEE;
            EXPECT_EQ(pixels[(2 - row) * 8 + x], expected) << row << "," << x;
        }
    }
}

struct RoundTripCase {
    const char* name;
    std::vector<uint8_t> data;
};

std::vector<RoundTripCase> roundTripCases() {
    std::vector<RoundTripCase> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"one", {42}});
    cases.push_back({"two", {0, 0}});
    cases.push_back({"zeros", std::vector<uint8_t>(10000, 0)});
    cases.push_back({"ones", std::vector<uint8_t>(10000, 1)});
    cases.push_back({"random", test::randomBytes(20000, 1)});
    cases.push_back({"text", test::textLike(50000, 2)});
    cases.push_back({"picture", test::pictureLike(64000, 3)});
    std::vector<uint8_t> period;
    for (int i = 0; i < 30000; ++i) period.push_back(static_cast<uint8_t>(i % 4095));
    cases.push_back({"period4095", period});
    std::vector<uint8_t> far = test::randomBytes(4100, 4);
    std::vector<uint8_t> again(far.begin(), far.begin() + 100);
    far.insert(far.end(), again.begin(), again.end()); // repeats from just beyond the window
    cases.push_back({"farRepeat", far});
    return cases;
}

class LzssRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(LzssRoundTrip, DecodesToTheInput) {
    const auto& data = GetParam().data;
    std::vector<uint8_t> stream = encode(data);
    EXPECT_EQ(decodeAll(stream), data);
}

TEST_P(LzssRoundTrip, NeverReadsTheUnclearedRingTail) {
    // Leave garbage in positions 4078..4095 first: the encoder's streams must
    // not depend on them.
    LzssDecoder decoder;
    std::vector<uint8_t> poison = {0xFF, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5,
                                   0xA5, 0xA5, 0xA5, 0x00, 0xEE, 0xF9};
    decodeAll(decoder, poison);
    const auto& data = GetParam().data;
    EXPECT_EQ(decodeAll(decoder, encode(data)), data);
}

INSTANTIATE_TEST_SUITE_P(Data, LzssRoundTrip, ::testing::ValuesIn(roundTripCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LzssEncode, CompressesRepetitiveData) {
    EXPECT_LT(encode(std::vector<uint8_t>(10000, 7)).size(), 1300u);
    EXPECT_LT(encode(test::textLike(50000, 2)).size(), 50000u / 2);
    EXPECT_LE(encode(test::randomBytes(8000, 9)).size(), 8000u + 1000u);
}

TEST(LzssEncode, NeverLargerThanTheGreedyEncoder) {
    for (uint32_t seed = 0; seed < 3; ++seed) {
        for (auto data : {test::textLike(6000, seed), test::pictureLike(6000, seed),
                          test::randomBytes(3000, seed)}) {
            EXPECT_LE(encode(data).size(), greedyCodedSize(data)) << "seed " << seed;
        }
    }
}

TEST(LzssEncode, ShortChainStillRoundTrips) {
    std::vector<uint8_t> data = test::textLike(20000, 8);
    std::vector<uint8_t> stream;
    ASSERT_TRUE(LzssEncoder(4).encode(data, stream));
    EXPECT_EQ(decodeAll(stream), data);
}

} // namespace
} // namespace fer

// Every encoding decoded by the stream beside sox's own decoding of the same
// file, sample by sample.

#include <gtest/gtest.h>

#include <cstdlib>

#include "SoundTestSupport.h"

namespace fer::test {
namespace {

class SoxDecode : public ::testing::TestWithParam<SoxEncoding> {};

TEST_P(SoxDecode, MatchesSoxSampleBySample) {
    const SoxEncoding& e = GetParam();
    ScratchDir dir;
    const auto wav = dir / "in.wav";
    ASSERT_TRUE(makeSoxWave(wav, e, 2.3)) << "sox could not write " << e.name;
    const auto reference = soxDecode16(wav, dir / "ref.raw");
    ASSERT_TRUE(reference.has_value());

    auto file = std::make_shared<FileSource>(wav);
    WaveStream stream;
    ASSERT_TRUE(stream.open(file));
    ASSERT_EQ(stream.prepareOutput(1, 0, 0, 16), 0) << std::hex << stream.failures().value();
    EXPECT_EQ(stream.failures().value(), 0u);
    EXPECT_EQ(stream.outputFormat().bitsPerSample, 16);
    EXPECT_EQ(stream.outputFormat().channels, e.channels);
    EXPECT_EQ(stream.outputFormat().samplesPerSec, static_cast<uint32_t>(e.rate));
    const Bytes ours = decodeAll(stream);
    ASSERT_EQ(ours.size() % 2, 0u);
    const size_t count = ours.size() / 2;
    // The stream ends where "fact" says; sox decodes a block codec's last
    // block whole. Without "fact" both see the same frames.
    if (stream.factFrames() != 0) {
        EXPECT_EQ(count, size_t{stream.factFrames()} * static_cast<size_t>(e.channels));
        ASSERT_GE(reference->size(), count) << e.name;
        EXPECT_LT(reference->size() - count, size_t{stream.sourceFormat().blockAlign} * 4);
    } else {
        ASSERT_EQ(count, reference->size()) << e.name;
    }
    const int tolerance = e.exact ? 0 : 1;
    size_t differing = 0;
    for (size_t i = 0; i < count; ++i) {
        const auto v = static_cast<int16_t>(ours[2 * i] | ours[2 * i + 1] << 8);
        const int diff = std::abs(int{v} - int{(*reference)[i]});
        if (diff > tolerance && ++differing < 5)
            ADD_FAILURE() << e.name << " sample " << i << ": " << v << " vs " << (*reference)[i];
    }
    EXPECT_EQ(differing, 0u);
    // The sound is not silence: the comparison compared something.
    size_t loud = 0;
    for (int16_t s : *reference) loud += std::abs(int{s}) > 1000;
    EXPECT_GT(loud, count / 4);
}

INSTANTIATE_TEST_SUITE_P(Encodings, SoxDecode, ::testing::ValuesIn(soxEncodings()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace fer::test

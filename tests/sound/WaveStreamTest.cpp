// Output format choice, decoded sizes, silence at the end, blocks converted
// once, and the failures of preparing a stream.

#include <gtest/gtest.h>

#include "SoundTestSupport.h"

namespace fer::test {
namespace {

const SoxEncoding& encoding(const std::string& name) {
    for (const SoxEncoding& e : soxEncodings())
        if (name == e.name) return e;
    throw std::invalid_argument(name);
}

// Renames a chunk so that the walk no longer finds it.
void hideChunk(Bytes& file, const char* id) {
    const auto body = findChunk(file, id);
    ASSERT_TRUE(body.has_value()) << id;
    std::copy_n("xxxx", 4, file.begin() + static_cast<long>(*body - 8));
}

TEST(WaveStream, IdenticalPcmFormatsPassThroughUnchanged) {
    ScratchDir dir;
    // "wavpcm" keeps deep PCM in the plain PCM tag rather than the extensible one.
    const std::vector<SoxEncoding> plain = {
        encoding("u8"),
        encoding("s16"),
        {"s24", "-e signed-integer -b 24 -t wavpcm", 2, 8000, true},
        {"s32", "-e signed-integer -b 32 -t wavpcm", 1, 16000, true}};
    for (const SoxEncoding& e : plain) {
        const char* name = e.name;
        const auto wav = dir / (std::string(name) + ".wav");
        ASSERT_TRUE(makeSoxWave(wav, e, 1.7));
        const Bytes file = readFile(wav);
        WaveStream stream;
        ASSERT_TRUE(stream.open(memory(file)));
        ASSERT_EQ(stream.prepareOutput(1, 0, 0, 0), 0) << name;
        EXPECT_EQ(stream.sourceFormat().formatTag, kWaveFormatPcm) << name;
        EXPECT_EQ(stream.outputFormat().toBytes(), stream.sourceFormat().toBytes()) << name;
        const auto body = findChunk(file, "data");
        ASSERT_TRUE(body.has_value());
        const Bytes data(file.begin() + static_cast<long>(*body),
                         file.begin() + static_cast<long>(*body + u32At(file, *body - 4)));
        EXPECT_EQ(stream.decodedSize(), data.size()) << name;
        EXPECT_TRUE(decodeAll(stream) == data) << name;
    }
}

TEST(WaveStream, FactSizesACompressedFileExactlyAndWithoutItTheBitRatesDo) {
    ScratchDir dir;
    for (const char* name : {"imaadpcm", "msadpcm", "gsm", "mulaw"}) {
        const SoxEncoding& e = encoding(name);
        const auto wav = dir / (std::string(name) + ".wav");
        ASSERT_TRUE(makeSoxWave(wav, e, 1.3));
        Bytes file = readFile(wav);
        const auto fact = findChunk(file, "fact");
        ASSERT_TRUE(fact.has_value()) << name;
        WaveStream stream;
        ASSERT_TRUE(stream.open(memory(file)));
        ASSERT_EQ(stream.prepareOutput(1, 0, 0, 0), 0) << name;
        EXPECT_EQ(stream.outputFormat().bitsPerSample, 16);
        EXPECT_EQ(stream.factFrames(), u32At(file, *fact));
        EXPECT_EQ(stream.decodedSize(),
                  u32At(file, *fact) * 2u * static_cast<uint32_t>(e.channels));

        hideChunk(file, "fact");
        WaveStream scaled;
        ASSERT_TRUE(scaled.open(memory(file)));
        const WaveFormat& f = stream.sourceFormat();
        const uint64_t sourceRate = uint64_t{f.bitsPerSample} * f.channels * f.samplesPerSec;
        if (sourceRate == 0) {
            // GSM states 0 bits per sample: nothing to scale by.
            EXPECT_EQ(scaled.prepareOutput(1, 0, 0, 0), -1) << name;
            EXPECT_EQ(scaled.failures().value(), uint32_t{kFailBadHeader}) << name;
            continue;
        }
        ASSERT_EQ(scaled.prepareOutput(1, 0, 0, 0), 0) << name;
        EXPECT_EQ(scaled.factFrames(), 0u);
        const uint64_t outputRate = 16ull * f.channels * f.samplesPerSec;
        EXPECT_EQ(scaled.decodedSize(), uint64_t{scaled.dataSize()} * outputRate / sourceRate)
            << name;
    }
}

TEST(WaveStream, LastUnitEndsInSilence) {
    for (uint16_t bits : {8, 16}) {
        const size_t frames = 70001;
        Bytes samples(frames * 2 * (bits / 8));
        for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<uint8_t>(i % 7 + 1);
        const Bytes file = makeWave({{"fmt ", pcmFormatBody(2, 22050, bits)}, {"data", samples}});
        WaveStream stream;
        ASSERT_TRUE(stream.open(memory(file)));
        ASSERT_EQ(stream.prepareOutput(1, 0, 0, 0), 0);
        DecodedRegion& region = stream.decodedRegion();
        const uint64_t size = stream.decodedSize();
        ASSERT_EQ(size, samples.size());
        ASSERT_GT(region.size(), size);
        Bytes tail(region.size() - size + 8);
        ASSERT_TRUE(region.copyOut(region.base() + size - 8, tail));
        EXPECT_TRUE(std::equal(tail.begin(), tail.begin() + 8, samples.end() - 8));
        const uint8_t silence = bits == 8 ? 0x80 : 0;
        EXPECT_TRUE(std::all_of(tail.begin() + 8, tail.end(), [&](uint8_t b) {
            return b == silence;
        })) << bits;
    }
}

TEST(WaveStream, ABlockAlreadyConvertedIsNotConvertedAgain) {
    // One-second blocks of 88200 bytes against 64 KB units: units 0 and 1
    // both start in block 0.
    const Bytes samples = pcm16Pattern(22050 * 5, 2);
    const Bytes file = makeWave({{"fmt ", pcmFormatBody(2, 22050, 16)}, {"data", samples}});
    WaveStream stream;
    ASSERT_TRUE(stream.open(memory(file)));
    ASSERT_EQ(stream.prepareOutput(1, 0, 0, 0), 0);
    const WaveDecoder* decoder = stream.decoder();
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(decoder->destinationBlock(), 88200u);
    EXPECT_EQ(decoder->sourceBlock(), 88200u);
    EXPECT_EQ(decodeAll(stream), samples);
    // Five blocks, each converted once, though seven units were decoded.
    EXPECT_EQ(stream.decodedRegion().unitsProduced(), 7u);
    EXPECT_EQ(decoder->conversions(), 5u);
}

TEST(WaveStream, ASoundOfAFewFramesASecondIsConvertedInBlocksOfThousandsOfFrames) {
    // Found by the fuzzer: A-law, two channels, one frame a second, a data
    // chunk that claims 1.6 GB. Converted a second (one frame) at a time,
    // the 64 units the fuzz target reads took a million library calls and
    // over a second.
    const Bytes file = {0x52, 0x49, 0x46, 0x46, 0x80, 0x04, 0x00, 0xfe, 0x57, 0x41, 0x56,
                        0x45, 0x66, 0x6d, 0x74, 0x20, 0x12, 0x00, 0x00, 0x00, 0x06, 0x00,
                        0x02, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                        0x16, 0x86, 0x00, 0x00, 0x02, 0x64, 0x61, 0x74, 0x61, 0xff, 0x66,
                        0x61, 0x63, 0x74, 0x04, 0x00, 0xce, 0xe0, 0x66, 0x66, 0xdf, 0x3e};
    WaveStream stream;
    ASSERT_TRUE(stream.open(memory(file)));
    ASSERT_EQ(stream.prepareOutput(1, 2, 0, 16), 0);
    const WaveDecoder* decoder = stream.decoder();
    ASSERT_NE(decoder, nullptr);
    EXPECT_EQ(decoder->framesPerBlock(), 4096u);
    DecodedRegion& region = stream.decodedRegion();
    const uint64_t units = region.size() / region.unitSize();
    ASSERT_GT(units, 64u);
    for (uint64_t u : {uint64_t{0}, uint64_t{1}, units / 2, units - 1}) {
        Bytes unit(region.unitSize());
        ASSERT_TRUE(region.copyOut(region.base() + u * region.unitSize(), unit)) << u;
    }
    // Four units of 64 KB, each four blocks of 4096 frames of 4 bytes.
    EXPECT_LE(decoder->conversions(), 16u);

    // A block of a sound at a real rate stays one second.
    const Bytes slow = makeWave({{"fmt ", pcmFormatBody(1, 8000, 8)}, {"data", Bytes(100, 0x80)}});
    WaveStream eight;
    ASSERT_TRUE(eight.open(memory(slow)));
    ASSERT_EQ(eight.prepareOutput(1, 0, 0, 0), 0);
    EXPECT_EQ(eight.decoder()->framesPerBlock(), 8000u);
}

TEST(WaveStream, RequestsChooseBitsAndLeaveShapeChangesAlone) {
    const Bytes samples = {0x00, 0x80, 0xFF, 0x7F, 0x01, 0x81};
    const Bytes file = makeWave({{"fmt ", pcmFormatBody(2, 11025, 8)}, {"data", samples}});
    WaveStream wide;
    ASSERT_TRUE(wide.open(memory(file)));
    ASSERT_EQ(wide.prepareOutput(0, 0, 0, 16), 0);
    EXPECT_EQ(wide.outputFormat(), WaveFormat::pcm(2, 11025, 16));
    const Bytes decoded = decodeAll(wide);
    ASSERT_EQ(decoded.size(), 12u);
    for (size_t i = 0; i < samples.size(); ++i) {
        const auto v = static_cast<int16_t>(decoded[2 * i] | decoded[2 * i + 1] << 8);
        EXPECT_EQ(v, (samples[i] - 128) * 256);
    }
    for (const WaveFormat& request :
         {WaveFormat::pcm(1, 0, 0), WaveFormat::pcm(0, 44100, 0), WaveFormat::pcm(0, 0, 12)}) {
        WaveStream stream;
        ASSERT_TRUE(stream.open(memory(file)));
        EXPECT_EQ(stream.prepareOutput(request), -1);
        EXPECT_EQ(stream.failures().value(), uint32_t{kFailConversion});
    }
}

TEST(WaveStream, EncodingTheDecoderRefusesFailsWithTheConversionBit) {
    Bytes format = pcmFormatBody(1, 8000, 4);
    format[0] = 0x34;
    format[1] = 0x12;
    put16(format, 0);
    const Bytes file = makeWave({{"fmt ", format}, {"data", Bytes(100, 0x11)}});
    WaveStream stream;
    ASSERT_TRUE(stream.open(memory(file)));
    EXPECT_EQ(stream.prepareOutput(1, 0, 0, 0), -1);
    EXPECT_EQ(stream.failures().value(), uint32_t{kFailConversion});
    EXPECT_NE(stream.decoder()->result(), 0);
}

TEST(WaveStream, ZeroBitRateWithoutFactFailsWithoutDividing) {
    // A PCM-shaped source with a rate of 0 is refused before sizing; a codec
    // that states 0 bits is refused at sizing (see the GSM case above).
    const Bytes file = makeWave({{"fmt ", pcmFormatBody(1, 0, 16)}, {"data", Bytes(10, 0)}});
    WaveStream stream;
    ASSERT_TRUE(stream.open(memory(file)));
    EXPECT_EQ(stream.prepareOutput(1, 0, 0, 0), -1);
    EXPECT_NE(stream.failures().value(), 0u);
}

TEST(WaveStream, PrepareNeedsAnOpenStreamAndRunsOnce) {
    WaveStream stream;
    EXPECT_EQ(stream.prepareOutput(1, 0, 0, 0), -1);
    const Bytes file = makeWave({{"fmt ", pcmFormatBody(1, 8000, 16)}, {"data", Bytes(10, 0)}});
    ASSERT_TRUE(stream.open(memory(file)));
    EXPECT_EQ(stream.prepareOutput(1, 0, 0, 0), 0);
    EXPECT_EQ(stream.prepareOutput(1, 0, 0, 0), -1);
}

} // namespace
} // namespace fer::test

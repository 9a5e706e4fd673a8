// The header check and the chunk walk: what is refused, which chunk wins,
// odd sizes without pad bytes, and files that are shorter than they say.

#include <gtest/gtest.h>

#include "SoundTestSupport.h"
#include "sound/WaveChunks.h"

namespace fer::test {
namespace {

Bytes smplBody(uint32_t declared, const std::vector<SampleLoop>& loops) {
    Bytes b(28, 0);
    put32(b, declared);
    put32(b, 0);
    for (const SampleLoop& l : loops)
        for (uint32_t v : {l.identifier, l.type, l.start, l.end, l.fraction, l.playCount})
            put32(b, v);
    return b;
}

TEST(WaveHeader, FirstChunkNotFmtIsRefusedEvenIfFmtFollows) {
    WaveStream stream;
    EXPECT_FALSE(stream.open(memory(makeWave(
        {{"LIST", Bytes(4, 0)}, {"fmt ", pcmFormatBody(1, 8000, 16)}, {"data", Bytes(8, 1)}}))));
    EXPECT_EQ(stream.failures().value(), uint32_t{kFailBadHeader});
    EXPECT_EQ(stream.prepareOutput(1, 0, 0, 0), -1);
}

TEST(WaveHeader, WrongIdentifiersAndShortFilesAreBadHeaders) {
    Bytes good = makeWave({{"fmt ", pcmFormatBody(1, 8000, 16)}, {"data", Bytes(8, 1)}});
    for (size_t at : {0u, 8u, 12u}) {
        Bytes bad = good;
        bad[at + 1] ^= 0x20;
        WaveStream stream;
        EXPECT_FALSE(stream.open(memory(bad))) << at;
        EXPECT_EQ(stream.failures().value(), uint32_t{kFailBadHeader}) << at;
    }
    WaveStream tiny;
    EXPECT_FALSE(tiny.open(memory(Bytes(good.begin(), good.begin() + 10))));
    EXPECT_EQ(tiny.failures().value(), uint32_t{kFailBadHeader});
    WaveStream good1;
    EXPECT_TRUE(good1.open(memory(good)));
    EXPECT_EQ(good1.fileLength(), good.size());
}

TEST(WaveHeader, UnreadableHeaderSetsTheReadBit) {
    WaveStream stream;
    EXPECT_FALSE(stream.open(std::make_shared<FailingSource>(1000)));
    EXPECT_EQ(stream.failures().value(), uint32_t{kFailHeaderRead});
}

TEST(WaveChunks, OddSizeShiftsTheNextChunkByOneByteLessThanPadding) {
    const Bytes samples = pcm16Pattern(100, 1);
    const Bytes unpadded = makeWave(
        {{"fmt ", pcmFormatBody(1, 8000, 16)}, {"LIST", Bytes(5, 'x'), false}, {"data", samples}});
    WaveStream stream;
    ASSERT_TRUE(stream.open(memory(unpadded)));
    ASSERT_EQ(stream.prepareOutput(1, 0, 0, 0), 0);
    EXPECT_EQ(stream.dataOffset(), 12u + 8 + 16 + 8 + 5 + 8);
    EXPECT_EQ(decodeAll(stream), samples);

    // With a pad byte the next identifier is read one byte early and missed.
    const Bytes padded = makeWave(
        {{"fmt ", pcmFormatBody(1, 8000, 16)}, {"LIST", Bytes(5, 'x'), true}, {"data", samples}});
    WaveStream missed;
    ASSERT_TRUE(missed.open(memory(padded)));
    EXPECT_EQ(missed.prepareOutput(1, 0, 0, 0), -1);
    EXPECT_EQ(missed.failures().value(), uint32_t{kFailBadHeader});
}

TEST(WaveChunks, FirstChunkOfEachIdWins) {
    const Bytes first = pcm16Pattern(50, 2, 1), second = pcm16Pattern(70, 2, 2);
    Bytes fact1, fact2;
    put32(fact1, 11);
    put32(fact2, 22);
    const Bytes file = makeWave({{"fmt ", pcmFormatBody(2, 11025, 16)},
                                 {"fact", fact1},
                                 {"data", first},
                                 {"fmt ", pcmFormatBody(1, 8000, 8)},
                                 {"fact", fact2},
                                 {"data", second},
                                 {"smpl", smplBody(1, {{1, 0, 5, 9, 0, 3}})},
                                 {"smpl", smplBody(1, {{2, 0, 6, 8, 0, 0}})}});
    WaveSource source;
    ASSERT_TRUE(source.open(memory(file), file.size()));
    FailureWord failures;
    const WaveChunks chunks = walkWaveChunks(source, file.size(), failures);
    EXPECT_EQ(failures.value(), 0u);
    ASSERT_TRUE(chunks.format.has_value());
    EXPECT_EQ(chunks.format->channels, 2);
    EXPECT_EQ(chunks.format->samplesPerSec, 11025u);
    EXPECT_EQ(chunks.factFrames, 11u);
    EXPECT_EQ(chunks.dataSize, first.size());
    ASSERT_EQ(chunks.loops.size(), 1u);
    EXPECT_EQ(chunks.loops[0], (SampleLoop{1, 0, 5, 9, 0, 3}));
}

TEST(WaveChunks, PcmFormatCopyIgnoresExtraBytesAndOthersKeepThem) {
    Bytes pcm = pcmFormatBody(1, 8000, 16);
    put16(pcm, 4); // cbSize a PCM format does not have
    put32(pcm, 0xDEADBEEF);
    Bytes other = pcmFormatBody(1, 8000, 16);
    other[0] = 0x34;
    other[1] = 0x12;
    put16(other, 3);
    other.insert(other.end(), {7, 8, 9});
    for (const auto& [body, cb] : {std::pair{pcm, 0}, std::pair{other, 3}}) {
        const Bytes file = makeWave({{"fmt ", body}, {"data", Bytes(4, 0)}});
        WaveSource source;
        ASSERT_TRUE(source.open(memory(file), file.size()));
        FailureWord failures;
        const WaveChunks chunks = walkWaveChunks(source, file.size(), failures);
        ASSERT_TRUE(chunks.format.has_value());
        EXPECT_EQ(chunks.format->cbSize, cb);
        EXPECT_EQ(chunks.format->extra.size(), static_cast<size_t>(cb));
        if (cb == 3) {
            EXPECT_EQ(chunks.format->extra, (Bytes{7, 8, 9}));
        }
    }
}

TEST(WaveChunks, LoopsAreOnlyThoseTheChunkHolds) {
    const Bytes file =
        makeWave({{"fmt ", pcmFormatBody(1, 8000, 16)},
                  {"smpl", smplBody(5, {{1, 0, 10, 20, 0, 2}, {2, 0, 30, 40, 0, 0}})},
                  {"data", Bytes(4, 0)}});
    WaveStream stream;
    ASSERT_TRUE(stream.open(memory(file)));
    ASSERT_EQ(stream.prepareOutput(1, 0, 0, 0), 0);
    EXPECT_TRUE(stream.hasLoops());
    ASSERT_EQ(stream.loops().size(), 2u);
    EXPECT_EQ(stream.loops()[1], (SampleLoop{2, 0, 30, 40, 0, 0}));
}

TEST(WaveChunks, NoDataOrEmptyDataOrNoWalkableFormatFails) {
    for (const Bytes& file :
         {makeWave({{"fmt ", pcmFormatBody(1, 8000, 16)}, {"LIST", Bytes(4, 0)}}),
          makeWave({{"fmt ", pcmFormatBody(1, 8000, 16)}, {"data", {}}}),
          // RIFF size ends the walk before "data".
          makeWave({{"fmt ", pcmFormatBody(1, 8000, 16)}, {"data", Bytes(8, 0)}}, 4 + 8 + 16)}) {
        WaveStream stream;
        ASSERT_TRUE(stream.open(memory(file)));
        EXPECT_EQ(stream.prepareOutput(1, 0, 0, 0), -1);
        EXPECT_EQ(stream.failures().value(), uint32_t{kFailBadHeader});
    }
}

TEST(WaveChunks, FileShorterThanItsRiffSizeReadsAsZerosPastItsEnd) {
    const Bytes samples = pcm16Pattern(40000, 2); // 160000 bytes, past two units
    Bytes file = makeWave({{"fmt ", pcmFormatBody(2, 22050, 16)}, {"data", samples}});
    const size_t keep = file.size() - 70000;
    file.resize(keep);
    WaveStream stream;
    ASSERT_TRUE(stream.open(memory(file)));
    EXPECT_EQ(stream.fileLength(), keep + 70000);
    ASSERT_EQ(stream.prepareOutput(1, 0, 0, 0), 0);
    ASSERT_EQ(stream.decodedSize(), samples.size());
    const Bytes decoded = decodeAll(stream);
    EXPECT_EQ(stream.failures().value(), 0u);
    const size_t present = keep - stream.dataOffset();
    EXPECT_TRUE(
        std::equal(decoded.begin(), decoded.begin() + static_cast<long>(present), samples.begin()));
    EXPECT_TRUE(std::all_of(decoded.begin() + static_cast<long>(present), decoded.end(),
                            [](uint8_t b) { return b == 0; }));
    // The file's own region too.
    uint8_t past[16];
    std::fill(std::begin(past), std::end(past), 0xAA);
    ASSERT_TRUE(stream.waveSource().read(keep + 100, past));
    EXPECT_TRUE(std::all_of(std::begin(past), std::end(past), [](uint8_t b) { return b == 0; }));
}

TEST(WaveChunks, HugeRiffSizeOnATinyFileEndsPromptly) {
    Bytes file =
        makeWave({{"fmt ", pcmFormatBody(1, 8000, 16)}, {"data", Bytes(6, 0)}}, 0xFFFFFFF0);
    WaveStream stream;
    ASSERT_TRUE(stream.open(memory(file)));
    EXPECT_EQ(stream.prepareOutput(1, 0, 0, 0), 0);
    EXPECT_EQ(stream.decodedSize(), 6u);
    // The largest RIFF size wraps the length to 0: the file's own size is used.
    Bytes wrapped =
        makeWave({{"fmt ", pcmFormatBody(1, 8000, 16)}, {"data", Bytes(6, 0)}}, 0xFFFFFFF8);
    WaveStream wrap;
    ASSERT_TRUE(wrap.open(memory(wrapped)));
    EXPECT_EQ(wrap.fileLength(), 0u);
    EXPECT_EQ(wrap.waveSource().length(), wrapped.size());
    EXPECT_EQ(wrap.prepareOutput(1, 0, 0, 0), 0);
}

} // namespace
} // namespace fer::test

// The wave fuzz entry point over files made by sox in every encoding and
// mutated: every input is opened, prepared and decoded or refused without
// touching memory outside its buffers (the sanitizer build checks that).

#include <gtest/gtest.h>

#include <random>

#include "SoundFuzzTarget.h"
#include "SoundTestSupport.h"

namespace fer::test {
namespace {

TEST(SoundFuzzRun, GeneratedAndMutatedWaveFiles) {
    ScratchDir dir;
    std::vector<Bytes> seeds;
    for (const SoxEncoding& e : soxEncodings()) {
        const auto wav = dir / (std::string(e.name) + ".wav");
        ASSERT_TRUE(makeSoxWave(wav, e, 0.05)) << e.name;
        seeds.push_back(readFile(wav));
    }
    Bytes smpl(28, 0);
    put32(smpl, 2);
    put32(smpl, 0);
    for (uint32_t v : {1u, 0u, 10u, 90u, 0u, 2u, 2u, 0u, 20u, 60u, 0u, 0u}) put32(smpl, v);
    seeds.push_back(makeWave({{"fmt ", pcmFormatBody(2, 8000, 16)},
                              {"smpl", smpl},
                              {"LIST", Bytes(3, 'x')},
                              {"data", pcm16Pattern(100, 2)}}));
    // Every file sox made is decoded to PCM of any sample size in its own
    // channels and rate, and refused for seven channels at 96001 Hz.
    for (size_t i = 0; i < seeds.size(); ++i) {
        for (size_t request = 0; request < fuzz::kWaveRequests; ++request)
            EXPECT_EQ(fuzz::waveStream(seeds[i].data(), seeds[i].size(), request),
                      request + 1 < fuzz::kWaveRequests)
                << "seed " << i << ", request " << request;
    }
    std::mt19937 gen(4321);
    int taken = 0;
    for (int i = 0; i < 1500; ++i) {
        Bytes input = seeds[gen() % seeds.size()];
        const int edits = 1 + static_cast<int>(gen() % 6);
        for (int e = 0; e < edits && input.size() > 12; ++e) {
            // Most edits land in the headers, where they matter.
            const size_t span = gen() % 3 == 0 ? input.size() : std::min<size_t>(input.size(), 120);
            const size_t at = gen() % span;
            switch (gen() % 6) {
            case 0: input[at] = static_cast<uint8_t>(gen()); break;
            case 1: input[at] = 0xFF; break;
            case 2: input[at] = 0; break;
            case 3: input.resize(std::max<size_t>(at, 12)); break; // truncated
            case 4: input[at] ^= static_cast<uint8_t>(1u << (gen() % 8)); break;
            default:
                if (at + 4 <= input.size()) { // a size field or rate made large
                    const uint32_t v = gen() % 2 ? 0xFFFFFFFFu - gen() % 64 : gen() % 0x100000;
                    for (int k = 0; k < 4; ++k) input[at + k] = static_cast<uint8_t>(v >> (8 * k));
                }
                break;
            }
        }
        taken += fuzz::waveStream(input.data(), input.size()) ? 1 : 0;
    }
    // The edits reach both the refusals and the decoders behind them.
    EXPECT_GT(taken, 0);
    EXPECT_LT(taken, 1500);
}

} // namespace
} // namespace fer::test

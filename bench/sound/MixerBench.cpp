// The mixer's cost and the time from a music command to its first sound.
//
// BM_MixThreeTracks: what the game plays, through the same rings and
// mixer: two mono rings at 22050 Hz (music A and B, or music and voice) and
// one stereo ring at 44100 Hz mixed into 48000 Hz stereo, one second of
// output per iteration, pulled in blocks of 1024 frames as the window's
// output does (Arg 1024) or of 480 as the headless one does (Arg 480);
// "of_real_time" is the fraction of a second that a second of sound costs.
// BM_CopyBaseline copies the same bytes (a second of each ring and one of
// output) with memcpy in the same run.
//
// BM_MusicToFirstSound: a paced output pulls 1024 frames every 21.3 ms; the
// time from play() to the first pull that holds a sample of the music (the
// device then plays that block within one more block).
//
// BM_EngineSixtySeconds: the headless engine plays three tracks for 60 s
// while its script runs a busy loop; "underruns" counts the output's
// reports that it ran dry (0 expected).

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "TestSources.h"
#include "ToneWave.h"
#include "sound/AudioMixer.h"
#include "sound/SoundManager.h"

namespace fer {
namespace {

using Clock = std::chrono::steady_clock;
constexpr AudioFormat kOutput{48000, 2};
constexpr size_t kPull = 1024;

std::vector<std::shared_ptr<SoundBuffer>> threeRings(AudioMixer& mixer) {
    std::vector<std::shared_ptr<SoundBuffer>> rings;
    struct Ring {
        double tone;
        uint32_t rate;
        uint16_t channels;
    };
    const Ring kinds[] = {{440, 22050, 1}, {660, 22050, 1}, {990, 44100, 2}};
    for (const Ring& k : kinds) {
        const test::ToneWave w{.rate = k.rate, .channels = k.channels, .spans = {{k.tone, 4.0, 0.3}}};
        const std::vector<uint8_t> bytes = w.bytes();
        auto ring = mixer.createBuffer(WaveFormat::pcm(k.channels, k.rate, 16), 4 * k.rate * 2u * k.channels);
        const auto parts = ring->lock(0, ring->size());
        std::memcpy(parts.first.data(), bytes.data() + bytes.size() - ring->size(), parts.first.size());
        ring->unlock();
        ring->setVolume(-351);
        ring->play();
        rings.push_back(ring);
    }
    return rings;
}

void BM_MixThreeTracks(benchmark::State& state) {
    const auto pull = static_cast<size_t>(state.range(0));
    AudioMixer mixer;
    mixer.setOutputFormat(kOutput);
    const auto rings = threeRings(mixer);
    std::vector<int16_t> out(pull * 2);
    for (auto _ : state) {
        for (size_t done = 0; done < 48000; done += pull) mixer.render(out, kOutput);
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["of_real_time"] =
        benchmark::Counter(static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MixThreeTracks)->Arg(1024)->Arg(480)->Unit(benchmark::kMillisecond);

void BM_CopyBaseline(benchmark::State& state) {
    // A second of each ring (two 22050 Hz mono, one 44100 Hz stereo) and
    // one second of output.
    std::vector<uint8_t> in(2 * 22050 * 2 + 44100 * 4 + 48000 * 4, 7);
    std::vector<uint8_t> out(in.size());
    for (auto _ : state) {
        std::memcpy(out.data(), in.data(), in.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyBaseline)->Unit(benchmark::kMillisecond);

void BM_MusicToFirstSound(benchmark::State& state) {
    const std::vector<uint8_t> wave =
        test::ToneWave{.rate = 22050, .channels = 2, .spans = {{440, 5.0, 0.5}}}.bytes();
    for (auto _ : state) {
        AudioMixer mixer;
        mixer.setOutputFormat(kOutput);
        SoundManager manager(mixer, {.openStream =
                                         [&](std::string_view, int) -> std::unique_ptr<ByteSource> {
                                             return std::make_unique<test::MemorySource>(wave);
                                         },
                                     .closeStream = {},
                                     .showFailure = {},
                                     .log = {}});
        std::atomic<bool> stop{false};
        std::atomic<int64_t> heardAt{0};
        std::thread device([&] {
            std::vector<int16_t> block(kPull * 2);
            auto next = Clock::now();
            while (!stop.load()) {
                next += std::chrono::microseconds(1000000 * kPull / 48000);
                std::this_thread::sleep_until(next);
                mixer.render(block, kOutput);
                for (int16_t s : block) {
                    if (s != 0) {
                        int64_t none = 0;
                        heardAt.compare_exchange_strong(
                            none, Clock::now().time_since_epoch().count());
                        break;
                    }
                }
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50 + std::random_device{}() % 20));
        const auto start = Clock::now();
        manager.play(0, "A.WAV", true);
        while (heardAt.load() == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
        const Clock::time_point heard{Clock::duration(heardAt.load())};
        state.SetIterationTime(std::chrono::duration<double>(heard - start).count());
        stop.store(true);
        device.join();
    }
}
BENCHMARK(BM_MusicToFirstSound)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

#ifdef FER_ENGINE_PATH
void BM_EngineSixtySeconds(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("fer-bench-60-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    test::ToneWave{.spans = {{440, 5.0}}}.write(dir / "A.WAV");
    test::ToneWave{.rate = 44100, .channels = 2, .spans = {{660, 5.0}}}.write(dir / "B.WAV");
    test::ToneWave v{.spans = {{990, 2.0}}};
    v.loops = {{0, 100, 0}};
    v.write(dir / "V.WAV");
    std::ofstream(dir / "main.mes") << "    r16[29] = 512\n    music 0, \"A.WAV\"\n"
                                       "    music 3, \"B.WAV\"\n    voice 0, \"V.WAV\"\n"
                                       "busy:\n    r16[13] = r16[13] + 1\n    goto busy\n";
    const std::string assemble = std::string(FER_MESASM_PATH) + " '" + (dir / "main.mes").string() +
                                 "' -o '" + (dir / "MAIN.MES").string() + "'";
    if (std::system(assemble.c_str()) != 0) state.SkipWithError("mesasm failed");
    double underruns = 0;
    for (auto _ : state) {
        const std::string command = std::string(FER_ENGINE_PATH) + " --headless --quit-after " +
                                    std::to_string(state.range(0)) + " '" + dir.string() + "' 2>&1";
        std::string err;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[512];
            while (std::fgets(buffer, sizeof buffer, pipe)) err += buffer;
            pclose(pipe);
        }
        unsigned long long n = 0;
        if (const auto at = err.find("ran dry "); at != std::string::npos)
            n = std::stoull(err.substr(at + 8));
        underruns += static_cast<double>(n);
    }
    state.counters["underruns"] = underruns;
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}
BENCHMARK(BM_EngineSixtySeconds)->Arg(60000)->Iterations(1)->Unit(benchmark::kSecond);
#endif

} // namespace
} // namespace fer

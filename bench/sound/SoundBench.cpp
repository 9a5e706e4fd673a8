// Decoding throughput per encoding beside sox decoding the same file to raw
// PCM in the same run ("vs_sox" is sox's time over ours: above 1 is faster;
// sox's start-up, timed on a 50 ms file, is taken off its time) and beside
// plain libsndfile reading it to 16-bit samples in this process ("vs_sndfile");
// the cost of touching a committed unit beside a 64 KB memcpy; and the bytes
// committed while a ten-minute track is decoded end to end.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <sndfile.h>
#include <sys/resource.h>
#include <time.h>

#include "SoundTestSupport.h"

namespace {

using fer::test::ScratchDir;
using fer::test::SoxEncoding;

constexpr double kSeconds = 120; // long enough that sox's start-up is small

ScratchDir& scratch() {
    static ScratchDir dir;
    return dir;
}

std::filesystem::path longFile(const SoxEncoding& e) {
    static std::map<std::string, std::filesystem::path> made;
    auto it = made.find(e.name);
    if (it != made.end()) return it->second;
    const auto path = scratch() / (std::string(e.name) + ".wav");
    // A short sound repeated: quicker to make than a long synthesis.
    const auto shortPath = scratch() / (std::string(e.name) + "-short.wav");
    fer::test::makeSoxWave(shortPath, e, 10);
    fer::test::run("sox '" + shortPath.string() + "' '" + path.string() + "' repeat " +
                   std::to_string(static_cast<int>(kSeconds / 10) - 1));
    return made[e.name] = path;
}

struct Times {
    double wall = 1e9;
    double cpu = 1e9; // user and system

    void keepBest(const Times& t) {
        wall = std::min(wall, t.wall);
        cpu = std::min(cpu, t.cpu);
    }
};

// The runs of one decoder, interleaved with the others'; compared by medians.
struct Runs {
    std::vector<double> wall, cpu;

    void add(const Times& t) {
        wall.push_back(t.wall);
        cpu.push_back(t.cpu);
    }
    static double median(std::vector<double> v) {
        if (v.empty()) return 1e9;
        std::sort(v.begin(), v.end());
        return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    }
    Times medians() const { return {median(wall), median(cpu)}; }
};

double childCpuSeconds() {
    rusage r{};
    ::getrusage(RUSAGE_CHILDREN, &r);
    return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
           static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) * 1e-6;
}

double threadCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// One sox run decoding a file to raw 16-bit PCM.
Times soxRun(const std::filesystem::path& file) {
    const double c0 = childCpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    fer::test::run("sox -D '" + file.string() + "' -t raw -e signed-integer -b 16 /dev/null");
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(),
            childCpuSeconds() - c0};
}

// Plain libsndfile reading the whole file to 16-bit samples, 64 KB at a time.
Times sndfileRun(const std::filesystem::path& file) {
    const double c0 = threadCpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    SF_INFO info{};
    SNDFILE* f = sf_open(file.c_str(), SFM_READ, &info);
    if (f != nullptr) {
        std::vector<short> samples(0x8000);
        const sf_count_t frames = static_cast<sf_count_t>(samples.size()) / info.channels;
        while (sf_readf_short(f, samples.data(), frames) > 0) benchmark::DoNotOptimize(samples.data());
        sf_close(f);
    }
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count(),
            threadCpuSeconds() - c0};
}

// sox on a file of 50 ms of the same encoding: starting, opening, closing.
const Times& soxStart(const SoxEncoding& e) {
    static std::map<std::string, Times> measured;
    auto it = measured.find(e.name);
    if (it != measured.end()) return it->second;
    const auto tiny = scratch() / (std::string(e.name) + "-tiny.wav");
    fer::test::makeSoxWave(tiny, e, 0.05);
    Times best;
    for (int i = 0; i < 5; ++i) best.keepBest(soxRun(tiny));
    return measured[e.name] = best;
}

// The baseline: sox decoding the file, timed as a whole process.
void BM_SoxDecode(benchmark::State& state) {
    const SoxEncoding& e = fer::test::soxEncodings()[static_cast<size_t>(state.range(0))];
    const auto file = longFile(e);
    for (auto _ : state) state.SetIterationTime(soxRun(file).wall);
    state.counters["start_ms"] = soxStart(e).wall * 1e3;
    state.SetLabel(e.name);
}

// Every unit of the decoded sound, to 16-bit PCM, in order; opening and
// preparing the stream are timed apart ("open_ms"). Each iteration runs sox
// on the same file just before, so both see the same load on the machine.
// "vs_sox" is sox's median wall time, less its start on a 50 ms file, over
// our median ("vs_sox_whole": the whole process); "vs_sox_cpu" the same with
// processor time (user and system). Above 1 is faster. "vs_sndfile" (and
// "vs_sndfile_cpu") is plain libsndfile's median time over ours, run in this
// process beside each iteration; it includes opening, ours does not.
void BM_StreamDecode(benchmark::State& state) {
    const SoxEncoding& e = fer::test::soxEncodings()[static_cast<size_t>(state.range(0))];
    const auto file = longFile(e);
    const Times start = soxStart(e);
    std::vector<uint8_t> chunk(0x10000);
    Runs ours, sox, sndfile;
    double bestOpen = 1e9;
    uint64_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        sox.add(soxRun(file));
        sndfile.add(sndfileRun(file));
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        fer::WaveStream stream;
        stream.open(std::make_shared<fer::test::FileSource>(file));
        if (stream.prepareOutput(1, 0, 0, 16) != 0) {
            state.SkipWithError("prepare failed");
            return;
        }
        const double c1 = threadCpuSeconds();
        const auto t1 = std::chrono::steady_clock::now();
        for (uint64_t at = 0; at < stream.decodedSize(); at += chunk.size())
            stream.readDecoded(at, chunk);
        benchmark::DoNotOptimize(chunk.data());
        const Times t{std::chrono::duration<double>(std::chrono::steady_clock::now() - t1).count(),
                      threadCpuSeconds() - c1};
        state.SetIterationTime(t.wall);
        ours.add(t);
        bestOpen = std::min(bestOpen, std::chrono::duration<double>(t1 - t0).count());
        bytes += stream.decodedSize();
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.counters["open_ms"] = bestOpen * 1e3;
    const Times o = ours.medians(), x = sox.medians(), l = sndfile.medians();
    state.counters["vs_sox"] = std::max(x.wall - start.wall, 1e-6) / o.wall;
    state.counters["vs_sox_whole"] = x.wall / o.wall;
    state.counters["vs_sox_cpu"] = std::max(x.cpu - start.cpu, 1e-6) / o.cpu;
    state.counters["vs_sndfile"] = l.wall / o.wall;
    state.counters["vs_sndfile_cpu"] = l.cpu / o.cpu;
    state.SetLabel(e.name);
}

void BM_Memcpy64K(benchmark::State& state) {
    std::vector<uint8_t> from(0x10000, 1), to(0x10000);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), to.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

void BM_TouchCommittedUnit(benchmark::State& state) {
    fer::BoundedRegion region;
    uint8_t* base = region.reserve(16 * 0x10000, 0x10000, 0x100000, 0x40000);
    region.touch(base, 0x10000);
    for (auto _ : state) benchmark::DoNotOptimize(region.touch(base + 100, 1000));
}

// Committed bytes after a ten-minute track is decoded end to end.
void BM_TenMinuteTrackCommitted(benchmark::State& state) {
    const auto path = scratch() / "ten-minutes.wav";
    if (!std::filesystem::exists(path))
        fer::test::run("sox -n -r 44100 -c 2 -e mu-law '" + path.string() + "' synth 600 sine 440");
    std::vector<uint8_t> second(44100 * 4);
    for (auto _ : state) {
        fer::WaveStream stream;
        stream.open(std::make_shared<fer::test::FileSource>(path));
        if (stream.prepareOutput(1, 0, 0, 0) != 0) {
            state.SkipWithError("prepare failed");
            return;
        }
        for (uint64_t at = 0; at < stream.decodedSize(); at += second.size())
            stream.readDecoded(at, second);
        state.counters["file_committed_KB"] = stream.waveSource().committedBytes() / 1024.0;
        state.counters["file_peak_KB"] = stream.waveSource().peakCommittedBytes() / 1024.0;
        state.counters["sound_committed_KB"] = stream.decodedRegion().committedBytes() / 1024.0;
        state.counters["sound_peak_KB"] = stream.decodedRegion().peakCommittedBytes() / 1024.0;
        state.counters["sound_MB"] = stream.decodedSize() / 1048576.0;
    }
}

void encodings(benchmark::internal::Benchmark* b) {
    for (size_t i = 0; i < fer::test::soxEncodings().size(); ++i) b->Arg(static_cast<int>(i));
}

} // namespace

BENCHMARK(BM_SoxDecode)
    ->Apply(encodings)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamDecode)
    ->Apply(encodings)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memcpy64K);
BENCHMARK(BM_TouchCommittedUnit);
BENCHMARK(BM_TenMinuteTrackCommitted)->Iterations(1)->Unit(benchmark::kMillisecond);

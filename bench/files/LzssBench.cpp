// LZSS throughput in bytes of decoded output per second, beside memcpy of the
// same number of bytes and the plain ring decoder (one byte at a time through
// the ring) on the same streams in the same run.

#include <benchmark/benchmark.h>

#include <cstring>

#include "SimpleLzss.h"
#include "TestData.h"
#include "files/Lzss.h"
#include "files/LzssEncoder.h"

namespace {

constexpr size_t kSize = 16 << 20;

const std::vector<uint8_t>& input(int kind) {
    static const std::vector<uint8_t> text = fer::test::textLike(kSize, 1);
    static const std::vector<uint8_t> picture = fer::test::pictureLike(kSize, 2);
    return kind == 0 ? text : picture;
}

const std::vector<uint8_t>& coded(int kind) {
    static std::vector<uint8_t> streams[2];
    if (streams[kind].empty()) fer::LzssEncoder().encode(input(kind), streams[kind]);
    return streams[kind];
}

void BM_Memcpy(benchmark::State& state) {
    const auto& source = input(static_cast<int>(state.range(0)));
    std::vector<uint8_t> out(source.size());
    for (auto _ : state) {
        std::memcpy(out.data(), source.data(), source.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}

void BM_LzssDecode(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const auto& stream = coded(kind);
    std::vector<uint8_t> out(input(kind).size());
    fer::LzssDecoder decoder;
    size_t produced = 0;
    for (auto _ : state) {
        produced = decoder.decode(stream, out).produced;
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * produced));
    state.counters["ratio"] = static_cast<double>(stream.size()) / static_cast<double>(produced);
}

void BM_LzssDecodeSimple(benchmark::State& state) {
    const int kind = static_cast<int>(state.range(0));
    const auto& stream = coded(kind);
    std::vector<uint8_t> out(input(kind).size());
    fer::test::SimpleLzss decoder;
    size_t produced = 0;
    for (auto _ : state) {
        produced = decoder.decode(stream, out).produced;
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * produced));
}

void BM_LzssEncode(benchmark::State& state) {
    const auto& source = input(static_cast<int>(state.range(0)));
    std::vector<uint8_t> out;
    fer::LzssEncoder encoder;
    for (auto _ : state) {
        encoder.encode(source, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}

// Argument 0: text-like data; 1: picture-like data.
BENCHMARK(BM_Memcpy)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LzssDecode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LzssDecodeSimple)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LzssEncode)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

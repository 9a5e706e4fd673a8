// Assembler and disassembler throughput on about 1 MB of input each.

#include "Assembler.h"
#include "Disassembler.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace fer::mes;

// A script of typical statements, repeated to about `bytes` of source text.
std::string typicalSource(size_t bytes) {
    std::string source;
    int n = 0;
    while (source.size() < bytes) {
        std::string k = std::to_string(n++);
        source += "l" + k + ":\n";
        source += "    r16[10] = r16[10] + 1, flag[" + k + " % 2000] * 3\n";
        source += "    text \"你好，世界。今天天气很好。\"\n";
        source += "    if r16[10] >= 100 && flag[r16[3]] == 1 goto l" + k + "\n";
        source += "    load_image \"BG" + k + ".BMP\"\n";
        source += "    dim32[3][r16[1] * 4 + 2] = random(100), 70000\n";
        source += "    wait 200\n";
        source += "    newline\n";
    }
    return source;
}

void BM_Assemble(benchmark::State& state) {
    auto charset = Charset::open("gb2312");
    std::string source = typicalSource(1 << 20);
    Assembler assembler(*charset, memorySourceLoader({}));
    for (auto _ : state) {
        AssemblyResult r = assembler.assembleText("bench.mes", source);
        if (!r.ok()) state.SkipWithError("source did not assemble");
        benchmark::DoNotOptimize(r.code.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}
BENCHMARK(BM_Assemble)->Unit(benchmark::kMillisecond);

void BM_Disassemble(benchmark::State& state) {
    auto charset = Charset::open("gb2312");
    Assembler assembler(*charset, memorySourceLoader({}));
    // About 0.45 bytes of code come from a byte of this source.
    std::vector<uint8_t> code = assembler.assembleText("bench.mes", typicalSource(3 << 20)).code;
    if (code.size() < (1u << 20)) {
        state.SkipWithError("the generated script is too small");
        return;
    }
    code.resize(1u << 20);
    Disassembler disassembler(*charset);
    for (auto _ : state) {
        std::string listing = disassembler.disassemble(code);
        benchmark::DoNotOptimize(listing.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * code.size()));
}
BENCHMARK(BM_Disassemble)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

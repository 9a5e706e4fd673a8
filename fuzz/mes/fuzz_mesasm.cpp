// Any source text gives diagnostics or code, never a crash; code that comes
// out disassembles and assembles back to itself.

#include "Assembler.h"
#include "Disassembler.h"

#include <cstdlib>
#include <map>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fer::mes;
    static std::unique_ptr<Charset> charset = Charset::open("gb2312");
    std::string source(reinterpret_cast<const char*>(data), size);
    Assembler assembler(*charset, memorySourceLoader({{"inc.mes", "const INC = 1\n"}}));
    AssemblyResult result = assembler.assembleText("fuzz.mes", source);
    if (!result.ok()) {
        if (!result.code.empty()) std::abort();
        return 0;
    }
    Disassembler disassembler(*charset);
    AssemblyResult again = assembler.assembleText("dis.mes", disassembler.disassemble(result.code));
    if (!again.ok() || again.code != result.code) std::abort();
    return 0;
}

// Any byte string gives a listing that assembles back to exactly those bytes.

#include "Assembler.h"
#include "Disassembler.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace fer::mes;
    static std::unique_ptr<Charset> charsets[2] = {Charset::open("gb2312"), Charset::open("sjis")};
    if (size == 0) return 0;
    Charset& charset = *charsets[data[0] & 1];
    std::vector<uint8_t> code(data + 1, data + size);
    Disassembler disassembler(charset);
    Assembler assembler(charset, memorySourceLoader({}));
    AssemblyResult result = assembler.assembleText("dis.mes", disassembler.disassemble(code));
    if (!result.ok() || result.code != code) std::abort();
    return 0;
}

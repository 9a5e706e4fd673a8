// Loading a saved game: any save file (and any script it names) is loaded by
// each of the four save operations and runs on within the pass bound.
//
// Input: byte 0 picks the operation (bits 0..1: load, save, read the
// variables, merge the flags) and the build (bit 2: Shift-JIS); then the
// save file's 4096 bytes; the rest is the script the save names.

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Assembler.h"
#include "ScriptFuzzTarget.h"
#include "SourceLoader.h"
#include "script/Charset.h"

namespace {

std::vector<uint8_t> loader(int operation) {
    auto charset = fer::mes::Charset::open("gb2312");
    fer::mes::Assembler assembler(*charset, fer::mes::fileSourceLoader());
    const std::string source = "save_state " + std::to_string(operation) + ", 1\nend\n";
    fer::mes::AssemblyResult result = assembler.assembleText("load.mes", source);
    if (!result.ok()) {
        std::fprintf(stderr, "fuzz_save_load: the loader does not assemble\n");
        std::abort();
    }
    return result.code;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::array<std::vector<uint8_t>, 4> loaders = {loader(0), loader(1), loader(2),
                                                                loader(3)};
    if (size == 0) return 0;
    fer::runSaveLoad(loaders[data[0] & 3], (data[0] & 4) != 0, data + 1, size - 1);
    return 0;
}

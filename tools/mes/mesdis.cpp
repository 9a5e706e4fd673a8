// mesdis IN.MES [-o OUT] [--charset gb2312|sjis]
// Writes MES source that assembles back to exactly the bytes of IN.MES.
// With IN.MES.dbg beside it (the assembler's debug information), the labels
// keep the names they had in the source.

#include "Disassembler.h"
#include "OutputFile.h"

#include <cstdio>
#include <string>
#include <vector>

#include "files/FileText.h"

int main(int argc, char** argv) {
    std::string input, output, charsetName = "gb2312";
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "-o" && hasValue)
            output = argv[++i];
        else if (arg == "--charset" && hasValue)
            charsetName = argv[++i];
        else if (input.empty() && !arg.empty() && arg[0] != '-')
            input = arg;
        else
            input.clear(), i = argc;
    }
    if (input.empty()) {
        std::fprintf(stderr, "usage: mesdis IN.MES [-o OUT] [--charset gb2312|sjis]\n");
        return 2;
    }
    auto charset = fer::mes::Charset::open(charsetName);
    if (!charset) {
        std::fprintf(stderr, "mesdis: unknown or unavailable charset '%s'\n", charsetName.c_str());
        return 2;
    }
    // Scripts fit the script memory; anything much larger is no script.
    constexpr uint64_t kMaxInput = 64u << 20;
    std::string bytes;
    const fer::ReadFailure failure = fer::readFileText(input, kMaxInput, bytes);
    if (failure != fer::ReadFailure::kNone) {
        std::fprintf(stderr, "mesdis: cannot read '%s': it %s\n", input.c_str(),
                     fer::describe(failure));
        return 1;
    }
    const std::vector<uint8_t> code(bytes.begin(), bytes.end());
    fer::mes::Disassembler disassembler(*charset);
    std::string debugText;
    if (fer::readFileText(input + ".dbg", fer::ScriptDebugInfo::kMaxText, debugText) ==
        fer::ReadFailure::kNone) {
        fer::ScriptDebugInfo debug;
        std::string why;
        if (debug.parse(debugText, why))
            disassembler.useNames(debug);
        else
            std::fprintf(stderr, "mesdis: %s.dbg is left aside: %s\n", input.c_str(), why.c_str());
    }
    std::string text = disassembler.disassemble(code);
    if (output.empty()) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    std::string error;
    if (!fer::mes::writeFileAtomically(output, text.data(), text.size(), error)) {
        std::fprintf(stderr, "mesdis: %s\n", error.c_str());
        return 1;
    }
    return 0;
}

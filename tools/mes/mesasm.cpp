// mesasm SOURCE -o OUT.MES [--charset gb2312|sjis] [--depfile OUT.d]
// Compiles MES source text; on any error prints the diagnostics and writes nothing.
// Beside OUT.MES it writes OUT.MES.dbg, the debug information (sources named
// by absolute paths).

#include "Assembler.h"
#include "OutputFile.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: mesasm SOURCE -o OUT.MES [--charset gb2312|sjis] [--depfile OUT.d]\n");
    return 2;
}

std::string depfileEscape(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == ' ' || c == '#' || c == '\\') out += '\\';
        if (c == '$') out += '$';
        out += c;
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    std::string source, output, depfile, charsetName = "gb2312";
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "-o" && hasValue)
            output = argv[++i];
        else if (arg == "--charset" && hasValue)
            charsetName = argv[++i];
        else if (arg == "--depfile" && hasValue)
            depfile = argv[++i];
        else if (!arg.empty() && arg[0] == '-')
            return usage();
        else if (source.empty())
            source = arg;
        else
            return usage();
    }
    if (source.empty() || output.empty()) return usage();
    auto charset = fer::mes::Charset::open(charsetName);
    if (!charset) {
        std::fprintf(stderr, "mesasm: unknown or unavailable charset '%s'\n", charsetName.c_str());
        return 2;
    }
    fer::mes::Assembler assembler(*charset, fer::mes::fileSourceLoader());
    fer::mes::AssemblyResult result = assembler.assembleFile(source);
    if (!result.ok()) {
        for (const auto& d : result.diagnostics) std::fprintf(stderr, "%s\n", d.format().c_str());
        return 1;
    }
    std::string error;
    if (!fer::mes::writeFileAtomically(output, result.code.data(), result.code.size(), error)) {
        std::fprintf(stderr, "mesasm: %s\n", error.c_str());
        return 1;
    }
    for (std::string& s : result.debug.sources)
        s = std::filesystem::absolute(s).lexically_normal().string();
    const std::string debugText = result.debug.write();
    if (!fer::mes::writeFileAtomically(output + ".dbg", debugText.data(), debugText.size(),
                                       error)) {
        std::fprintf(stderr, "mesasm: %s\n", error.c_str());
        return 1;
    }
    if (!depfile.empty()) {
        std::string text = depfileEscape(output) + ":";
        for (const std::string& f : result.files) text += " " + depfileEscape(f);
        text += "\n";
        if (!fer::mes::writeFileAtomically(depfile, text.data(), text.size(), error)) {
            std::fprintf(stderr, "mesasm: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}

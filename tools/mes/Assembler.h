#pragma once
// Compiles MES source text to script byte code.

#include "script/Charset.h"
#include "script/ScriptDebugInfo.h"
#include "Diagnostic.h"
#include "SourceLoader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fer::mes {

struct AssemblyResult {
    std::vector<uint8_t> code;           // empty when there are diagnostics
    std::vector<Diagnostic> diagnostics; // every error, in source order per file
    std::vector<std::string> files;      // every source file read, the main one first
    ScriptDebugInfo debug;               // filled when code is

    bool ok() const { return diagnostics.empty(); }
};

class Assembler {
  public:
    static constexpr int kMaxIncludeDepth = 16;

    Assembler(Charset& charset, SourceLoader loader)
        : charset_(charset), loader_(std::move(loader)) {}

    AssemblyResult assembleFile(const std::string& path);
    // name is used in diagnostics and to resolve includes.
    AssemblyResult assembleText(const std::string& name, std::string_view text);

  private:
    Charset& charset_;
    SourceLoader loader_;
};

} // namespace fer::mes

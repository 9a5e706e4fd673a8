#pragma once
// Turns script byte code into MES source text that assembles back to the
// same bytes. Every decoded instruction is assembled again and compared;
// whatever does not decode, or would not come back identical, is written
// as raw bytes. Jump targets that land on a line get a label.

#include "Assembler.h"
#include "script/Charset.h"
#include "script/SourceListing.h"

#include <cstdint>
#include <span>
#include <string>

namespace fer::mes {

class Disassembler {
  public:
    explicit Disassembler(Charset& charset);
    // The listing's check refers to this object's assembler.
    Disassembler(const Disassembler&) = delete;
    Disassembler& operator=(const Disassembler&) = delete;

    std::string disassemble(std::span<const uint8_t> code);
    // Labels named as the debug information names them.
    void useNames(const ScriptDebugInfo& debug);

  private:
    bool assemblesTo(const std::string& source, std::span<const uint8_t> bytes);

    Assembler checker_;
    SourceListing listing_;
};

} // namespace fer::mes

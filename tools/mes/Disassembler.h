#pragma once
// Turns script byte code into MES source text that assembles back to the
// same bytes. Every decoded instruction is assembled again and compared;
// whatever does not decode, or would not come back identical, is written
// as raw bytes. Jump targets that land on a line get a label.

#include "Assembler.h"
#include "Charset.h"

#include <cstdint>
#include <span>
#include <string>

namespace fer::mes {

class Disassembler {
  public:
    explicit Disassembler(Charset& charset);

    std::string disassemble(std::span<const uint8_t> code);

  private:
    Charset& charset_;
    Assembler checker_;
};

} // namespace fer::mes

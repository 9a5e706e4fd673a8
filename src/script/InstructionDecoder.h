#pragma once
// Turns the instruction at an offset of script byte code into MES source
// text: the statement and, for jumps, the target apart, so that a listing
// can name it by a label. Reads only inside the code it is given.

#include "script/InstructionIndex.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace fer::mes {

class Charset;

struct DecodedInstruction {
    size_t offset = 0;
    size_t size = 0;
    std::string head;             // the statement, up to its jump target
    std::optional<uint32_t> jump; // the target, written after head

    // The statement with its target as a number.
    std::string source() const;
};

class InstructionDecoder {
  public:
    // code and charset must outlive the decoder.
    InstructionDecoder(std::span<const uint8_t> code, Charset& charset);

    // The instruction starting at code[p]; nullopt when none starts there or
    // some part of it does not decode.
    std::optional<DecodedInstruction> decode(size_t p);

  private:
    bool write(size_t p, size_t end, DecodedInstruction& line);
    uint32_t u16();
    uint32_t u32();
    std::string text(size_t terminator) { return text(terminator, pos_); }
    // doubleByte: the text is drawn two bytes at a time (see quoteText).
    std::string text(size_t terminator, size_t from, bool doubleByte = false);
    std::optional<std::string> expression();
    bool list(size_t end, std::string& h);
    bool arguments(std::string& h);

    std::span<const uint8_t> code_;
    Charset& charset_;
    InstructionIndex index_;
    size_t pos_ = 0;
};

} // namespace fer::mes

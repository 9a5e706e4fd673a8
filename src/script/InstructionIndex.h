#pragma once
// Where each instruction, expression, value list and argument list that
// could start at a given offset of a byte string ends — or that none can.
// Results are remembered per offset, so that trying every offset of a
// damaged file costs linear time.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace fer::mes {

class Charset;

class InstructionIndex {
  public:
    static constexpr int64_t kNone = -1;
    // Longer expressions, and deeper ones, are left to raw bytes.
    static constexpr int64_t kMaxExpressionBytes = 512;
    static constexpr int kMaxExpressionDepth = 120;

    InstructionIndex(std::span<const uint8_t> code, const Charset& charset);

    // End offset (one past) of each construct starting at p, or kNone.
    int64_t instructionEnd(size_t p);
    int64_t expressionEnd(size_t p);
    int64_t listEnd(size_t p);
    int64_t argumentsEnd(size_t p);
    // The zero byte ending a text at p: any zero (single-byte) or a zero at an
    // even distance from p (double-byte).
    int64_t textTerminator(size_t p, bool doubleByte) const;

    bool isTextLead(uint8_t b) const;

  private:
    int64_t scanExpression(size_t p) const;

    std::span<const uint8_t> code_;
    const Charset& charset_;
    std::vector<int64_t> nextZero_;           // first zero at or after i
    std::vector<int64_t> nextZeroSameParity_; // first zero at i, i + 2, ...
    std::vector<int64_t> expressionMemo_;
    std::vector<int64_t> listMemo_;
    std::vector<int64_t> argumentsMemo_;
};

} // namespace fer::mes

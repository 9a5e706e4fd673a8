#pragma once
// The script machine: ScriptMemory plus the state outside it. Most of that
// state lies in the machine block, whose 32-bit words scripts reach through
// 32-bit arrays 34, 35 and 36.
//
// References are 32-bit values that designate a place: a value below the
// memory size is that ScriptMemory offset; kBlockReferenceBase + n designates
// byte n of the machine block. Any other value designates nothing: reads
// through it yield 0 and writes are dropped. The encoding is a constant, so
// references kept in saved state stay valid.

#include <array>
#include <cstdint>

#include "core/ArgumentList.h"
#include "core/ScriptMemory.h"

namespace fer {

struct ProcedureEntry {
    uint32_t entry = 0; // address of the first instruction
    uint32_t base = 0;  // codeBase in force where it was defined
};

struct LogRecord {
    uint32_t used;
    uint32_t start;
    uint32_t length;
};

class ScriptMachine {
  public:
    static constexpr uint32_t kChoiceSlots = 50;
    static constexpr uint32_t kProcedures = 100;
    static constexpr uint32_t kLogRecords = 32;
    static constexpr uint32_t kLogRecordLimit = 1024;
    static constexpr uint32_t kBlockWords = 214;
    static constexpr uint32_t kBlockBytes = kBlockWords * 4;
    static constexpr uint32_t kBlockReferenceBase = 0xF0000000u;

    // Machine-block word indexes.
    static constexpr uint32_t kWordChoiceAddress = 0;
    static constexpr uint32_t kWordChoiceKeys = 50;
    static constexpr uint32_t kWordCodeBase = 113;
    static constexpr uint32_t kWordMemory = 114;
    static constexpr uint32_t kWordWritePos = 115;
    static constexpr uint32_t kWordRecords = 116;
    static constexpr uint32_t kWordPc = 212;
    static constexpr uint32_t kWordKeyCount = 213;

    static constexpr uint32_t blockReference(uint32_t word) {
        return kBlockReferenceBase + 4 * word;
    }

    ScriptMachine() { reset(); }

    ScriptMemory memory;
    ArgumentList arguments;
    std::array<ProcedureEntry, kProcedures> procedures{};
    std::array<uint8_t, kChoiceSlots> choiceKeySlots{};
    bool choiceOpen = false;
    uint16_t depth = 0;
    uint16_t currentRecord = 0;
    // Instructions executed since start-up (not part of the machine's state
    // that scripts see): tells a wait that pumps from a running script.
    uint64_t instructionCount = 0;
    // Where the instruction being executed begins (for the debug monitor;
    // pc has moved past its operands by the time a command waits).
    uint32_t instructionStart = 0;

    // Fills memory with zeros and stores every initial value.
    void reset();
    // Stores the references, 16-bit register 26 and 32-bit register 32 again
    // (after saved state was read into memory).
    void restoreReferences();

    // Machine-block fields.
    uint32_t pc() const { return block_[kWordPc]; }
    void setPc(uint32_t v) { block_[kWordPc] = v; }
    uint32_t& pcRef() { return block_[kWordPc]; }
    uint32_t codeBase() const { return block_[kWordCodeBase]; }
    void setCodeBase(uint32_t v) { block_[kWordCodeBase] = v; }
    uint32_t writePos() const { return block_[kWordWritePos]; }
    void setWritePos(uint32_t v) { block_[kWordWritePos] = v; }
    uint32_t choiceAddress(uint32_t slot) const { return block_[kWordChoiceAddress + slot]; }
    void setChoiceAddress(uint32_t slot, uint32_t v) { block_[kWordChoiceAddress + slot] = v; }
    uint32_t choiceKey(uint32_t i) const { return block_[kWordChoiceKeys + i]; }
    void setChoiceKey(uint32_t i, uint32_t v) { block_[kWordChoiceKeys + i] = v; }
    uint16_t keyCount() const { return static_cast<uint16_t>(block_[kWordKeyCount] & 0xFFFF); }
    void setKeyCount(uint16_t v) {
        block_[kWordKeyCount] = (block_[kWordKeyCount] & 0xFFFF0000u) | v;
    }
    LogRecord record(uint32_t r) const {
        const uint32_t* w = &block_[kWordRecords + 3 * r];
        return {w[0], w[1], w[2]};
    }
    void setRecord(uint32_t r, LogRecord rec) {
        uint32_t* w = &block_[kWordRecords + 3 * r];
        w[0] = rec.used;
        w[1] = rec.start;
        w[2] = rec.length;
    }
    uint32_t blockWord(uint32_t w) const { return w < kBlockWords ? block_[w] : 0; }

    // Access of width 1, 2 or 4 bytes at byte offset `offset` from the place a
    // reference designates. Out of range: reads 0, writes dropped.
    uint32_t readThrough(uint32_t reference, uint64_t offset, unsigned width) const;
    void writeThrough(uint32_t reference, uint64_t offset, unsigned width, uint32_t value);

    // Array elements, with the starts of the array table.
    uint32_t byteElement(uint8_t k, uint32_t i) const;
    void setByteElement(uint8_t k, uint32_t i, uint8_t v);
    uint32_t wordElement(uint8_t k, uint32_t i) const;
    void setWordElement(uint8_t k, uint32_t i, uint16_t v);
    uint32_t dwordElement(uint8_t k, uint32_t i) const;
    void setDwordElement(uint8_t k, uint32_t i, uint32_t v);

  private:
    // Where 16-bit array k and 32-bit array k start, as references.
    uint32_t wordArrayStart(uint8_t k) const;
    uint32_t dwordArrayStart(uint8_t k) const;

    std::array<uint32_t, kBlockWords> block_{};
};

} // namespace fer

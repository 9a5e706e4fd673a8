#include "script/MessageLog.h"

#include <cstring>

#include "script/Evaluator.h"
#include "script/ScriptMachine.h"

namespace fer {

void MessageLog::reset(uint32_t writePos) {
    for (uint32_t r = 0; r < ScriptMachine::kLogRecords; ++r) machine_.setRecord(r, {0, 0, 0});
    machine_.setWritePos(writePos);
}

void MessageLog::begin() {
    ScriptMemory& mem = machine_.memory;
    if (mem.controlWord() & (control::kMessageOpen | control::kRecording)) return;
    if (!mem.controlBits(control::kLoggingEnabled)) return;
    uint32_t current = ScriptMachine::kLogRecords;
    for (uint32_t r = 0; r < ScriptMachine::kLogRecords; ++r) {
        if (machine_.record(r).used == 0) {
            current = r;
            break;
        }
    }
    if (current == ScriptMachine::kLogRecords) {
        compact();
        current = ScriptMachine::kLogRecords - 1;
    }
    machine_.currentRecord = static_cast<uint16_t>(current);
    mem.setControlBits(control::kMessageOpen);
    machine_.setRecord(current, {1, machine_.writePos(), 0});
}

void MessageLog::end() {
    ScriptMemory& mem = machine_.memory;
    if (!mem.controlBits(control::kLoggingEnabled)) return;
    mem.clearControlBits(control::kMessageOpen | control::kRecording);
    const uint32_t pos = machine_.writePos();
    mem.setByte(pos, 0);
    machine_.setWritePos(pos + 1);
    const uint32_t r = machine_.currentRecord % ScriptMachine::kLogRecords;
    LogRecord rec = machine_.record(r);
    rec.length += 1;
    machine_.setRecord(r, rec);
}

void MessageLog::count() {
    uint32_t firstUnused = ScriptMachine::kLogRecords;
    for (uint32_t r = 0; r < ScriptMachine::kLogRecords; ++r) {
        if (machine_.record(r).used == 0) {
            firstUnused = r;
            break;
        }
    }
    machine_.memory.setReg16(reg16::kResult, static_cast<uint16_t>(firstUnused - 1));
}

void MessageLog::start(uint32_t index) {
    const uint32_t value = index < ScriptMachine::kLogRecords ? machine_.record(index).start : 0;
    machine_.memory.setReg32(reg32::kLogStart, value);
}

void MessageLog::moveBytes(uint32_t to, uint32_t from, uint32_t length) {
    ScriptMemory& mem = machine_.memory;
    if (ScriptMemory::fits(to, length) && ScriptMemory::fits(from, length)) {
        std::memmove(mem.data() + to, mem.data() + from, length);
        return;
    }
    // A record that reaches outside the memory: move what lies inside, byte by
    // byte in the direction that keeps overlapping areas intact.
    if (to <= from) {
        for (uint64_t i = 0; i < length; ++i) mem.setByte(to + i, mem.byte(from + i));
    } else {
        for (uint64_t i = length; i-- > 0;) mem.setByte(to + i, mem.byte(from + i));
    }
}

void MessageLog::compact() {
    uint32_t writePos = machine_.record(0).start;
    for (uint32_t r = 1; r < ScriptMachine::kLogRecords; ++r) {
        const LogRecord rec = machine_.record(r);
        if (rec.length >= ScriptMachine::kLogRecordLimit) {
            machine_.setWritePos(writePos);
            evaluator_.reportLogOverflow(rec.start);
            return;
        }
        moveBytes(writePos, rec.start, rec.length);
        machine_.setRecord(r - 1, {1, writePos, rec.length});
        writePos += rec.length;
    }
    machine_.setRecord(ScriptMachine::kLogRecords - 1, {0, 0, 0});
    machine_.setWritePos(writePos);
}

} // namespace fer

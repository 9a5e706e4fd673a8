#include "script/ExternalCommands.h"

#include <cstring>

#include "script/Interpreter.h"

namespace fer {

namespace {
constexpr uint32_t kDataRecordBytes = 196;
} // namespace

void ExternalCommands::setResult(uint16_t value) {
    interpreter_.machine().memory.setReg16(reg16::kResult, value);
}

void ExternalCommands::registerWith(CommandTable& table) {
    ScriptHost& host = interpreter_.host();
    auto add = [&](uint32_t number, CommandTable::Handler handler) {
        table.add(CommandKind::kExternal, number, Subsystem::kScript, std::move(handler));
    };
    add(ext::kTakeSnapshot, [this](const ArgumentList&) { takeSnapshot(); });
    add(ext::kRestoreSnapshot, [this](const ArgumentList&) { restoreSnapshot(); });
    add(ext::kSkipHeld, [this, &host](const ArgumentList&) { setResult(host.keyDown(key::kSkip) ? 1 : 0); });
    add(ext::kTableLookup, [this](const ArgumentList& a) { dataTableLookup(a.value(1)); });
    add(ext::kDecideHeld, [this, &host](const ArgumentList&) {
        if (host.keyDown(key::kDecide)) setResult(1);
    });
    add(ext::kWaitRelease, [this](const ArgumentList&) { releaseDecideAndCancel(); });
    add(ext::kResetTicks, [&host](const ArgumentList&) { host.resetTicks(); });
    add(ext::kWaitMoveSpeed, [this](const ArgumentList&) { waitForMoveSpeed(); });
    add(ext::kReadSlot6, [this](const ArgumentList&) { interpreter_.saveGame().readSlot6Values(); });
    add(ext::kCancelHeld, [this, &host](const ArgumentList&) { setResult(host.keyDown(key::kCancel) ? 1 : 0); });
    add(ext::kLogNumber, [this](const ArgumentList& a) { numberIntoLog(a.value(1)); });
    add(ext::kWaitTicks, [this](const ArgumentList& a) { waitTicks(a.value(1)); });
    add(ext::kHoldUp, [this](const ArgumentList&) { holdUp(); });
}

void ExternalCommands::takeSnapshot() {
    std::memcpy(snapshot_.data(), interpreter_.machine().memory.data(), snapshot_.size());
}

void ExternalCommands::restoreSnapshot() {
    uint8_t* memory = interpreter_.machine().memory.data();
    auto copy = [&](uint32_t first, uint32_t last) {
        std::memcpy(memory + first, snapshot_.data() + first, last - first + 1);
    };
    copy(0x0EF8, 0x0F1B);
    copy(0x083A, 0x0856);
    copy(0x086E, 0x086E);
}

void ExternalCommands::dataTableLookup(uint32_t record) {
    ScriptMemory& m = interpreter_.machine().memory;
    const uint64_t table = uint64_t{m.reg32(reg32::kCodeAddress)} + m.reg32(reg32::kDataTable);
    const uint64_t start = table + m.word(table) + uint64_t{kDataRecordBytes} * record;
    m.setReg16(0, m.word(start + 4));
    m.setReg16(1, m.word(start + 6));
}

void ExternalCommands::releaseDecideAndCancel() {
    ScriptHost& host = interpreter_.host();
    interpreter_.machine().memory.setFlag(flag::kNoDecideWait, 0);
    while (host.keyDown(key::kDecide) && host.pump() != 0) {
    }
    if (host.keyDown(key::kCancel)) {
        while (host.keyDown(key::kCancel) && host.pump() != 0) {
        }
    }
}

void ExternalCommands::waitForMoveSpeed() {
    ScriptHost& host = interpreter_.host();
    const uint16_t speed = host.moveSpeed();
    if (speed == 0) return;
    host.resetTicks();
    while (host.ticks() < speed / 4u && !host.shiftHeld() && host.pump() != 0) {
    }
}

void ExternalCommands::waitTicks(uint32_t ticks) {
    ScriptHost& host = interpreter_.host();
    host.resetTicks();
    while (host.ticks() <= ticks && host.pump() != 0) {
    }
}

void ExternalCommands::numberIntoLog(uint32_t value) {
    ScriptMachine& machine = interpreter_.machine();
    ScriptMemory& m = machine.memory;
    // The digits are formed and counted as for the number command.
    uint32_t digits[5];
    uint32_t v = value;
    for (int i = 4; i >= 0; --i) {
        digits[i] = v % 10;
        v /= 10;
    }
    uint32_t count = m.reg16(reg16::kNumberOptions) & 0xFF;
    if (count == 0) {
        count = 1;
        for (uint32_t k = 0; k < 5; ++k) {
            if (digits[k] != 0) {
                count = 5 - k;
                break;
            }
        }
    }
    if (count > 5) count = 5;
    const uint16_t base = interpreter_.variant().fullWidthDigitBase;
    auto store = [&](uint8_t b) {
        const uint32_t pos = machine.writePos();
        m.setByte(pos, b);
        machine.setWritePos(pos + 1);
        const uint32_t r = machine.currentRecord % ScriptMachine::kLogRecords;
        LogRecord rec = machine.record(r);
        rec.length += 1;
        machine.setRecord(r, rec);
        if (rec.length >= ScriptMachine::kLogRecordLimit)
            interpreter_.evaluator().reportLogOverflow(rec.start);
    };
    store(1);
    for (uint32_t k = 5 - count; k < 5; ++k) {
        const uint16_t code = static_cast<uint16_t>(base + digits[k]);
        store(static_cast<uint8_t>(code >> 8));
        store(static_cast<uint8_t>(code));
    }
    store(0);
}

void ExternalCommands::holdUp() {
    ScriptHost& host = interpreter_.host();
    if (!host.keyDown(key::kUp)) {
        setResult(0);
        return;
    }
    while (host.keyDown(key::kUp) && host.pump() != 0) {
    }
    setResult(1);
}

} // namespace fer

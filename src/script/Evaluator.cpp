#include "script/Evaluator.h"

#include <cstdio>
#include <cstring>

#include "core/Opcodes.h"
#include "script/ScriptMessages.h"

namespace fer {

namespace ex = mes::ex;

Evaluator::Evaluator(ScriptMachine& machine, ScriptHost& host) : machine_(machine), host_(host) {
    // Seeded from the local date and time; every draw mixes in the tick count.
    const LocalTime t = host.localTime();
    randomState_ = uint32_t{t.year} + t.month + t.dayOfWeek + t.day + t.hour + t.minute + t.second +
                   t.millisecond;
}

void Evaluator::fail(std::string_view title, std::string_view text) {
    if (halted_) return;
    halted_ = true;
    host_.fatalError(title, text);
}

void Evaluator::reportPcOutside() {
    fail(script_text::kScriptErrorTitle, script_text::kPcOutsideText);
}

void Evaluator::reportLogOverflow(uint32_t recordStart) {
    const std::string_view bytes =
        machine_.memory.cString(recordStart, ScriptMachine::kLogRecordLimit + 1);
    fail(script_text::kLogOverflowTitle, bytes);
}

void Evaluator::recordByte(uint8_t b) {
    const uint32_t pos = machine_.writePos();
    machine_.memory.setByte(pos, b);
    machine_.setWritePos(pos + 1);
    const uint32_t r = machine_.currentRecord % ScriptMachine::kLogRecords;
    LogRecord rec = machine_.record(r);
    rec.length += 1;
    machine_.setRecord(r, rec);
    if (rec.length >= ScriptMachine::kLogRecordLimit) reportLogOverflow(rec.start);
}

uint8_t Evaluator::fetchChecked() {
    uint32_t& pc = machine_.pcRef();
    if (pc >= ScriptMemory::kSize) {
        reportPcOutside();
        return 0;
    }
    const uint8_t b = machine_.memory.data()[pc++];
    if (recording()) recordByte(b);
    return b;
}

void Evaluator::reportStackOverflow() {
    fail(script_text::kStackOverflowTitle, script_text::kStackOverflowText);
}

void Evaluator::reportStackEmpty() {
    fail(script_text::kStackErrorTitle, script_text::kStackEmptyText);
}

uint32_t Evaluator::draw(uint16_t range) {
    const uint32_t t = host_.tickCount();
    const uint32_t s = randomState_;
    randomState_ = t + (s >> 16) * ((s >> 8) & 0xFF) + (s & 0xFFFF) * (s & 0xFF);
    // A zero range draws 0.
    return range == 0 ? 0 : randomState_ % range;
}

template <bool Recording, bool OneToken> uint32_t Evaluator::run(bool& ended) {
    ended = true;
    ScriptMemory& mem = machine_.memory;
    const uint8_t* bytes = mem.data();
    uint32_t& pcRef = machine_.pcRef();
    uint32_t* const stack = stack_.data();
    // The stack's depth and, when nothing is recorded, the pc live here while
    // the expression runs; they are stored back whenever anything outside
    // could look (a failure, a draw, an array read, which may read the
    // machine block, and the end).
    uint32_t depth = depth_;
    [[maybe_unused]] uint32_t pc = pcRef;
    auto store = [&]() __attribute__((always_inline)) {
        depth_ = depth;
        if constexpr (!Recording) pcRef = pc;
    };
    // Where the byte of the next token must lie below. A failure (the only
    // way the machine halts while an expression runs without recording)
    // drops it to 0, so the halt is seen at the next token: that token's
    // byte is read, then the expression ends with 0. Recording may halt on
    // any byte read (a full log), so it looks at the halt after every byte
    // instead.
    [[maybe_unused]] uint32_t limit = halted_ ? 0 : ScriptMemory::kSize;
    auto failed = [&]() __attribute__((always_inline)) {
        if constexpr (!Recording) limit = 0;
    };

    // Operand bytes: a read past the end yields 0xFF and halts; the pc stays
    // outside, so the next token ends the expression.
    auto next = [&]() __attribute__((always_inline)) -> uint8_t {
        if constexpr (Recording) {
            return fetchChecked();
        } else {
            if (pc >= ScriptMemory::kSize) [[unlikely]] {
                store();
                reportPcOutside();
                return 0xFF;
            }
            return bytes[pc++];
        }
    };
    auto next16 = [&]() __attribute__((always_inline)) -> uint32_t {
        const uint32_t lo = next();
        return lo | (uint32_t{next()} << 8);
    };
    // A push onto a full stack is dropped; the push that fills it is kept;
    // both end the machine.
    auto push = [&](uint32_t v) __attribute__((always_inline)) {
        if (depth >= kStackSize - 1) [[unlikely]] {
            if (depth < kStackSize) stack[depth++] = v;
            store();
            reportStackOverflow();
            failed();
            return;
        }
        stack[depth++] = v;
    };
    // A pop from the empty stack yields 0 and ends the machine.
    auto pop = [&]() __attribute__((always_inline)) -> uint32_t {
        if (depth == 0) [[unlikely]] {
            store();
            reportStackEmpty();
            failed();
            return 0;
        }
        return stack[--depth];
    };
    // Operators of two values: with both on the stack the result replaces
    // them in place; otherwise the pops and the push go one at a time, with
    // their failures.
    auto binary = [&](auto op) __attribute__((always_inline)) {
        if (depth >= 2) [[likely]] {
            --depth;
            stack[depth - 1] = op(stack[depth - 1], stack[depth]);
            return;
        }
        const uint32_t r = pop();
        const uint32_t l = pop();
        push(op(l, r));
    };

    for (;;) {
        uint8_t b;
        if constexpr (Recording) {
            b = fetchChecked();
            if (halted_) [[unlikely]] {
                store();
                return 0;
            }
        } else {
            if (pc >= limit) [[unlikely]] {
                if (pc < ScriptMemory::kSize) {
                    ++pc; // halted: the byte is read, then the halt seen
                } else {
                    store();
                    reportPcOutside();
                }
                store();
                return 0;
            }
            b = bytes[pc++];
        }
        if (b <= ex::kLastSmallLiteral) {
            push(b);
        } else switch (b) {
        case ex::kReg16: push(mem.reg16(next())); break;
        case ex::kDim16: {
            const uint8_t k = next();
            const uint32_t i = pop();
            store();
            push(machine_.wordElement(k, i));
            break;
        }
        case ex::kDim8: {
            const uint8_t k = next();
            const uint32_t i = pop();
            store();
            push(machine_.byteElement(k, i));
            break;
        }
#define FER_OPERATOR_CASE(name, code, spelling, level, value)                                      \
    case ex::name: binary([](uint32_t l, uint32_t r) -> uint32_t { return value; }); break;
        FER_EXPRESSION_OPERATORS(FER_OPERATOR_CASE)
#undef FER_OPERATOR_CASE
        case ex::kRandom: {
            const uint16_t range = static_cast<uint16_t>(next16());
            store();
            push(draw(range));
            break;
        }
        case ex::kWord: push(next16()); break;
        case ex::kDword: {
            const uint32_t lo = next16();
            push(lo | (next16() << 16));
            break;
        }
        case ex::kFlagConst: push(mem.flag(next16())); break;
        case ex::kFlagComputed: push(mem.flag(pop())); break;
        case ex::kDim32: {
            const uint8_t k = next();
            const uint32_t i = pop();
            store();
            push(machine_.dwordElement(k, i));
            break;
        }
        case ex::kReg32: push(mem.reg32(next())); break;
        case ex::kEndOfExpression: {
            const uint32_t result = pop();
            store();
            if (depth != 0) fail(script_text::kStackErrorTitle, script_text::kStackLeftText);
            return halted_ ? 0 : result;
        }
        default: push(b); break; // every other byte is a literal of its own value
        }
        if constexpr (OneToken) {
            store();
            ended = false;
            return 0;
        }
    }
}

uint32_t Evaluator::runRecorded() {
    bool ended;
    return run<true, false>(ended);
}

uint64_t Evaluator::runPlain() {
    if (halted_) [[unlikely]]
        return kHandOver;
    const ScriptMemory& mem = machine_.memory;
    const uint8_t* const bytes = mem.data();
    uint32_t* const stack = stack_.data();
    uint32_t depth = depth_;
    uint32_t pc = machine_.pc();
    uint32_t start; // where the token being read began
    // Operators of two values with both on the stack: the result replaces them.
    auto binary = [&](auto op) __attribute__((always_inline)) {
        if (depth < 2) return false;
        --depth;
        stack[depth - 1] = op(stack[depth - 1], stack[depth]);
        return true;
    };
    for (;;) {
        start = pc;
        if (pc >= ScriptMemory::kSize) [[unlikely]]
            break;
        const uint8_t b = bytes[pc++];
        uint32_t v;
        // Operands wholly inside the memory, pushes below the stack's last
        // place, pops from values that are there; anything else is handed over.
        if (b <= ex::kLastSmallLiteral) {
            v = b;
        } else {
            switch (b) {
            case ex::kReg16:
                if (pc >= ScriptMemory::kSize) goto handOver;
                v = mem.reg16(bytes[pc++]);
                break;
            case ex::kReg32:
                if (pc >= ScriptMemory::kSize) goto handOver;
                v = mem.reg32(bytes[pc++]);
                break;
            case ex::kWord:
            case ex::kFlagConst:
                if (pc > ScriptMemory::kSize - 2) goto handOver;
                v = uint32_t{bytes[pc]} | uint32_t{bytes[pc + 1]} << 8;
                pc += 2;
                if (b == ex::kFlagConst) v = mem.flag(v);
                break;
            case ex::kDword:
                if (pc > ScriptMemory::kSize - 4) goto handOver;
                std::memcpy(&v, bytes + pc, 4);
                pc += 4;
                break;
            case ex::kFlagComputed:
                // In place of the pop and the push, which fail on an empty
                // stack and on a full one.
                if (depth == 0 || depth >= kStackSize) goto handOver;
                stack[depth - 1] = mem.flag(stack[depth - 1]);
                continue;
#define FER_OPERATOR_CASE(name, code, spelling, level, value)                                      \
    case ex::name:                                                                                 \
        if (!binary([](uint32_t l, uint32_t r) -> uint32_t { return value; })) goto handOver;     \
        continue;
            FER_EXPRESSION_OPERATORS(FER_OPERATOR_CASE)
#undef FER_OPERATOR_CASE
            case ex::kEndOfExpression:
                if (depth != 1) goto handOver;
                depth_ = 0;
                machine_.setPc(pc);
                return stack[0];
            case ex::kDim16:
            case ex::kDim8:
            case ex::kRandom:
            case ex::kDim32: goto handOver;
            default: v = b; break; // every other byte is a literal of its own value
            }
        }
        if (depth >= kStackSize - 1) [[unlikely]]
            break;
        stack[depth++] = v;
    }
handOver:
    depth_ = depth;
    machine_.setPc(start);
    return kHandOver;
}

uint32_t Evaluator::runCareful() {
    for (;;) {
        bool ended;
        const uint32_t result = run<false, true>(ended);
        if (ended) return result;
        const uint64_t plain = runPlain();
        if (plain < kHandOver) return static_cast<uint32_t>(plain);
    }
}

void Evaluator::readArguments() {
    ArgumentList& args = machine_.arguments;
    args.clear();
    for (;;) {
        if (halted_) return;
        if (peek() == mes::tag::kEndOfList) {
            fetch();
            return;
        }
        const uint8_t tag = fetch();
        Argument* entry = args.beginEntry(); // nullptr past 30 entries: parsed, then dropped
        if (tag == mes::tag::kText) {
            if (entry) entry->setKind(Argument::kText);
            size_t i = 0;
            for (;;) {
                const uint8_t b = fetch();
                if (b == 0 || halted_) break;
                if (entry) entry->putTextByte(i, b);
                ++i;
            }
        } else if (tag == mes::tag::kNumber) {
            if (entry) entry->setKind(Argument::kNumber);
            const uint32_t v = evaluate();
            if (entry) entry->setValue(v);
        }
        args.endEntry();
    }
}

} // namespace fer

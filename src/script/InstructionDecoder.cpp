#include "script/InstructionDecoder.h"

#include "core/InstructionTable.h"
#include "script/Charset.h"
#include "script/ExpressionDecoder.h"
#include "script/StringLiteral.h"

namespace fer::mes {

std::string DecodedInstruction::source() const {
    return jump ? head + std::to_string(*jump) : head;
}

InstructionDecoder::InstructionDecoder(std::span<const uint8_t> code, Charset& charset)
    : code_(code), charset_(charset), index_(code, charset) {}

std::optional<DecodedInstruction> InstructionDecoder::decode(size_t p) {
    int64_t end = index_.instructionEnd(p);
    if (end == InstructionIndex::kNone) return std::nullopt;
    DecodedInstruction line;
    line.offset = p;
    line.size = static_cast<size_t>(end) - p;
    if (!write(p, static_cast<size_t>(end), line)) return std::nullopt;
    return line;
}

// Renders one instruction whose extent the index has established.
// Fills head and jump; false when some part does not decode.
bool InstructionDecoder::write(size_t p, size_t end, DecodedInstruction& line) {
    pos_ = p;
    std::string& h = line.head;
    uint8_t b = code_[pos_++];
    const TableEntry* entry = instructionEntry(b);
    const std::string name = entry ? std::string(entry->name) : std::string();
    switch (b) {
    case op::kEnd: h = name; return true;
    case op::kChoiceLoop: h = name; return true;
    case op::kText: h = name + " " + text(end - 1, pos_, true); return true;
    case op::kSingleText: h = name + " " + text(end - 1); return true;
    case op::kSetFlags: h = name + "[" + std::to_string(u16()) + "] = "; return list(end, h);
    case op::kSetReg16:
    case op::kSetReg32:
        h = name + "[" + std::to_string(code_[pos_++]) + "] = ";
        return list(end, h);
    case op::kSetBytes: {
        auto a = expression();
        if (!a) return false;
        h = name + "[" + *a + "] = ";
        return list(end, h);
    }
    case op::kSetDim8:
    case op::kSetDim16:
    case op::kSetDim32: {
        auto i = expression();
        if (!i) return false;
        h = name + "[" + std::to_string(code_[pos_++]) + "][" + *i + "] = ";
        return list(end, h);
    }
    case op::kIfGoto: {
        auto c = expression();
        if (!c) return false;
        h = name + " " + *c + " " + std::string(instructionEntry(op::kGoto)->name) + " ";
        line.jump = u32();
        return true;
    }
    case op::kGoto:
        h = name + " ";
        line.jump = u32();
        return true;
    case op::kSystem: {
        size_t numberAt = pos_;
        auto s = expression();
        if (!s) return false;
        const TableEntry* command = commandEntry(CommandKind::kSystem, code_[numberAt]);
        if (pos_ - numberAt == 2 && command) {
            h = std::string(command->name);
        } else {
            h = name + "(" + *s + ")";
        }
        return arguments(h);
    }
    case op::kChangeScript:
    case op::kCallScript:
    case op::kCallProc:
    case op::kExternal: h = name; return arguments(h);
    case op::kChoiceItem:
        h = name;
        if (!arguments(h)) return false;
        h += " -> ";
        line.jump = u32();
        return true;
    case op::kTextControl:
        h = code_[pos_] == 0 ? "newline" : name + " " + std::to_string(code_[pos_]);
        return true;
    case op::kDefineProc: {
        auto e = expression();
        if (!e) return false;
        h = name + " " + *e + " -> ";
        line.jump = u32();
        return true;
    }
    default:
        // Text without an opcode must start with a real character; other
        // bytes that merely pass the lead-byte test read better as bytes.
        if (p + 1 >= end || charset_.decodeExact(code_.data() + p, 2) < 0x80) return false;
        h = text(end - 1, p, true);
        return true;
    }
}

uint32_t InstructionDecoder::u16() {
    uint32_t v = code_[pos_] | code_[pos_ + 1] << 8;
    pos_ += 2;
    return v;
}
uint32_t InstructionDecoder::u32() {
    uint32_t v = u16();
    return v | u16() << 16;
}
std::string InstructionDecoder::text(size_t terminator, size_t from, bool doubleByte) {
    pos_ = terminator + 1;
    return quoteText(charset_, code_.data() + from, terminator - from, doubleByte);
}
std::optional<std::string> InstructionDecoder::expression() {
    int64_t e = index_.expressionEnd(pos_);
    if (e == InstructionIndex::kNone) return std::nullopt;
    auto s = ExpressionDecoder::decode(code_, pos_, static_cast<size_t>(e));
    pos_ = static_cast<size_t>(e);
    return s;
}
bool InstructionDecoder::list(size_t end, std::string& h) {
    while (true) {
        auto v = expression();
        if (!v) return false;
        h += *v;
        uint8_t c = code_[pos_++];
        if (c == 0) return pos_ == end;
        h += c == 1 ? ", " : ", {" + std::to_string(c) + "} ";
    }
}
bool InstructionDecoder::arguments(std::string& h) {
    bool first = true;
    while (true) {
        uint8_t t = code_[pos_++];
        if (t == tag::kEndOfList) return true;
        h += first ? " " : ", ";
        first = false;
        if (t == tag::kText) {
            int64_t z = index_.textTerminator(pos_, false);
            if (z == InstructionIndex::kNone) return false;
            h += text(static_cast<size_t>(z));
        } else if (t == tag::kNumber) {
            auto v = expression();
            if (!v) return false;
            h += *v;
        } else {
            h += "tag(" + std::to_string(t) + ")";
        }
    }
}

} // namespace fer::mes

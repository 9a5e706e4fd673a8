#include "Disassembler.h"

#include "ExpressionDecoder.h"
#include "InstructionIndex.h"
#include "core/Opcodes.h"
#include "StringLiteral.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <unordered_set>
#include <vector>

namespace fer::mes {

namespace {

constexpr size_t kBytesPerLine = 16;

struct Line {
    size_t offset = 0;
    size_t size = 0;
    bool raw = true;
    std::string head;             // the statement, up to its jump target
    std::optional<uint32_t> jump; // the target, written after head
};

std::string labelName(size_t offset) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "L%04zX", offset);
    return buf;
}

// Renders one instruction whose extent the index has established.
class InstructionWriter {
  public:
    InstructionWriter(std::span<const uint8_t> code, InstructionIndex& index, Charset& charset)
        : code_(code), index_(index), charset_(charset) {}

    // Fills head and jump; false when some part does not decode.
    bool write(size_t p, size_t end, Line& line) {
        pos_ = p;
        std::string& h = line.head;
        uint8_t b = code_[pos_++];
        switch (b) {
        case op::kEnd: h = "end"; return true;
        case op::kChoiceLoop: h = "choose"; return true;
        case op::kText: h = "text " + text(end - 1); return true;
        case op::kSingleText: h = "stext " + text(end - 1); return true;
        case op::kSetFlags: h = "flag[" + std::to_string(u16()) + "] = "; return list(end, h);
        case op::kSetReg16:
        case op::kSetReg32:
            h = (b == op::kSetReg16 ? "r16[" : "r32[") + std::to_string(code_[pos_++]) + "] = ";
            return list(end, h);
        case op::kSetBytes: {
            auto a = expression();
            if (!a) return false;
            h = "mem[" + *a + "] = ";
            return list(end, h);
        }
        case op::kSetDim8:
        case op::kSetDim16:
        case op::kSetDim32: {
            auto i = expression();
            if (!i) return false;
            const char* name = b == op::kSetDim8    ? "dim8["
                               : b == op::kSetDim16 ? "dim16["
                                                    : "dim32[";
            h = name + std::to_string(code_[pos_++]) + "][" + *i + "] = ";
            return list(end, h);
        }
        case op::kIfGoto: {
            auto c = expression();
            if (!c) return false;
            h = "unless " + *c + " goto ";
            line.jump = u32();
            return true;
        }
        case op::kGoto:
            h = "goto ";
            line.jump = u32();
            return true;
        case op::kSystem: {
            size_t numberAt = pos_;
            auto s = expression();
            if (!s) return false;
            if (pos_ - numberAt == 2 && code_[numberAt] < kSystemCommandNames.size()) {
                h = std::string(kSystemCommandNames[code_[numberAt]]);
            } else {
                h = "sys(" + *s + ")";
            }
            return arguments(h);
        }
        case op::kChangeScript: h = "change_script"; return arguments(h);
        case op::kCallScript: h = "call_script"; return arguments(h);
        case op::kCallProc: h = "call"; return arguments(h);
        case op::kExternal: h = "ext"; return arguments(h);
        case op::kChoiceItem:
            h = "choice";
            if (!arguments(h)) return false;
            h += " -> ";
            line.jump = u32();
            return true;
        case op::kTextControl:
            h = code_[pos_] == 0 ? "newline" : "text_control " + std::to_string(code_[pos_]);
            return true;
        case op::kDefineProc: {
            auto e = expression();
            if (!e) return false;
            h = "proc " + *e + " -> ";
            line.jump = u32();
            return true;
        }
        default:
            // Text without an opcode must start with a real character; other
            // bytes that merely pass the lead-byte test read better as bytes.
            if (p + 1 >= end || charset_.decodeExact(code_.data() + p, 2) < 0x80) return false;
            h = text(end - 1, p);
            return true;
        }
    }

  private:
    uint32_t u16() {
        uint32_t v = code_[pos_] | code_[pos_ + 1] << 8;
        pos_ += 2;
        return v;
    }
    uint32_t u32() {
        uint32_t v = u16();
        return v | u16() << 16;
    }
    std::string text(size_t terminator) { return text(terminator, pos_); }
    std::string text(size_t terminator, size_t from) {
        pos_ = terminator + 1;
        return quoteText(charset_, code_.data() + from, terminator - from);
    }
    std::optional<std::string> expression() {
        int64_t e = index_.expressionEnd(pos_);
        if (e == InstructionIndex::kNone) return std::nullopt;
        auto s = ExpressionDecoder::decode(code_, pos_, static_cast<size_t>(e));
        pos_ = static_cast<size_t>(e);
        return s;
    }
    bool list(size_t end, std::string& h) {
        while (true) {
            auto v = expression();
            if (!v) return false;
            h += *v;
            uint8_t c = code_[pos_++];
            if (c == 0) return pos_ == end;
            h += c == 1 ? ", " : ", {" + std::to_string(c) + "} ";
        }
    }
    bool arguments(std::string& h) {
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

    std::span<const uint8_t> code_;
    InstructionIndex& index_;
    Charset& charset_;
    size_t pos_ = 0;
};

} // namespace

Disassembler::Disassembler(Charset& charset)
    : charset_(charset), checker_(charset, [](const std::string&) -> std::optional<std::string> {
          return std::nullopt; // a decoded instruction never includes a file
      }) {}

std::string Disassembler::disassemble(std::span<const uint8_t> code) {
    InstructionIndex index(code, charset_);
    InstructionWriter writer(code, index, charset_);
    std::vector<Line> lines;
    size_t p = 0;
    while (p < code.size()) {
        int64_t end = index.instructionEnd(p);
        if (end != InstructionIndex::kNone) {
            Line line;
            line.offset = p;
            line.size = static_cast<size_t>(end) - p;
            line.raw = false;
            if (writer.write(p, static_cast<size_t>(end), line)) {
                std::string source = line.head;
                if (line.jump) source += std::to_string(*line.jump);
                AssemblyResult check = checker_.assembleText("<check>", source);
                if (check.ok() && check.code.size() == line.size &&
                    std::equal(check.code.begin(), check.code.end(), code.begin() + p)) {
                    lines.push_back(std::move(line));
                    p = static_cast<size_t>(end);
                    continue;
                }
            }
        }
        Line raw;
        raw.offset = p;
        raw.size = 1;
        lines.push_back(std::move(raw));
        ++p;
    }

    // Targets that land where a line begins (or at the very end) get labels.
    std::unordered_set<size_t> starts;
    for (const Line& l : lines) starts.insert(l.offset);
    starts.insert(code.size());
    std::unordered_set<size_t> labels;
    for (const Line& l : lines) {
        if (l.jump && starts.count(*l.jump)) labels.insert(*l.jump);
    }

    std::string out = "// charset " + std::string(charset_.name()) + "\n";
    out.reserve(code.size() * 6);
    for (size_t i = 0; i < lines.size();) {
        const Line& l = lines[i];
        if (labels.count(l.offset)) out += labelName(l.offset) + ":\n";
        if (!l.raw) {
            out += "    " + l.head;
            if (l.jump) {
                out += labels.count(*l.jump) ? labelName(*l.jump) : std::to_string(*l.jump);
            }
            out += '\n';
            ++i;
            continue;
        }
        out += "    bytes ";
        size_t n = 0;
        do {
            char buf[8];
            std::snprintf(buf, sizeof buf, n ? ", 0x%02X" : "0x%02X", code[lines[i].offset]);
            out += buf;
            ++n;
            ++i;
        } while (i < lines.size() && lines[i].raw && n < kBytesPerLine &&
                 !labels.count(lines[i].offset));
        out += '\n';
    }
    if (labels.count(code.size())) out += labelName(code.size()) + ":\n";
    return out;
}

} // namespace fer::mes

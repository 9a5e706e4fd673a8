#include "script/SourceListing.h"

#include "script/Charset.h"
#include "script/InstructionDecoder.h"

#include <cstdio>
#include <unordered_set>
#include <vector>

namespace fer::mes {

namespace {

constexpr size_t kBytesPerLine = 16;

struct Line {
    DecodedInstruction instruction;
    bool raw = true;
};

std::string madeUpLabel(size_t offset) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "L%04zX", offset);
    return buf;
}

} // namespace

SourceListing::SourceListing(Charset& charset, LineCheck check)
    : charset_(charset), check_(std::move(check)) {}

std::string SourceListing::write(std::span<const uint8_t> code) {
    auto labelName = [this](size_t offset) {
        auto named = labelNames_.find(offset);
        return named != labelNames_.end() ? named->second : madeUpLabel(offset);
    };
    InstructionDecoder decoder(code, charset_);
    std::vector<Line> lines;
    size_t p = 0;
    while (p < code.size()) {
        if (auto decoded = decoder.decode(p)) {
            if (!check_ || check_(decoded->source(), code.subspan(p, decoded->size))) {
                p += decoded->size;
                lines.push_back(Line{std::move(*decoded), false});
                continue;
            }
        }
        Line raw;
        raw.instruction.offset = p;
        raw.instruction.size = 1;
        lines.push_back(std::move(raw));
        ++p;
    }

    // Targets that land where a line begins (or at the very end) get labels.
    std::unordered_set<size_t> starts;
    for (const Line& l : lines) starts.insert(l.instruction.offset);
    starts.insert(code.size());
    std::unordered_set<size_t> labels;
    for (const Line& l : lines) {
        if (l.instruction.jump && starts.count(*l.instruction.jump))
            labels.insert(*l.instruction.jump);
    }

    std::string out = "// charset " + std::string(charset_.name()) + "\n";
    out.reserve(code.size() * 6);
    for (size_t i = 0; i < lines.size();) {
        const Line& l = lines[i];
        if (labels.count(l.instruction.offset)) out += labelName(l.instruction.offset) + ":\n";
        if (!l.raw) {
            out += "    " + l.instruction.head;
            if (l.instruction.jump) {
                out += labels.count(*l.instruction.jump) ? labelName(*l.instruction.jump)
                                                         : std::to_string(*l.instruction.jump);
            }
            out += '\n';
            ++i;
            continue;
        }
        out += "    bytes ";
        size_t n = 0;
        do {
            char buf[8];
            std::snprintf(buf, sizeof buf, n ? ", 0x%02X" : "0x%02X",
                          code[lines[i].instruction.offset]);
            out += buf;
            ++n;
            ++i;
        } while (i < lines.size() && lines[i].raw && n < kBytesPerLine &&
                 !labels.count(lines[i].instruction.offset));
        out += '\n';
    }
    if (labels.count(code.size())) out += labelName(code.size()) + ":\n";
    return out;
}

} // namespace fer::mes

#include "Disassembler.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace fer::mes {

Disassembler::Disassembler(Charset& charset)
    : checker_(charset,
               [](const std::string&) -> std::optional<std::string> {
                   return std::nullopt; // a decoded instruction never includes a file
               }),
      listing_(charset, [this](const std::string& source, std::span<const uint8_t> bytes) {
          return assemblesTo(source, bytes);
      }) {}

std::string Disassembler::disassemble(std::span<const uint8_t> code) {
    return listing_.write(code);
}

void Disassembler::useNames(const ScriptDebugInfo& debug) {
    std::unordered_map<size_t, std::string> names;
    for (const ScriptDebugInfo::Label& l : debug.labels) names.emplace(l.offset, l.name);
    listing_.setLabelNames(std::move(names));
}

bool Disassembler::assemblesTo(const std::string& source, std::span<const uint8_t> bytes) {
    AssemblyResult check = checker_.assembleText("<check>", source);
    return check.ok() && check.code.size() == bytes.size() &&
           std::equal(check.code.begin(), check.code.end(), bytes.begin());
}

} // namespace fer::mes

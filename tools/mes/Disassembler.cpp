#include "Disassembler.h"

#include <algorithm>
#include <optional>

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

bool Disassembler::assemblesTo(const std::string& source, std::span<const uint8_t> bytes) {
    AssemblyResult check = checker_.assembleText("<check>", source);
    return check.ok() && check.code.size() == bytes.size() &&
           std::equal(check.code.begin(), check.code.end(), bytes.begin());
}

} // namespace fer::mes

#pragma once
// An expression of the script language, typed by the author while
// debugging: compiled by the assembler's parser (with the names the debug
// information gives registers and flags as constants) and evaluated on a
// copy of the script memory, so that nothing it does (a random draw, a
// failure) touches the running game.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "script/ScriptMachine.h"

namespace fer {

using ScriptConstants = std::unordered_map<std::string, uint32_t>;

class ScriptExpression {
  public:
    // The byte code of text, end byte included; nothing, with the reason in
    // error, when it does not compile.
    static std::optional<std::vector<uint8_t>> compile(std::string_view text,
                                                       const ScriptConstants& names,
                                                       std::string& error);
    // The value of compiled code in the state of live; nothing, with the
    // evaluator's message in error, when evaluation fails.
    std::optional<uint32_t> evaluate(const ScriptMachine& live, const std::vector<uint8_t>& code,
                                     std::string& error);

  private:
    ScriptMachine scratch_;
};

} // namespace fer

#pragma once
// What the assembler knows of a script and the byte code forgets: the source
// files, where each statement's code begins (a code offset, from the script's
// first byte), the labels, the procedures and the names given to registers
// and flags. Written by mesasm beside each MES file as NAME.MES.dbg, read
// back by mesdis and the debug adapter. The file is text, one record a line:
//
//   mesdbg 1
//   source PATH                       (the first is source 0, the next 1, ...)
//   line OFFSET SOURCE LINE COLUMN    (in the order of the code)
//   label OFFSET NAME
//   proc NUMBER OFFSET                (where the procedure's body begins)
//   name r16|r32|flag NUMBER NAME
//
// Numbers are decimal.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fer {

class ScriptDebugInfo {
  public:
    struct Line {
        uint32_t offset;
        uint32_t source;
        uint32_t line;
        uint32_t column;
        bool operator==(const Line&) const = default;
    };
    struct Label {
        uint32_t offset;
        std::string name;
        bool operator==(const Label&) const = default;
    };
    struct Procedure {
        uint32_t number;
        uint32_t offset;
        bool operator==(const Procedure&) const = default;
    };
    enum class NameKind { kReg16, kReg32, kFlag };
    struct Name {
        NameKind kind;
        uint32_t number;
        std::string name;
        bool operator==(const Name&) const = default;
    };

    // Files larger than this are no debug information of a script.
    static constexpr size_t kMaxText = 16u << 20;
    static constexpr size_t kMaxNameLength = 4096;

    std::vector<std::string> sources;
    std::vector<Line> lines;
    std::vector<Label> labels;
    std::vector<Procedure> procedures;
    std::vector<Name> names;

    bool operator==(const ScriptDebugInfo&) const = default;

    std::string write() const;
    // The whole text or nothing: false with the line's number and what is
    // wrong in error.
    bool parse(std::string_view text, std::string& error);

    // The statement whose code holds offset: the last line at or before it.
    const Line* lineAt(uint32_t offset) const;
    // Every statement that begins on this line of this source.
    std::vector<uint32_t> offsetsOf(uint32_t source, uint32_t line) const;
    std::optional<uint32_t> sourceIndex(std::string_view path) const;
    const std::string* nameOf(NameKind kind, uint32_t number) const;
    std::optional<NameKind> kindNamed(std::string_view word) const;
    static const char* kindWord(NameKind kind);
};

} // namespace fer

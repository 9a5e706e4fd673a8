#pragma once
// The bytes of a script being assembled, with its labels and the jump
// targets that wait for them.

#include "Diagnostic.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace fer::mes {

class CodeBuffer {
  public:
    void emit(uint8_t b) { bytes_.push_back(b); }
    void emit16(uint32_t v) {
        emit(static_cast<uint8_t>(v));
        emit(static_cast<uint8_t>(v >> 8));
    }
    void emit32(uint32_t v) {
        for (int i = 0; i < 4; ++i) emit(static_cast<uint8_t>(v >> (8 * i)));
    }
    void append(const std::vector<uint8_t>& b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); }
    size_t size() const { return bytes_.size(); }
    void patch32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }

    // Defines name at the current offset; returns where it was defined before, if it was.
    const SourceLocation* defineLabel(const std::string& name, const SourceLocation& where);
    bool hasLabel(const std::string& name) const { return labels_.count(name) != 0; }
    // Emits a 4-byte target that is filled in when the label is known.
    void emitLabelTarget(const std::string& name, const SourceLocation& where);
    // Fills every target; reports labels that were never defined.
    void resolve(std::vector<Diagnostic>& diagnostics);

    std::vector<uint8_t> take() { return std::move(bytes_); }
    // Every label defined, with its offset.
    std::vector<std::pair<std::string, uint32_t>> labels() const {
        std::vector<std::pair<std::string, uint32_t>> out;
        for (const auto& [name, label] : labels_) out.emplace_back(name, label.offset);
        return out;
    }

  private:
    struct Label {
        uint32_t offset;
        SourceLocation where;
    };
    struct Fixup {
        size_t at;
        std::string label;
        SourceLocation where;
    };

    std::vector<uint8_t> bytes_;
    std::unordered_map<std::string, Label> labels_;
    std::vector<Fixup> fixups_;
};

} // namespace fer::mes

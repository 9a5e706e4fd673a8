#pragma once
// Turns script byte code into MES source text: one line per instruction
// that decodes, and passes the check when one is given; every other byte
// is written as raw bytes. Jump targets that land on a line get a label.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <unordered_map>

namespace fer::mes {

class Charset;

// Whether a line of source stands for exactly the given bytes.
using LineCheck = std::function<bool(const std::string& source, std::span<const uint8_t> bytes)>;

class SourceListing {
  public:
    // Without a check every instruction that decodes is listed as decoded.
    explicit SourceListing(Charset& charset, LineCheck check = {});

    std::string write(std::span<const uint8_t> code);
    // Names for the labels at these offsets instead of the made-up ones.
    void setLabelNames(std::unordered_map<size_t, std::string> names) {
        labelNames_ = std::move(names);
    }

  private:
    Charset& charset_;
    LineCheck check_;
    std::unordered_map<size_t, std::string> labelNames_;
};

} // namespace fer::mes

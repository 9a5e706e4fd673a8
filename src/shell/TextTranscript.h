#pragma once
// A transcript of the text the scripts draw, as UTF-8 lines: a character
// drawn left of or below the previous one starts a new line. Headless runs
// print it so that a player, a translator or a test can read what the game
// said without a window.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "core/BuildVariant.h"
#include "core/IconvConverter.h"

namespace fer {

class TextTranscript {
  public:
    TextTranscript(const BuildVariant& variant, std::FILE* out);
    ~TextTranscript();
    TextTranscript(const TextTranscript&) = delete;
    TextTranscript& operator=(const TextTranscript&) = delete;

    void add(uint16_t code, int x, int y);
    void flush();
    // Every finished line is also handed here.
    void setLineListener(std::function<void(const std::string&)> listener) {
        listener_ = std::move(listener);
    }

    // The UTF-8 text of one character code; empty when it does not convert.
    std::string toUtf8(uint16_t code) const;

  private:
    const BuildVariant& variant_;
    std::FILE* out_;
    mutable IconvConverter converter_; // from the build's code page to UTF-8
    std::string line_;
    int lastX_ = -1;
    int lastY_ = -1;
    std::function<void(const std::string&)> listener_;
};

} // namespace fer

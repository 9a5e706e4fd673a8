#pragma once
// The double-byte character set of a build: conversion between UTF-8 source
// text and script bytes, and the lead-byte test that starts implicit text.

#include "core/IconvConverter.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace fer {
struct BuildVariant;
}

namespace fer::mes {

class Charset {
  public:
    // "gb2312" or "sjis"; nullptr for an unknown name or when iconv lacks the code page.
    static std::unique_ptr<Charset> open(std::string_view name);

    std::string_view name() const;
    bool isLeadByte(uint8_t b) const;

    // Appends the encoding of a UTF-8 string to out. On failure returns the byte
    // offset in utf8 of the first character that cannot be encoded; else npos.
    size_t encode(std::string_view utf8, std::vector<uint8_t>& out);

    // Decodes the n (1 or 2) bytes at p as one character that encodes back to
    // exactly those bytes; returns its code point, or -1.
    int32_t decodeExact(const uint8_t* p, size_t n);

  private:
    explicit Charset(const BuildVariant& variant);
    int32_t decodeUncached(const uint8_t* p, size_t n);

    const BuildVariant& variant_;
    IconvConverter toCharset_;
    IconvConverter toUnicode_;
    std::vector<int32_t> singleCache_; // 256 entries, -2 = not yet known
    std::vector<int32_t> doubleCache_; // 65536 entries
};

// Appends the UTF-8 form of a code point.
void appendUtf8(std::string& out, uint32_t cp);
// Length of the valid UTF-8 sequence at s[i], or 0 when it is invalid.
size_t utf8SequenceLength(std::string_view s, size_t i);

} // namespace fer::mes

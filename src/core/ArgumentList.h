#pragma once
// The parsed argument list of the current command: up to 30 entries of 28
// bytes each, kind in byte 0, text in bytes 1..27, value in bytes 24..27.
// A text of more than 23 bytes overwrites the value of its own entry.

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace fer {

class Argument {
  public:
    enum Kind : uint8_t { kEmpty = 0, kText = 1, kNumber = 2 };
    static constexpr size_t kBytes = 28;
    static constexpr size_t kTextCapacity = 26; // bytes that fit with the terminator

    Kind kind() const { return static_cast<Kind>(raw_[0]); }
    uint32_t value() const {
        uint32_t v;
        std::memcpy(&v, raw_.data() + 24, 4);
        return v;
    }
    std::string_view text() const {
        const char* p = reinterpret_cast<const char*>(raw_.data() + 1);
        const void* end = std::memchr(p, 0, kBytes - 1);
        return {p, end ? static_cast<size_t>(static_cast<const char*>(end) - p) : kBytes - 1};
    }

    void clear() { raw_.fill(0); }
    void setKind(Kind k) { raw_[0] = k; }
    void setValue(uint32_t v) { std::memcpy(raw_.data() + 24, &v, 4); }
    // Appends one text byte at position i (0-based); bytes past the capacity are dropped.
    void putTextByte(size_t i, uint8_t b) {
        if (i < kTextCapacity) raw_[1 + i] = b;
    }
    const std::array<uint8_t, kBytes>& raw() const { return raw_; }

  private:
    std::array<uint8_t, kBytes> raw_{};
};

class ArgumentList {
  public:
    static constexpr uint32_t kCapacity = 30;

    void clear() {
        for (auto& e : entries_) e.clear();
        count_ = 0;
    }
    uint32_t count() const { return count_; }
    // Entry n; entries beyond the list read as empty (kind 0, value 0).
    const Argument& operator[](size_t n) const { return n < kCapacity ? entries_[n] : empty_; }
    uint32_t value(size_t n) const { return (*this)[n].value(); }
    std::string_view text(size_t n) const { return (*this)[n].text(); }

    // The reader's view: the entry being filled, or nullptr once the list is full.
    Argument* beginEntry() {
        if (count_ >= kCapacity) return nullptr;
        return &entries_[count_];
    }
    void endEntry() {
        if (count_ < kCapacity) ++count_;
    }

  private:
    std::array<Argument, kCapacity> entries_{};
    uint32_t count_ = 0;
    Argument empty_{};
};

} // namespace fer

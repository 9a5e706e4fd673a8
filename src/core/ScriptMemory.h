#pragma once
// The script machine's one flat byte array. Every script address is an offset
// into it; saved games are its first 4096 bytes. All multi-byte values are
// little-endian. Every accessor keeps inside the array: reads outside yield 0,
// writes outside are dropped.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>

#include "core/ScriptRegisters.h"

namespace fer {

static_assert(std::endian::native == std::endian::little,
              "the engine assumes a little-endian host");

class ScriptMemory {
  public:
    static constexpr uint32_t kSize = 1053124; // 0x1011C4
    static constexpr uint32_t kNameOffset = 0x0000;
    static constexpr uint32_t kNameSize = 128;
    static constexpr uint32_t kFlagBase = 0x0080;
    static constexpr uint32_t kFlagCount = 2048;
    static constexpr uint32_t kWordArray0Ref = 0x0880;
    static constexpr uint32_t kReg16Base = 0x0884;
    static constexpr uint32_t kReg32Base = 0x08F0;
    static constexpr uint32_t kCodeBase = 0x1000;
    static constexpr uint32_t kCodeSize = kSize - kCodeBase; // 1,049,028
    static constexpr uint32_t kSaveSize = 4096;

    ScriptMemory() : bytes_(std::make_unique_for_overwrite<uint8_t[]>(kSize)) { clear(); }

    void clear() { std::memset(bytes_.get(), 0, kSize); }

    uint8_t* data() { return bytes_.get(); }
    const uint8_t* data() const { return bytes_.get(); }
    std::span<uint8_t> bytes() { return {bytes_.get(), kSize}; }
    std::span<const uint8_t> bytes() const { return {bytes_.get(), kSize}; }

    static constexpr bool fits(uint64_t offset, uint64_t length) {
        return offset <= kSize && length <= kSize - offset;
    }

    uint8_t byte(uint64_t offset) const { return offset < kSize ? bytes_[offset] : 0; }
    void setByte(uint64_t offset, uint8_t v) {
        if (offset < kSize) bytes_[offset] = v;
    }
    uint16_t word(uint64_t offset) const {
        if (!fits(offset, 2)) return 0;
        uint16_t v;
        std::memcpy(&v, bytes_.get() + offset, 2);
        return v;
    }
    void setWord(uint64_t offset, uint16_t v) {
        if (fits(offset, 2)) std::memcpy(bytes_.get() + offset, &v, 2);
    }
    uint32_t dword(uint64_t offset) const {
        if (!fits(offset, 4)) return 0;
        uint32_t v;
        std::memcpy(&v, bytes_.get() + offset, 4);
        return v;
    }
    void setDword(uint64_t offset, uint32_t v) {
        if (fits(offset, 4)) std::memcpy(bytes_.get() + offset, &v, 4);
    }

    // Flags, read as unsigned bytes; flag numbers past the memory read 0.
    uint8_t flag(uint64_t n) const { return byte(kFlagBase + n); }
    void setFlag(uint64_t n, uint8_t v) { setByte(kFlagBase + n, v); }

    // Registers: indexes are one byte, so these never leave the array.
    uint16_t reg16(uint8_t r) const { return word(kReg16Base + 2u * r); }
    void setReg16(uint8_t r, uint16_t v) { setWord(kReg16Base + 2u * r, v); }
    uint32_t reg32(uint8_t r) const { return dword(kReg32Base + 4u * r); }
    void setReg32(uint8_t r, uint32_t v) { setDword(kReg32Base + 4u * r, v); }

    uint16_t controlWord() const { return reg16(reg16::kControlWord); }
    void setControlWord(uint16_t v) { setReg16(reg16::kControlWord, v); }
    bool controlBits(uint16_t mask) const { return (controlWord() & mask) == mask; }
    void setControlBits(uint16_t mask) { setControlWord(controlWord() | mask); }
    void clearControlBits(uint16_t mask) { setControlWord(controlWord() & ~mask); }

    // The zero-terminated script name at offset 0 (at most 127 characters).
    std::string_view scriptName() const;
    void setScriptName(std::string_view name);

    // Copies a zero-terminated string starting at offset, at most maxLength bytes.
    std::string_view cString(uint64_t offset, size_t maxLength) const;

  private:
    std::unique_ptr<uint8_t[]> bytes_;
};

} // namespace fer

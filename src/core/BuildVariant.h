#pragma once
// The values in which the GB2312 and the Shift-JIS builds of the engine
// differ. The engine core takes the variant as a value; each program picks one.

#include <cstdint>

namespace fer {

struct BuildVariant {
    const char* name;             // "gb2312" or "sjis"
    const char* settingsFileName; // "KITE5HAN.INI" / "KITE5CHS.INI"
    const char* saveNameFormat;   // printf format of a slot's save file name
    const char* slot6FileName;    // the slot-6 file that external command 107 reads
    uint8_t leadByteUpper;        // lead bytes: 0x81..leadByteUpper and 0xE0..0xEF
    uint16_t fullWidthDigitBase;  // code of the full-width digit 0
    const char* iconvCharset;     // the double-byte code page for iconv
    uint8_t fixedGlyphSize = 0;   // glyphs keep this pixel size whatever the request; 0: follow it

    constexpr bool isLeadByte(uint8_t b) const {
        return (b >= 0x81 && b <= leadByteUpper) || (b >= 0xE0 && b <= 0xEF);
    }
};

inline constexpr BuildVariant kGb2312Variant{"gb2312", "KITE5HAN.INI", "SAVE%02u", "save06",
                                             0xFE,     0xA3B0,         "CP936",    16};
inline constexpr BuildVariant kShiftJisVariant{"sjis", "KITE5CHS.INI", "FLAG%02u", "flag06",
                                               0x9F,   0x824F,         "CP932",    0};

} // namespace fer

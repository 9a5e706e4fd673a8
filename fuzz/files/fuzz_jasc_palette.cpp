// The JASC-PAL reader: any text gives a palette of at most 256 colours or
// nothing, and a palette read back from its own text is the same.

#include <cstdint>
#include <string>

#include "files/JascPalette.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto colours = fer::parseJascPalette(text);
    if (!colours) return 0;
    if (colours->size() > 256) __builtin_trap();
    std::string again = "JASC-PAL\r\n0100\r\n" + std::to_string(colours->size()) + "\r\n";
    for (const fer::RgbColour& c : *colours)
        again += std::to_string(c.red) + " " + std::to_string(c.green) + " " +
                 std::to_string(c.blue) + "\r\n";
    const auto back = fer::parseJascPalette(again);
    if (!back || *back != *colours) __builtin_trap();
    return 0;
}

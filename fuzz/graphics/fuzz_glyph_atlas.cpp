// Glyph atlas files: the input is the file. A file that parses is asked for
// a few code points and sizes, and written out: what it writes parses again
// to the same atlas.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "graphics/GlyphAtlas.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto atlas = fer::GlyphAtlas::parse(std::span(data, size), "fuzz");
    if (!atlas) return 0;
    fer::GlyphMask mask;
    for (char32_t c : {U'\0', U'A', U'\u4E2D', U'\U0010FFFF'}) atlas->rasterize({c, 16, 16}, mask);
    atlas->rasterize({U'A', 24, 24}, mask);
    const std::vector<uint8_t> written = atlas->serialize();
    auto again = fer::GlyphAtlas::parse(written, "again");
    if (!again || again->serialize() != written) std::abort();
    return 0;
}

// glyphbake VARIANT OUT: rasterises every character of the variant's code
// page (the double-byte codes and the single bytes) with the engine's own
// text font, at the cell size the variant draws, and writes them as a glyph
// atlas. The browser build reads the atlas instead of a font file, so its
// text has the same pixels as the native engine's.

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "core/BuildVariant.h"
#include "core/FatalErrorHandler.h"
#include "files/AtomicFileWriter.h"
#include "graphics/CharsetDecoder.h"
#include "graphics/GlyphAtlas.h"
#include "platform/freetype/TextFontLoader.h"

namespace {

struct PrintErrors : fer::FatalErrorHandler {
    void fatalError(std::string_view title, std::string_view text) override {
        std::fprintf(stderr, "glyphbake: %.*s: %.*s\n", int(title.size()), title.data(),
                     int(text.size()), text.data());
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[1], "gb2312") != 0 && std::strcmp(argv[1], "sjis") != 0)) {
        std::fputs("usage: glyphbake gb2312|sjis OUT\n", stderr);
        return 2;
    }
    const fer::BuildVariant& variant =
        std::strcmp(argv[1], "sjis") == 0 ? fer::kShiftJisVariant : fer::kGb2312Variant;
    if (variant.fixedGlyphSize != fer::GlyphAtlas::kCell) {
        std::fprintf(stderr, "glyphbake: the %s build draws glyphs of any size\n", variant.name);
        return 1;
    }
    PrintErrors errors;
    auto font = fer::loadTextFont(variant, "", errors);
    if (!font) return 1;
    fer::CharsetDecoder decoder;
    if (!decoder.open(variant.iconvCharset)) {
        std::fprintf(stderr, "glyphbake: iconv does not know %s\n", variant.iconvCharset);
        return 1;
    }
    fer::GlyphAtlas atlas;
    const fer::GlyphRequest size{0, variant.fixedGlyphSize, variant.fixedGlyphSize};
    auto bake = [&](std::optional<char32_t> codePoint) {
        fer::GlyphMask mask;
        if (!codePoint) return true;
        fer::GlyphRequest request = size;
        request.codePoint = *codePoint;
        if (!font->rasterize(request, mask)) return true;
        if (atlas.add(*codePoint, mask)) return true;
        std::fprintf(stderr, "glyphbake: U+%04X does not fit a %d-pixel cell\n",
                     unsigned(*codePoint), fer::GlyphAtlas::kCell);
        return false;
    };
    for (int lead = 0x81; lead <= 0xFF; ++lead) {
        if (!variant.isLeadByte(uint8_t(lead))) continue;
        for (int trail = 0x40; trail <= 0xFE; ++trail)
            if (!bake(decoder.decodeDouble(uint8_t(lead), uint8_t(trail)))) return 1;
    }
    for (int single = 0; single <= 0xFF; ++single)
        if (!bake(decoder.decodeSingle(uint8_t(single)))) return 1;
    const std::vector<uint8_t> bytes = atlas.serialize();
    if (fer::replaceFileAtomically(argv[2], bytes) != fer::WriteOutcome::kDone) {
        std::fprintf(stderr, "glyphbake: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("glyphbake: %zu glyphs of %s in %s\n", atlas.size(), font->fontName().c_str(),
                argv[2]);
    return 0;
}

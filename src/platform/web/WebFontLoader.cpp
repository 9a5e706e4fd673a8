// The browser build's text font: the glyph atlas the native build baked with
// the same font (tools/glyphbake), placed by the page beside the engine.

#include <span>
#include <string>

#include "core/EngineStrings.h"
#include "files/FileText.h"
#include "graphics/GlyphAtlas.h"
#include "graphics/TextMessages.h"
#include "platform/freetype/TextFontLoader.h"

namespace fer {

std::unique_ptr<GlyphRasterizer>
loadTextFont(const BuildVariant& variant, std::string_view chosenFile, FatalErrorHandler& errors) {
    const std::string path = chosenFile.empty()
                                 ? std::string("/engine/glyphs-") + variant.name + ".atlas"
                                 : std::string(chosenFile);
    constexpr uint64_t kMaxAtlas = 64u << 20;
    std::string bytes;
    std::optional<GlyphAtlas> atlas;
    if (readFileText(path, kMaxAtlas, bytes) == ReadFailure::kNone)
        atlas = GlyphAtlas::parse(
            std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), path);
    if (!atlas) {
        errors.fatalError(text_text::kFontCreateFailedTitle,
                          std::string(text_text::kFontHandle) + "\n" +
                              engineText(engineLanguageFor(variant), EngineString::kFontUnusable,
                                         {path, {}}));
        return nullptr;
    }
    return std::make_unique<GlyphAtlas>(std::move(*atlas));
}

} // namespace fer

#include "platform/freetype/TextFontLoader.h"

#include <string>

#include "core/EngineStrings.h"
#include "files/PrintableName.h"
#include "graphics/TextMessages.h"
#include "platform/freetype/FontLocator.h"
#include "platform/freetype/FreeTypeRasterizer.h"

namespace fer {

std::unique_ptr<GlyphRasterizer>
loadTextFont(const BuildVariant& variant, std::string_view chosenFile, FatalErrorHandler& errors) {
    const EngineLanguage language = engineLanguageFor(variant);
    // The reason names the file, which the settings may have chosen: its
    // name is shown as printable text.
    const auto fail = [&](EngineString reason, std::string_view path,
                          std::string_view other = {}) {
        const std::string shown = printableName(path, nameCharsetFor(variant.iconvCharset));
        errors.fatalError(text_text::kFontCreateFailedTitle,
                          std::string(text_text::kFontHandle) + "\n" +
                              engineText(language, reason, {shown, other}));
        return nullptr;
    };
    const FontLocator locator(variant.iconvCharset);
    std::string error;
    const std::optional<FontFile> file = locator.locate(chosenFile, error);
    if (!file && !chosenFile.empty()) return fail(EngineString::kFontChosenMissing, chosenFile);
    if (!file) {
        errors.fatalError(text_text::kFontCreateFailedTitle,
                          std::string(text_text::kFontHandle) + "\n" +
                              engineText(language, EngineString::kFontNoneFound,
                                         {FontLocator::kDefaultPackage, FontLocator::kSection,
                                          FontLocator::kKey}));
        return nullptr;
    }
    std::unique_ptr<FreeTypeRasterizer> font =
        FreeTypeRasterizer::open(file->path, file->faceIndex, error);
    if (!font) return fail(EngineString::kFontUnusable, file->path);
    // One ideograph common to both code pages.
    if (!font->hasGlyph(U'\u4E2D'))
        return fail(EngineString::kFontNoCjk, file->path, FontLocator::kDefaultPackage);
    return font;
}

} // namespace fer

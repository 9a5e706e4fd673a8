#include "platform/freetype/TextFontLoader.h"

#include <string>

#include "files/PrintableName.h"
#include "graphics/TextMessages.h"
#include "platform/freetype/FontLocator.h"
#include "platform/freetype/FreeTypeRasterizer.h"

namespace fer {

std::unique_ptr<GlyphRasterizer>
loadTextFont(const BuildVariant& variant, std::string_view chosenFile, FatalErrorHandler& errors) {
    const auto fail = [&](const std::string& reason) {
        // The reason names the file, which the settings may have chosen.
        errors.fatalError(text_text::kFontCreateFailedTitle,
                          std::string(text_text::kFontHandle) + "\n" +
                              printableName(reason, nameCharsetFor(variant.iconvCharset)));
        return nullptr;
    };
    const FontLocator locator(variant.iconvCharset);
    std::string error;
    const std::optional<FontFile> file = locator.locate(chosenFile, error);
    if (!file) return fail(error);
    std::unique_ptr<FreeTypeRasterizer> font =
        FreeTypeRasterizer::open(file->path, file->faceIndex, error);
    if (!font) return fail(error + ".");
    // One ideograph common to both code pages.
    if (!font->hasGlyph(U'\u4E2D'))
        return fail("The font file " + file->path +
                    " has no Chinese or Japanese characters. Install " +
                    FontLocator::kDefaultPackage + " (apt-get install " +
                    FontLocator::kDefaultPackage + ").");
    return font;
}

} // namespace fer

#include "platform/freetype/FontLocator.h"

#include <filesystem>
#include <memory>
#include <system_error>

#include <fontconfig/fontconfig.h>

namespace fer {

namespace {

bool isFile(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
}

bool japanese(std::string_view charset) {
    return charset == "CP932";
}

struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct FontSetDeleter {
    void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};
struct CharSetDeleter {
    void operator()(FcCharSet* c) const { FcCharSetDestroy(c); }
};
struct ConfigDeleter {
    void operator()(FcConfig* c) const { FcConfigDestroy(c); }
};

} // namespace

FontLocator::FontLocator(std::string_view charset) : FontLocator(charset, defaultFiles(charset)) {}

FontLocator::FontLocator(std::string_view charset, std::vector<std::string> defaults)
    : language_(japanese(charset) ? "ja" : "zh-cn"), defaults_(std::move(defaults)) {}

std::vector<std::string> FontLocator::defaultFiles(std::string_view charset) {
    // GNU Unifont: exact 16x16 double-byte and 8x16 half-width glyphs that
    // render pixel for pixel in monochrome. Its Japanese edition draws the
    // kanji in their Japanese forms. Debian's fontconfig hides bitmap fonts,
    // so the files are looked up by path first.
    const std::string dir = "/usr/share/fonts/opentype/unifont/";
    if (japanese(charset)) return {dir + "unifont_jp.otf", dir + "unifont.otf"};
    return {dir + "unifont.otf"};
}

std::optional<FontFile> FontLocator::locate(std::string_view chosen, std::string& error) const {
    if (!chosen.empty()) {
        std::string path(chosen);
        if (isFile(path)) return FontFile{path, 0};
        error = "The chosen font file " + path + " does not exist.";
        return std::nullopt;
    }
    for (const std::string& path : defaults_)
        if (isFile(path)) return FontFile{path, 0};
    if (auto match = fontconfigMatch()) return match;
    error = std::string("No font with Chinese and Japanese characters was found. Install one: "
                        "apt-get install ") +
            kDefaultPackage + " (or set " + kKey + "= in section [" + kSection +
            "] of the settings file to a font file).";
    return std::nullopt;
}

std::optional<FontFile> FontLocator::fontconfigMatch() const {
    std::unique_ptr<FcConfig, ConfigDeleter> config(FcInitLoadConfigAndFonts());
    if (!config) return std::nullopt;
    std::unique_ptr<FcPattern, PatternDeleter> pattern(FcPatternCreate());
    if (!pattern) return std::nullopt;
    FcPatternAddString(pattern.get(), FC_LANG, reinterpret_cast<const FcChar8*>(language_.c_str()));
    FcPatternAddInteger(pattern.get(), FC_SPACING, FC_MONO);
    FcConfigSubstitute(config.get(), pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    std::unique_ptr<FcFontSet, FontSetDeleter> fonts(
        FcFontSort(config.get(), pattern.get(), FcTrue, nullptr, &result));
    if (!fonts) return std::nullopt;

    // The test characters: 中 (both languages), あ and ア (kana).
    std::unique_ptr<FcCharSet, CharSetDeleter> needed(FcCharSetCreate());
    for (FcChar32 c : {0x4E2Du, 0x3042u, 0x30A2u, 0x0041u}) FcCharSetAddChar(needed.get(), c);
    for (int i = 0; i < fonts->nfont; ++i) {
        FcPattern* font = fonts->fonts[i];
        FcCharSet* charset = nullptr;
        FcChar8* file = nullptr;
        int index = 0;
        if (FcPatternGetCharSet(font, FC_CHARSET, 0, &charset) != FcResultMatch) continue;
        if (!FcCharSetIsSubset(needed.get(), charset)) continue;
        if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) continue;
        FcPatternGetInteger(font, FC_INDEX, 0, &index);
        return FontFile{reinterpret_cast<const char*>(file), index};
    }
    return std::nullopt;
}

} // namespace fer

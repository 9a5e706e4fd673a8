#include "platform/sdl/MenuFont.h"

#include <filesystem>
#include <memory>

#include <fontconfig/fontconfig.h>
#include <imgui.h>
#include <imgui_freetype.h>

namespace fer {

namespace {

constexpr const char* kUnifontPaths[] = {
    "/usr/share/fonts/opentype/unifont/unifont.otf",
    "/usr/share/fonts/truetype/unifont/unifont.ttf",
};

struct ConfigDeleter {
    void operator()(FcConfig* c) const { FcConfigDestroy(c); }
};
struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};

std::string fontconfigMatch() {
    std::unique_ptr<FcConfig, ConfigDeleter> config(FcInitLoadConfigAndFonts());
    if (!config) return {};
    std::unique_ptr<FcPattern, PatternDeleter> pattern(
        FcNameParse(reinterpret_cast<const FcChar8*>("Unifont:lang=zh-cn")));
    if (!pattern) return {};
    FcConfigSubstitute(config.get(), pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    std::unique_ptr<FcPattern, PatternDeleter> match(
        FcFontMatch(config.get(), pattern.get(), &result));
    if (!match) return {};
    FcChar8* file = nullptr;
    if (FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || !file) return {};
    return reinterpret_cast<const char*>(file);
}

} // namespace

std::string MenuFont::findFile() {
    std::error_code ec;
    for (const char* path : kUnifontPaths)
        if (std::filesystem::is_regular_file(path, ec)) return path;
    return fontconfigMatch();
}

bool MenuFont::build(const std::string& path, const MenuGlyphs& glyphs) {
    ImFontAtlas* atlas = ImGui::GetIO().Fonts;
    atlas->Clear();
    atlas->FontBuilderIO = ImGuiFreeType::GetBuilderForFreeType();
    atlas->FontBuilderFlags = ImGuiFreeTypeBuilderFlags_Monochrome |
                              ImGuiFreeTypeBuilderFlags_MonoHinting |
                              ImGuiFreeTypeBuilderFlags_Bitmap;
    ranges_ = glyphs.ranges();
    bool cjk = false;
    std::error_code ec;
    if (!path.empty() && std::filesystem::is_regular_file(path, ec)) {
        ImFontConfig config;
        config.OversampleH = 1;
        config.OversampleV = 1;
        config.PixelSnapH = true;
        cjk = atlas->AddFontFromFileTTF(path.c_str(), kPixelSize, &config,
                                        reinterpret_cast<const ImWchar*>(ranges_.data())) !=
                  nullptr &&
              atlas->Build();
        if (!cjk) atlas->Clear();
    }
    if (!cjk) {
        atlas->AddFontDefault();
        atlas->Build();
    }
    return cjk;
}

} // namespace fer

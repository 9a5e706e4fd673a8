#include "shell/GameTitle.h"

#include "core/IconvConverter.h"

namespace fer {

namespace {
bool isAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}
} // namespace

std::string gameTitleInUtf8(std::string_view title, const BuildVariant& variant) {
    if (isAscii(title)) return std::string(title);
    IconvConverter fromGame("UTF-8", variant.iconvCharset);
    if (auto converted = fromGame.convert(title)) return *converted;
    IconvConverter utf8("UTF-8", "UTF-8");
    if (auto same = utf8.convert(title)) return *same;
    std::string ascii;
    for (const char c : title)
        if (static_cast<unsigned char>(c) < 0x80) ascii += c;
    return ascii;
}

} // namespace fer

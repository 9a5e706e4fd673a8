#include "platform/sdl/MenuGlyphs.h"

namespace fer {

std::vector<char32_t> decodeUtf8(std::string_view text) {
    std::vector<char32_t> out;
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int length = 0;
        char32_t c = 0;
        if (lead < 0x80) {
            length = 1;
            c = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            c = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            c = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            c = lead & 0x07;
        } else {
            ++i; // a stray continuation byte or an invalid lead
            continue;
        }
        if (i + length > text.size()) break;
        bool ok = true;
        for (int k = 1; k < length; ++k) {
            const auto b = static_cast<unsigned char>(text[i + k]);
            if ((b & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            c = (c << 6) | (b & 0x3F);
        }
        if (!ok) {
            ++i;
            continue;
        }
        static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c >= kMinimum[length] && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF))
            out.push_back(c);
        i += length;
    }
    return out;
}

MenuGlyphs::MenuGlyphs() {
    for (char32_t c = 0x20; c < 0x7F; ++c) codepoints_.insert(c);
}

bool MenuGlyphs::add(std::string_view utf8) {
    bool added = false;
    for (char32_t c : decodeUtf8(utf8))
        if (c >= 0x20) added |= codepoints_.insert(c).second;
    return added;
}

bool MenuGlyphs::add(const MenuModel& menu) {
    bool added = false;
    // Depth-first over popups; the menus are a few levels deep.
    std::vector<const MenuItem*> pending;
    for (const auto& item : menu.bar) pending.push_back(&item);
    while (!pending.empty()) {
        const MenuItem* item = pending.back();
        pending.pop_back();
        added |= add(item->text);
        for (const auto& child : item->items) pending.push_back(&child);
    }
    return added;
}

std::vector<uint16_t> MenuGlyphs::ranges() const {
    std::vector<uint16_t> out;
    for (char32_t c : codepoints_) {
        if (c > 0xFFFF) break; // the set is ordered
        if (!out.empty() && out.back() + 1u == c) {
            out.back() = static_cast<uint16_t>(c);
        } else {
            out.push_back(static_cast<uint16_t>(c));
            out.push_back(static_cast<uint16_t>(c));
        }
    }
    out.push_back(0);
    return out;
}

} // namespace fer

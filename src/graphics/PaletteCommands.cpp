#include "graphics/PaletteCommands.h"

#include <algorithm>
#include <cstring>

namespace fer {

namespace {
constexpr uint32_t kFadeCount = 236;
} // namespace

uint32_t PaletteCommands::reserved() const {
    return memory_.flag(flag::kFewerReserved) == 1 ? 10 : 16;
}

void PaletteCommands::copyColours(const Palette& from, Palette& to, size_t first, size_t last) {
    for (size_t i = first; i <= last && i < to.size(); ++i) {
        to[i].red = from[i].red;
        to[i].green = from[i].green;
        to[i].blue = from[i].blue;
    }
}

void PaletteCommands::fillBlack(Palette& p, size_t first, size_t last) {
    for (size_t i = first; i <= last && i < p.size(); ++i) p[i] = PaletteEntry{};
}

bool PaletteCommands::sameColours(const Palette& a, const Palette& b, size_t first, size_t last) {
    for (size_t i = first; i <= last && i < a.size(); ++i) {
        if (a[i].red != b[i].red || a[i].green != b[i].green || a[i].blue != b[i].blue)
            return false;
    }
    return true;
}

void PaletteCommands::showAndFade(Palette& w, uint8_t speed) {
    palette_.writeTarget(w);
    graphics_.setFadeSpeed(speed);
    graphics_.fadeAndWait(0, kFadeCount);
}

void PaletteCommands::registerWith(CommandTable& table) {
    for (const TableEntry& c : operation_table::kCommands) {
        if (c.owner != Subsystem::kPalette) continue;
        table.add(c.kind, c.number, Subsystem::kPalette,
                  [this, n = c.number](const ArgumentList& args) { execute(n, args); });
    }
}

bool PaletteCommands::execute(uint32_t n, const ArgumentList& args) {
    Palette& w = graphics_.working();
    Palette& s = graphics_.saved();
    const uint32_t r = reserved();
    switch (n) {
    case ext::kSavePalette: {
        const uint64_t first = args.value(1);
        const uint64_t count = args.value(2);
        if (count > 0 && first < s.size())
            copyColours(w, s, first, std::min<uint64_t>(first + count - 1, s.size() - 1));
        break;
    }
    case ext::kRestorePalette: copyColours(s, w, 0, 255); break;
    case ext::kReservedFromPreset1: builtin_.copyFixed(1, 0, w, 0, r); break;
    case ext::kFadeSpeed16: graphics_.setFadeSpeedSetting(16); break;
    case ext::kPreset2: builtin_.copyFixed(2, 0, w, 16, 48); break;
    case ext::kGreyPicture:
        palette_.readTarget(s);
        for (uint32_t i = r; i < 256; ++i) w[i].red = w[i].green = w[i].blue = s[i].green;
        palette_.writeTarget(w);
        graphics_.setNow(r, 246 - r);
        break;
    case ext::kRestoreColours:
        copyColours(s, w, r, 255);
        palette_.writeTarget(w);
        graphics_.setNow(r, 246 - r);
        break;
    case ext::kFadeToPreset3:
        builtin_.copyFixed(3, 0, w, 0, 192);
        showAndFade(w, 255);
        break;
    case ext::kPointerTable1: builtin_.copyPointed(1, args.value(1) * 4 + args.value(2), w, 16, 187); break;
    case ext::kPointerTable3: builtin_.copyPointed(3, args.value(1) * 4 + args.value(2), w, 16, 235); break;
    case ext::kPointerTable2: builtin_.copyPointed(2, args.value(1) * 4 + args.value(2), w, 16, 235); break;
    case ext::kPreset4:
        builtin_.copyFixed(4, 0, w, 0, 16);
        graphics_.setFadeSpeedSetting(255);
        break;
    case ext::kBlackPicture: fillBlack(w, 16, 235); break;
    case ext::kFadeToPreset5:
        builtin_.copyFixed(5, 0, w, 0, 256);
        showAndFade(w, 255);
        break;
    case ext::kThroughBlack:
    case ext::kToSavedPalette:
    case ext::kThroughBlackReserved10: transition(n); break;
    case ext::kSavedColours:
        palette_.readTarget(w);
        copyColours(s, w, 16, 127);
        break;
    default: return false;
    }
    return true;
}

void PaletteCommands::transition(uint32_t n) {
    Palette& w = graphics_.working();
    Palette& s = graphics_.saved();
    Palette t{};
    palette_.readTarget(t);
    if (n != ext::kThroughBlack) builtin_.copyFixed(1, 0, s, 0, reserved());
    copyColours(s, w, 0, 235);
    const size_t compareFrom = n == ext::kThroughBlackReserved10 ? 10 : 128;
    if (sameColours(t, s, compareFrom, 235)) {
        if (n != ext::kToSavedPalette) memory_.setReg16(reg16::kResult, 0);
        return;
    }
    if (n == ext::kThroughBlack) fillBlack(w, 16, 235);
    if (n == ext::kThroughBlackReserved10) fillBlack(w, 10, 235);
    showAndFade(w, 16);
    if (n == ext::kThroughBlackReserved10) {
        VramPlane& screen = planes_[0];
        if (screen.valid()) {
            std::memset(screen.pixels(), memory_.reg16(reg16::kColours) >> 8, screen.size());
            host_.present(0, 0, PlaneSet::kWidth, PlaneSet::kScreenHeight);
        }
    }
    if (n != ext::kToSavedPalette) memory_.setReg16(reg16::kResult, 1);
}

} // namespace fer

#include "graphics/BuiltinPalettes.h"

#include <algorithm>
#include <cstdio>

#include "files/FileStore.h"
#include "files/FileText.h"
#include "files/JascPalette.h"

namespace fer {

namespace {

using Stored = BuiltinPalettes::StoredEntry;

Stored stored(int red, int green, int blue) {
    auto clamp = [](int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); };
    return {clamp(blue), clamp(green), clamp(red)};
}

// The 16 colours of the standard VGA / system palette.
constexpr int kStandard[16][3] = {
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
};

std::vector<Stored> standardColours() {
    std::vector<Stored> p;
    for (const auto& c : kStandard) p.push_back(stored(c[0], c[1], c[2]));
    return p;
}

// A ramp of n entries from black through the colour to near white.
void addRamp(std::vector<Stored>& p, int red, int green, int blue, int n) {
    for (int i = 0; i < n; ++i) {
        const int t = (i * 255) / (n - 1);
        if (t <= 170) {
            p.push_back(stored(red * t / 170, green * t / 170, blue * t / 170));
        } else {
            const int u = (t - 170) * 255 / 85;
            p.push_back(stored(red + (255 - red) * u / 300, green + (255 - green) * u / 300,
                               blue + (255 - blue) * u / 300));
        }
    }
}

// A full palette: the standard colours, a 6x6x6 colour cube and a grey ramp.
std::vector<Stored> fullPalette() {
    std::vector<Stored> p = standardColours();
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) p.push_back(stored(r * 51, g * 51, b * 51));
    for (int i = 0; i < 24; ++i) p.push_back(stored(8 + i * 10, 8 + i * 10, 8 + i * 10));
    return p;
}

// The full palette mixed towards a tint (amount 0..255) and darkened by level 0..3.
std::vector<Stored> tinted(const std::vector<Stored>& base, int red, int green, int blue,
                           int amount, int level) {
    std::vector<Stored> p;
    const int keep = 255 - amount;
    const int light = 255 - level * 48;
    for (const Stored& e : base) {
        const int r = (e.third * keep + red * amount) / 255 * light / 255;
        const int g = (e.second * keep + green * amount) / 255 * light / 255;
        const int b = (e.first * keep + blue * amount) / 255 * light / 255;
        p.push_back(stored(r, g, b));
    }
    return p;
}

} // namespace

BuiltinPalettes::BuiltinPalettes() {
    // 1: the standard colours.
    fixed_[0] = standardColours();
    // 2: three 16-entry ramps (grey, sepia, blue) for entries 16..63.
    addRamp(fixed_[1], 200, 200, 200, 16);
    addRamp(fixed_[1], 200, 150, 90, 16);
    addRamp(fixed_[1], 90, 130, 220, 16);
    // 3: the standard colours, then eleven 16-entry ramps around the colour wheel.
    fixed_[2] = standardColours();
    constexpr int kHues[11][3] = {{220, 60, 60},  {220, 140, 60}, {220, 210, 60}, {140, 220, 60},
                                  {60, 220, 90},  {60, 220, 200}, {60, 150, 220}, {80, 80, 220},
                                  {160, 70, 220}, {220, 70, 170}, {180, 180, 180}};
    for (const auto& h : kHues) addRamp(fixed_[2], h[0], h[1], h[2], 16);
    // 4: the standard colours by night (darker, bluer).
    fixed_[3] = tinted(standardColours(), 20, 30, 90, 80, 1);
    // 5: the full palette.
    fixed_[4] = fullPalette();
    // Pointer tables: the full palette by time of day (first number: day,
    // evening, night, sepia) and darkness (second number 0..3); table 2 is
    // the same with a warmer cast, table 3 with a colder one.
    constexpr int kTints[4][4] = {
        {255, 255, 255, 0}, {255, 150, 60, 70}, {30, 40, 120, 110}, {170, 130, 80, 150}};
    constexpr int kCast[3][3] = {{0, 0, 0}, {40, 10, 0}, {0, 10, 40}};
    for (int t = 0; t < kPointerTables; ++t) {
        for (uint32_t i = 0; i < kPointerEntries; ++i) {
            const auto& tint = kTints[i / 4];
            pointed_[t][i] =
                tinted(fixed_[4], std::min(255, tint[0] + kCast[t][0]),
                       std::min(255, tint[1] + kCast[t][1]), std::min(255, tint[2] + kCast[t][2]),
                       tint[3], static_cast<int>(i % 4));
        }
    }
}

std::string BuiltinPalettes::fixedFileName(int table) {
    return "PALETTE" + std::to_string(table) + ".PAL";
}

std::string BuiltinPalettes::pointedFileName(int table, uint32_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "PALTAB%d_%02u.PAL", table, index);
    return name;
}

std::vector<std::string> BuiltinPalettes::loadOverrides(
    const std::function<std::optional<std::string>(const std::string& name)>& readText) {
    std::vector<std::string> malformed;
    auto apply = [&](const std::string& name, std::vector<StoredEntry>& table) {
        const std::optional<std::string> text = readText(name);
        if (!text) return;
        const auto colours = parseJascPalette(*text);
        if (!colours) {
            malformed.push_back(name);
            return;
        }
        for (size_t i = 0; i < colours->size() && i < table.size(); ++i)
            table[i] = stored((*colours)[i].red, (*colours)[i].green, (*colours)[i].blue);
    };
    for (int t = 0; t < kTables; ++t) apply(fixedFileName(t + 1), fixed_[t]);
    for (int t = 0; t < kPointerTables; ++t)
        for (uint32_t i = 0; i < kPointerEntries; ++i)
            apply(pointedFileName(t + 1, i), pointed_[t][i]);
    return malformed;
}

std::vector<std::string> BuiltinPalettes::loadOverrides(const FileStore& files) {
    std::vector<std::string> skipped;
    // One listing of the game directory instead of a failed look-up (with its
    // scan for other spellings) per palette that is not there.
    const auto present = files.topLevelNames();
    const auto malformed =
        loadOverrides([&](const std::string& name) -> std::optional<std::string> {
            if (present && present->find(name) == present->end()) return std::nullopt;
            OpenError error = OpenError::kNone;
            File file = files.openForRead(name, &error);
            std::string text;
            const ReadFailure failure =
                file.isOpen() ? readFileText(file, kMaxFileSize, text) : toReadFailure(error);
            if (failure == ReadFailure::kNone) return text;
            if (failure == ReadFailure::kTooLarge) {
                skipped.push_back(name + " is too large (more than " +
                                  std::to_string(kMaxFileSize) + " bytes)");
            } else if (failure != ReadFailure::kMissing) {
                skipped.push_back(name + " " + describe(failure));
            }
            return std::nullopt;
        });
    for (const auto& name : malformed) skipped.push_back(name + " is not a JASC-PAL palette file");
    return skipped;
}

void BuiltinPalettes::copyEntries(const std::vector<StoredEntry>& source, size_t from,
                                  Palette& destination, size_t to, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (from + i >= source.size() || to + i >= destination.size()) break;
        const StoredEntry& e = source[from + i];
        PaletteEntry& d = destination[to + i];
        d.red = e.third;
        d.green = e.second;
        d.blue = e.first;
    }
}

void BuiltinPalettes::copyFixed(int table, size_t from, Palette& destination, size_t to,
                                size_t count) const {
    if (table < 1 || table > kTables) return;
    copyEntries(fixed_[table - 1], from, destination, to, count);
}

void BuiltinPalettes::copyPointed(int table, uint32_t index, Palette& destination, size_t first,
                                  size_t last) const {
    if (table < 1 || table > kPointerTables || index >= kPointerEntries || last < first) return;
    copyEntries(pointed_[table - 1][index], first, destination, first, last - first + 1);
}

} // namespace fer

// Rows of palette indices come out as the palette's colours, pixel for
// pixel, whether they go through the pair table or one lookup at a time.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/PaletteConverter.h"

namespace fer {
namespace {

Palette makePalette(uint8_t seed) {
    Palette p{};
    for (size_t i = 0; i < p.size(); ++i)
        p[i] = {static_cast<uint8_t>(i * 3 + seed), static_cast<uint8_t>(255 - i - seed),
                static_cast<uint8_t>(i ^ seed), static_cast<uint8_t>(i)};
    return p;
}

uint32_t argb(const PaletteEntry& e) {
    return 0xFF000000u | uint32_t{e.red} << 16 | uint32_t{e.green} << 8 | e.blue;
}

// Converts rows of every width from 0 to 40 and of 640, at every source
// alignment from 0 to 7, and compares each pixel with its palette entry;
// the words past the row stay untouched.
void expectConverts(const PaletteConverter& converter, const Palette& palette) {
    std::vector<uint8_t> source(700);
    for (size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<uint8_t>((i * 2654435761u) >> 11);
    std::vector<int> widths;
    for (int w = 0; w <= 40; ++w) widths.push_back(w);
    widths.push_back(640);
    for (int offset = 0; offset < 8; ++offset)
        for (int width : widths) {
            std::vector<uint32_t> out(static_cast<size_t>(width) + 2, 0x12345678u);
            converter.convertRow(source.data() + offset, out.data() + 1, width);
            ASSERT_EQ(out.front(), 0x12345678u);
            ASSERT_EQ(out.back(), 0x12345678u) << "width " << width;
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(out[static_cast<size_t>(x) + 1],
                          argb(palette[source[static_cast<size_t>(offset + x)]]))
                    << "width " << width << " offset " << offset << " x " << x;
        }
}

TEST(PaletteConverter, SmallAndLargeRectanglesGiveThePalettesColoursAndANewPaletteIsNeverMissed) {
    PaletteConverter converter;
    const Palette a = makePalette(1), b = makePalette(77);
    struct Step {
        const Palette* palette;
        int64_t area;
        bool pairs;
        const char* what;
    };
    const Step steps[] = {
        {&a, 16 * 16, false, "a text cell: one lookup per pixel, no table made for it"},
        {&a, 640 * 400, true, "the whole picture: the pair table"},
        {&a, 16 * 16, true, "a small rectangle in the palette the table was made for"},
        {&b, 16 * 16, false, "a new palette on a small rectangle: not the old table"},
        {&b, PaletteConverter::kPairTableArea, true, "a new palette on a large one: a new table"},
        {&a, 640 * 400, true, "back to the first palette, as a fade's step"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        converter.setPalette(*step.palette, step.area);
        EXPECT_EQ(converter.usesPairs(), step.pairs);
        expectConverts(converter, *step.palette);
    }
    // The unused fourth byte of an entry plays no part: alpha is always 0xFF.
    Palette c = a;
    for (PaletteEntry& e : c) e.unused = 0xAB;
    converter.setPalette(c, 640 * 400);
    expectConverts(converter, a);
}

} // namespace
} // namespace fer

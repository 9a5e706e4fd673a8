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
    // A text cell: one lookup per pixel, no table made for it.
    converter.setPalette(a, 16 * 16);
    EXPECT_FALSE(converter.usesPairs());
    expectConverts(converter, a);
    // The whole picture: the pair table.
    converter.setPalette(a, 640 * 400);
    EXPECT_TRUE(converter.usesPairs());
    expectConverts(converter, a);
    // A small rectangle in the same palette keeps using the table made for it.
    converter.setPalette(a, 16 * 16);
    EXPECT_TRUE(converter.usesPairs());
    expectConverts(converter, a);
    // A new palette on a small rectangle: not the old table.
    converter.setPalette(b, 16 * 16);
    EXPECT_FALSE(converter.usesPairs());
    expectConverts(converter, b);
    // A new palette on the whole picture makes the table again.
    converter.setPalette(b, PaletteConverter::kPairTableArea);
    EXPECT_TRUE(converter.usesPairs());
    expectConverts(converter, b);
    // Back to the first palette (a fade's step) on a large rectangle.
    converter.setPalette(a, 640 * 400);
    expectConverts(converter, a);
    // The unused fourth byte of an entry plays no part: alpha is always 0xFF.
    Palette c = a;
    for (PaletteEntry& e : c) e.unused = 0xAB;
    converter.setPalette(c, 640 * 400);
    expectConverts(converter, a);
}

} // namespace
} // namespace fer

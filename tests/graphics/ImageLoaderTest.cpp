#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "GraphicsTestSupport.h"
#include "files/SettingsFile.h"
#include "graphics/ImageLoader.h"

namespace fer::test {
namespace {

using Format = ImageLoader::Format;

// A plane of the engine's width with a recognisable background.
VramPlane backgroundPlane(uint16_t height = 400, uint8_t value = 0xAA) {
    VramPlane p(640, height);
    fillPlane(p, value);
    return p;
}

// Every pixel of rows (padding included) lies at (x, y) of the plane.
void expectRowsAt(const VramPlane& p, const Rows& rows, int x, int y) {
    for (uint32_t r = 0; r < rows.height; ++r)
        for (uint32_t c = 0; c < rows.top[r].size(); ++c)
            ASSERT_EQ(p.at(x + static_cast<int>(c), y + static_cast<int>(r)), rows.top[r][c])
                << "column " << c << " row " << r;
}

Bytes pictureFile(Format format, const Rows& rows, uint16_t storedX, uint16_t storedY) {
    return format == Format::kBitmap ? makeBitmap(rows, 256, 0, storedX, storedY)
                                     : makeLzssPicture(rows, storedX, storedY);
}

class BothFormats : public ::testing::TestWithParam<Format> {};

INSTANTIATE_TEST_SUITE_P(ImageLoader, BothFormats,
                         ::testing::Values(Format::kBitmap, Format::kLzssPicture),
                         [](const auto& info) {
                             return info.param == Format::kBitmap ? "Bitmap" : "LzssPicture";
                         });

TEST_P(BothFormats, OddWidthRowsArePaddedToFourAndTheRectKeepsTheWidth) {
    const Rows rows = patternRows(33, 5);
    const Bytes file = pictureFile(GetParam(), rows, 0, 0);
    VramPlane plane = backgroundPlane();
    Palette pal{};
    ImageLoader loader(GetParam());
    EXPECT_EQ(loader.loadImage(file, pal, plane, 10, 20), 1);
    expectRowsAt(plane, rows, 10, 20);
    // Columns 33..35 hold the padding bytes; column 36 is untouched.
    EXPECT_EQ(plane.at(10 + 33, 20), 0xF0);
    EXPECT_EQ(plane.at(10 + 35, 24), 0xF2);
    EXPECT_EQ(plane.at(10 + 36, 20), 0xAA);
    EXPECT_EQ(plane.at(10, 19), 0xAA);
    EXPECT_EQ(plane.at(10, 25), 0xAA);
    EXPECT_EQ(loader.lastRect(), (PictureRect{10, 20, 33, 5}));
}

TEST_P(BothFormats, PositionFFFFTakesTheStoredPositionAndZeroTheEdge) {
    const Rows rows = patternRows(8, 3);
    const Bytes file = pictureFile(GetParam(), rows, 100, 50);
    Palette pal{};
    ImageLoader loader(GetParam());

    VramPlane stored = backgroundPlane();
    loader.loadImage(file, pal, stored, 0xFFFF, 0xFFFF);
    expectRowsAt(stored, rows, 100, 50);
    EXPECT_EQ(loader.lastRect(), (PictureRect{100, 50, 8, 3}));

    VramPlane given = backgroundPlane();
    loader.loadImage(file, pal, given, 0, 0xFFFF);
    expectRowsAt(given, rows, 0, 50);
    EXPECT_EQ(loader.lastRect(), (PictureRect{0, 50, 8, 3}));

    VramPlane corner = backgroundPlane();
    loader.loadImage(file, pal, corner, 0, 0);
    expectRowsAt(corner, rows, 0, 0);
}

TEST_P(BothFormats, PicturePartlyOutsideThePlaneIsClipped) {
    const Rows rows = patternRows(40, 30);
    const Bytes file = pictureFile(GetParam(), rows, 0, 0);
    Palette pal{};
    ImageLoader loader(GetParam());
    VramPlane plane = backgroundPlane(100);
    loader.loadImage(file, pal, plane, 620, 85); // 20 columns and 15 rows inside
    for (int y = 85; y < 100; ++y)
        for (int x = 620; x < 640; ++x)
            ASSERT_EQ(plane.at(x, y), rows.top[y - 85][x - 620]) << x << "," << y;
    // Nothing wrapped into the left edge of the rows.
    for (int y = 0; y < 100; ++y) ASSERT_EQ(plane.at(0, y), 0xAA);
    EXPECT_EQ(loader.lastRect(), (PictureRect{620, 85, 40, 30}));

    VramPlane beyond = backgroundPlane(100);
    loader.loadImage(file, pal, beyond, 640, 0);
    loader.loadImage(file, pal, beyond, 0, 60000);
    for (size_t i = 0; i < beyond.size(); ++i) ASSERT_EQ(beyond.pixels()[i], 0xAA);
}

TEST_P(BothFormats, TruncatedPictureStopsAtTheEndOfItsInput) {
    const Rows rows = patternRows(16, 40);
    Bytes file = pictureFile(GetParam(), rows, 0, 0);
    Palette pal{};
    ImageLoader loader(GetParam());
    for (size_t keep : {size_t{0}, size_t{5}, size_t{54}, size_t{600}, size_t{1032}, size_t{1040},
                        file.size() / 2, file.size() - 1}) {
        VramPlane plane = backgroundPlane();
        Bytes cut(file.begin(), file.begin() + static_cast<long>(keep));
        EXPECT_EQ(loader.loadImage(cut, pal, plane, 0, 0), 1);
        // Whatever was drawn is a prefix of the picture's rows from the bottom.
        for (uint32_t y = 0; y < rows.height; ++y)
            for (uint32_t x = 0; x < 16; ++x) {
                const uint8_t v = plane.at(static_cast<int>(x), static_cast<int>(y));
                ASSERT_TRUE(v == 0xAA || v == rows.top[y][x]) << keep << ": " << x << "," << y;
            }
    }
}

TEST(ImageLoader, BitmapPaletteCountFollowsClrUsedOrBitCount) {
    const Rows rows = patternRows(4, 1);
    ImageLoader loader(Format::kBitmap);
    VramPlane plane = backgroundPlane();

    Palette all;
    all.fill({1, 2, 3, 4});
    loader.loadImage(makeBitmap(rows, 256, 0, 0, 0), all, plane, 0, 0);
    for (uint32_t i = 0; i < 256; ++i) {
        const PaletteEntry c = fileColour(i);
        ASSERT_EQ(all[i], (PaletteEntry{c.red, c.green, c.blue, 4})) << i; // byte 3 left alone
    }

    Palette some;
    some.fill({1, 2, 3, 4});
    const Bytes sixteen = makeBitmap(rows, 16, 16, 0, 0);
    loader.loadImage(sixteen, some, plane, 0, 0);
    for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(some[i].red, fileColour(i).red);
    for (uint32_t i = 16; i < 256; ++i) ASSERT_EQ(some[i], (PaletteEntry{1, 2, 3, 4})) << i;
    // The rows follow the 16-entry table.
    expectRowsAt(plane, rows, 0, 0);
}

TEST(ImageLoader, LzssPicturePaletteIsRedGreenBlue) {
    ImageLoader loader(Format::kLzssPicture);
    VramPlane plane = backgroundPlane();
    Palette pal;
    pal.fill({9, 9, 9, 9});
    loader.loadImage(makeLzssPicture(patternRows(4, 1), 0, 0), pal, plane, 0, 0);
    for (uint32_t i = 0; i < 256; ++i) {
        const PaletteEntry c = fileColour(i);
        ASSERT_EQ(pal[i], (PaletteEntry{c.red, c.green, c.blue, 9})) << i;
    }
}

// Hand-coded streams: flag bits least significant first, 1 = literal.
Bytes withStream(uint16_t width, uint16_t height, Bytes stream) {
    Bytes b = makeLzssHeader(0, 0, width, height);
    b.insert(b.end(), stream.begin(), stream.end());
    return b;
}

TEST(ImageLoader, MatchRunningPastARowEndGoesOnInTheRowAbove) {
    // Literals 1 2 3, then ring position 4078 length 5: 1 2 3 1 | 2 3 1 2.
    const Bytes file = withStream(4, 2, {0x07, 1, 2, 3, 0xEE, 0xF2});
    ImageLoader loader(Format::kLzssPicture);
    VramPlane plane = backgroundPlane();
    Palette pal{};
    loader.loadImage(file, pal, plane, 0, 0);
    const uint8_t bottom[] = {1, 2, 3, 1};
    const uint8_t top[] = {2, 3, 1, 2};
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(plane.at(x, 1), bottom[x]);
        EXPECT_EQ(plane.at(x, 0), top[x]);
    }
}

TEST(ImageLoader, FirstMatchBelowTheStartPositionYieldsZeros) {
    // Ring position 16 length 5 (all cleared), then literals 9 9 9.
    const Bytes file = withStream(4, 2, {0x0E, 0x10, 0x02, 9, 9, 9});
    ImageLoader loader(Format::kLzssPicture);
    VramPlane plane = backgroundPlane();
    Palette pal{};
    // A previous picture leaves other bytes in the ring; the next starts clean.
    loader.loadImage(makeLzssPicture(patternRows(64, 64, 0x33), 0, 100), pal, plane, 0, 100);
    loader.loadImage(file, pal, plane, 0, 0);
    const uint8_t expected[8] = {0, 0, 0, 0, 0, 9, 9, 9};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(plane.at(i % 4, 1 - i / 4), expected[i]) << i;
}

TEST(ImageLoader, DecodingStopsWhenTheTopRowIsFull) {
    // Two rows of 4; a reference of 18 runs past the top row.
    const Bytes file = withStream(4, 2, {0xFE, 0x00, 0x0F, 5, 5, 5, 5, 5, 5, 5});
    ImageLoader loader(Format::kLzssPicture);
    VramPlane plane = backgroundPlane();
    Palette pal{};
    loader.loadImage(file, pal, plane, 0, 398);
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(plane.at(x, 398), 0);
        EXPECT_EQ(plane.at(x, 399), 0);
    }
    EXPECT_EQ(plane.at(0, 397), 0xAA);
    EXPECT_EQ(plane.at(4, 398), 0xAA);
}

TEST(ImageLoader, FormatIsReadFromTheGraphicsSection) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("fer-graphics-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    const auto ini = dir / "GAME.INI";
    SettingsFile settings(ini);
    EXPECT_EQ(ImageLoader::formatFromSettings(settings), Format::kBitmap);
    std::ofstream(ini) << "[GRAPHICS]\nbBGTYPE=2\n";
    EXPECT_EQ(ImageLoader::formatFromSettings(settings), Format::kLzssPicture);
    std::ofstream(ini) << "[GRAPHICS]\nbBGTYPE=0\n[Config]\nbBGTYPE=1\n";
    EXPECT_EQ(ImageLoader::formatFromSettings(settings), Format::kBitmap);
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace fer::test

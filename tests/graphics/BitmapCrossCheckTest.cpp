// Checks the bitmap loader against an independent decoder: ImageMagick
// writes the bitmap at test time and also decodes it back to a PPM.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "../SkipUnlessCi.h"
#include "GraphicsTestSupport.h"
#include "graphics/ImageLoader.h"

namespace fer::test {
namespace {

namespace fs = std::filesystem;

std::string convertTool() {
    if (fs::exists("/usr/bin/convert")) return "/usr/bin/convert";
    if (std::system("command -v convert >/dev/null 2>&1") == 0) return "convert";
    return {};
}

struct Rgb {
    uint8_t r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

Bytes readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A binary PPM (P6, maxval 255): width, height and pixels top row first.
bool parsePpm(const Bytes& b, uint32_t& w, uint32_t& h, std::vector<Rgb>& pixels) {
    std::string head(b.begin(), b.begin() + static_cast<long>(std::min<size_t>(b.size(), 64)));
    std::istringstream s(head);
    std::string magic;
    uint32_t maxval = 0;
    if (!(s >> magic >> w >> h >> maxval) || magic != "P6" || maxval != 255) return false;
    const size_t start = static_cast<size_t>(s.tellg()) + 1;
    if (b.size() < start + size_t{w} * h * 3) return false;
    pixels.resize(size_t{w} * h);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = {b[start + 3 * i], b[start + 3 * i + 1], b[start + 3 * i + 2]};
    return true;
}

TEST(BitmapCrossCheck, PixelsMatchImageMagick) {
    const std::string convert = convertTool();
    if (convert.empty()) FER_SKIP_UNLESS_CI("ImageMagick's convert is not installed");

    const fs::path dir =
        fs::temp_directory_path() / ("fer-bmp-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    constexpr uint32_t kW = 37, kH = 23; // odd width: three padding bytes per row
    std::vector<Rgb> colours;
    for (uint32_t i = 0; i < 20; ++i)
        colours.push_back({static_cast<uint8_t>(i * 12), static_cast<uint8_t>(255 - i * 9),
                           static_cast<uint8_t>(i * 37)});
    std::vector<Rgb> original;
    std::string ppm = "P6\n" + std::to_string(kW) + " " + std::to_string(kH) + "\n255\n";
    for (uint32_t y = 0; y < kH; ++y)
        for (uint32_t x = 0; x < kW; ++x) {
            const Rgb c = colours[(x * 3 + y * 5 + (x * y) % 7) % colours.size()];
            original.push_back(c);
            ppm += static_cast<char>(c.r);
            ppm += static_cast<char>(c.g);
            ppm += static_cast<char>(c.b);
        }
    std::ofstream(dir / "in.ppm", std::ios::binary) << ppm;

    const std::string q = "'";
    const std::string toBmp = convert + " " + q + (dir / "in.ppm").string() + q +
                              " +dither -colors 64 -type palette -compress none BMP3:" + q +
                              (dir / "out.bmp").string() + q;
    const std::string toPpm = convert + " " + q + (dir / "out.bmp").string() + q + " ppm:" + q +
                              (dir / "back.ppm").string() + q;
    ASSERT_EQ(std::system(toBmp.c_str()), 0) << toBmp;
    ASSERT_EQ(std::system(toPpm.c_str()), 0) << toPpm;

    const Bytes bmp = readFile(dir / "out.bmp");
    ASSERT_GE(bmp.size(), 54u);
    ASSERT_EQ(bmp[28], 8) << "the bitmap must be 8 bits per pixel";
    ASSERT_EQ(bmp[30], 0) << "the bitmap must be uncompressed";
    uint32_t w = 0, h = 0;
    std::vector<Rgb> decoded;
    ASSERT_TRUE(parsePpm(readFile(dir / "back.ppm"), w, h, decoded));
    ASSERT_EQ(w, kW);
    ASSERT_EQ(h, kH);
    fs::remove_all(dir);

    VramPlane plane(640, 400);
    fillPlane(plane, 0xEE);
    Palette pal{};
    ImageLoader loader(ImageLoader::Format::kBitmap);
    loader.loadImage(bmp, pal, plane, 3, 4);
    EXPECT_EQ(loader.lastRect(), (PictureRect{3, 4, kW, kH}));
    for (uint32_t y = 0; y < kH; ++y)
        for (uint32_t x = 0; x < kW; ++x) {
            const PaletteEntry& e = pal[plane.at(static_cast<int>(3 + x), static_cast<int>(4 + y))];
            const Rgb ours{e.red, e.green, e.blue};
            ASSERT_EQ(ours, decoded[y * kW + x]) << x << "," << y;
            ASSERT_EQ(ours, original[y * kW + x]) << x << "," << y;
        }
}

} // namespace
} // namespace fer::test

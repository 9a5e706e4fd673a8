// The sample map walked end to end through the engine program, headless,
// with scripted keys and pointer: an automatic walk round the wall column to
// a clicked cell, a walk along the corner stone (sliding round it) into the
// east wall, up and down through two triggers that answer to one facing
// each, steered by the pointer while decide is held, the follower on the
// trail and the view scrolled at its margins.
// Checked in the memory dump and the screenshot's pixels.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "../demo/IndexedPng.h"
#include "../shell/EngineProcess.h"
#include "DemoPalette.h"
#include "PictureFiles.h"
#include "SampleMap.h"
#include "core/ScriptMemory.h"

namespace fer::test {
namespace {

namespace fs = std::filesystem;
using namespace mapgen::sample;

void writeFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class GameFolder {
  public:
    GameFolder() {
        std::random_device rd;
        path_ = fs::temp_directory_path() /
                ("fer-map-walk-" + std::to_string(rd()) + "-" + std::to_string(rd()));
        fs::create_directories(path_);
        fs::copy_file(fs::path(FER_MAP_WALK_SCRIPT), path_ / "MAIN.MES");
        writeFile(path_ / "MAP.DAT", mapFile());
        writeFile(path_ / "TILES.BMP", demo::bitmapFile(tileSheet(), demo::demoPalette()));
        writeFile(path_ / "PARTS.BMP", demo::bitmapFile(statusParts(), demo::demoPalette()));
    }
    ~GameFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

constexpr uint32_t kLoad = ScriptMemory::kCodeBase + 0x10000;

TEST(MapWalk, ScriptedWalkThroughTheEngine) {
    GameFolder game;
    // Milliseconds from the start of the script.
    std::ofstream(game.path() / "input.txt")
        << "900 mouse 264 200\n" // over cell (16, 12 + 8)
           "1000 down rbutton\n" // a click with cancel: the walk
           "1150 up rbutton\n"
           "2600 down right\n"
           "4100 up right\n"
           "4200 down up\n"
           "5700 up up\n"
           "5800 down down\n"
           "7300 up down\n"
           // Decide held: the pointer left of the player steers.
           "7500 mouse 300 360\n"
           "7600 down lbutton\n"
           "9100 up lbutton\n";
    const std::string dump = (game.path() / "dump.bin").string();
    const std::string shot = (game.path() / "shot.png").string();
    const EngineProcess r = runEngineProcess(
        FER_ENGINE_PATH,
        "--headless --quit-after 9600 --input " + (game.path() / "input.txt").string() +
            " --dump-memory " + dump + " --screenshot " + shot + " " + game.path().string(),
        "timeout 30");
    ASSERT_EQ(r.status, 0) << r.err;

    std::ifstream in(dump, std::ios::binary);
    std::vector<uint8_t> m((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(m.size(), ScriptMemory::kSize);
    auto u16 = [&](uint64_t at) { return uint16_t(m[at] | (m[at + 1] << 8)); };
    auto reg = [&](int n) { return u16(ScriptMemory::kReg16Base + 2u * n); };
    const mapgen::EncodedMap e = encoded();
    auto object = [&](int i) { return kLoad + kObjectBlockAt + e.objectList + 14u * i; };

    EXPECT_GE(reg(14), 1) << "no automatic walk was started";
    EXPECT_EQ(reg(15), 0) << "the walk is over";
    EXPECT_EQ(reg(9), 1) << "trigger 7 fires once, facing up";
    EXPECT_EQ(reg(10), 1) << "trigger 9 fires once, facing down";
    EXPECT_EQ(reg(11), kUpTrigger);
    EXPECT_EQ(reg(13), kDownTrigger);
    // The player: round the corner stone (row 19 instead of 20), into the
    // east wall at x 53, up to the top and down to the south wall at y 37
    // (the triggers fired in that order), then left after the pointer until
    // its rectangle holds the pointer: screen column 18 of the scrolled view.
    EXPECT_EQ(m[object(kPlayer)], 0x7B) << "its flags are back after the walk";
    EXPECT_EQ(m[object(kPlayer) + 10], 14);
    EXPECT_EQ(u16(object(kPlayer) + 4), 34);
    EXPECT_EQ(u16(object(kPlayer) + 6), 37);
    EXPECT_EQ(m[object(kPlayer) + 8] >> 2, 2) << "facing left";
    // The follower stands two moves behind.
    EXPECT_EQ(u16(object(kFollower) + 4), 36);
    EXPECT_EQ(u16(object(kFollower) + 6), 37);

    demotest::IndexedPng png;
    std::string error;
    ASSERT_TRUE(demotest::readIndexedPng(shot, png, error)) << error;
    auto pixel = [&](int x, int y) { return png.pixels.at(size_t(y) * png.width + size_t(x)); };
    // The view scrolled to the map's bottom-right corner: origin (16, 15).
    const int ox = kWidth - 40, oy = kHeight - 25;
    auto cellCentre = [&](int mx, int my) { return pixel(16 * (mx - ox) + 8, 16 * (my - oy) + 8); };
    EXPECT_EQ(cellCentre(kMarkerX, kMarkerY), kMarkerColour);
    EXPECT_EQ(cellCentre(kWidth - 1, 30), kStoneColour);
    EXPECT_EQ(cellCentre(45, 30), kGrassColour);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) {
            EXPECT_EQ(cellCentre(34 + j, 37 + i), kPlayerColour);
            EXPECT_EQ(cellCentre(36 + j, 37 + i), kFollowerColour);
        }
    // The sprite's ring is transparent: grass shows there.
    EXPECT_EQ(pixel(16 * (34 - ox) + 1, 16 * (38 - oy) + 8), kGrassColour);
    // The status bar's frame from plane 5.
    const demo::Picture parts = statusParts();
    EXPECT_EQ(pixel(10, 9), parts.at(2, 81));
    EXPECT_EQ(pixel(600, 9), parts.at(92 + 56, 81));
}

} // namespace
} // namespace fer::test

// Animations, particles and the animated cursor in the running engine: the
// timer counts the ticks, the main thread applies them at its sync point.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "../demo/IndexedPng.h"
#include "EngineProcess.h"
#include "platform/headless/HeadlessPlatform.h"
#include "shell/CursorArt.h"
#include "shell/EngineContext.h"

namespace fer {
namespace {

namespace fs = std::filesystem;

class AnimationGame : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("fer-anim-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    void useScript(const std::string& name) {
        fs::copy_file(fs::path(FER_ANIMATION_DIR) / name, dir_ / "MAIN.MES");
    }
    fs::path dir_;
};

uint16_t reg16(const std::string& memory, int r) {
    return static_cast<uint16_t>(static_cast<uint8_t>(memory[0x884 + 2 * r]) |
                                 static_cast<uint8_t>(memory[0x884 + 2 * r + 1]) << 8);
}

TEST_F(AnimationGame, AChannelPlaysWhileTheScriptWaitsAndFlakesFallOverThePicture) {
    useScript("MAIN.MES");
    const std::string shot = (dir_ / "shot.png").string();
    const std::string dump = (dir_ / "mem.bin").string();
    const auto r = test::runEngineProcess(
        FER_ENGINE_PATH, "--headless --screenshot " + shot + " --dump-memory " + dump + " " +
                             dir_.string());
    ASSERT_EQ(r.status, 0) << r.err;
    std::ifstream in(dump, std::ios::binary);
    const std::string memory((std::istreambuf_iterator<char>(in)), {});
    ASSERT_EQ(memory.size(), ScriptMemory::kSize);
    EXPECT_EQ(reg16(memory, 12), 1);
    EXPECT_EQ(reg16(memory, 13), 1);

    demotest::IndexedPng png;
    std::string error;
    ASSERT_TRUE(demotest::readIndexedPng(shot, png, error)) << error;
    ASSERT_EQ(png.width, 640);
    ASSERT_EQ(png.height, 400);
    auto at = [&](int x, int y) { return png.pixels[size_t(y) * 640 + x]; };
    // The fill, and its copy made five ticks later.
    EXPECT_EQ(at(100, 100), 7);
    EXPECT_EQ(at(149, 139), 7);
    EXPECT_EQ(at(300, 200), 7);
    EXPECT_EQ(at(349, 239), 7);
    EXPECT_EQ(at(350, 240), 120);
    std::map<int, int> colours;
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 640; ++x) ++colours[at(x, y)];
    // Only the picture, the animation's squares and the flakes; none of them
    // on the squares (colour 7 is below every flake's threshold).
    EXPECT_EQ(colours.size(), 3u);
    EXPECT_EQ(colours[7], 2 * 50 * 40);
    EXPECT_GE(colours[200], 64 * 3) << "a few flakes fell";
    EXPECT_LE(colours[200], 64 * 10);
}

// An engine context run in the process on the cursor script.
TEST_F(AnimationGame, TheAnimatedCursorTurnsUntilAnotherCursorCommand) {
    useScript("CURSOR.MES");
    const fs::path previous = fs::current_path();
    fs::current_path(dir_);
    CommandLine options;
    auto platform = std::make_unique<HeadlessPlatform>(std::vector<TimedEvent>{}, std::nullopt);
    HeadlessPlatform* headless = platform.get();
    {
        EngineContext context(options, kGb2312Variant, std::move(platform));
        EXPECT_EQ(context.run(), 0);
        fs::current_path(previous);
        // Image 133 at once, 134 on the next tick; the turns stopped before
        // image 133 came back.
        EXPECT_EQ(headless->cursorImagesSet(), 2u);
        ASSERT_TRUE(headless->cursorImage().has_value());
        const CursorArt art;
        EXPECT_EQ(headless->cursorImage()->pixels, art.image(134)->pixels);
        EXPECT_NE(art.image(133)->pixels, art.image(134)->pixels);
        EXPECT_GE(context.timedAnimations().applied(), 100u);
    }
}

TEST(CursorArt, ThirtyValidImagesEachCursorInItsOwnColours) {
    const CursorArt art;
    EXPECT_EQ(art.image(130), nullptr);
    EXPECT_EQ(art.image(161), nullptr);
    for (uint16_t n = 131; n <= 160; ++n) {
        const CursorImage* image = art.image(n);
        ASSERT_NE(image, nullptr);
        EXPECT_TRUE(image->valid()) << n;
        EXPECT_EQ(image->pixels[0], 1) << "the tip is the hot spot";
    }
    EXPECT_NE(art.image(131)->palette[2], art.image(133)->palette[2]);
    EXPECT_EQ(art.image(131)->palette, art.image(132)->palette);
}

} // namespace
} // namespace fer

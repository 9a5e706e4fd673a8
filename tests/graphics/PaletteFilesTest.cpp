// The game's palette files read through the file services: odd files are
// skipped with a reason, never waited for.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>
#include <sys/stat.h>

#include "files/FileStore.h"
#include "files/SettingsFile.h"
#include "graphics/BuiltinPalettes.h"

namespace fer {
namespace {

namespace fs = std::filesystem;

struct NoErrors : FatalErrorHandler {
    void fatalError(std::string_view title, std::string_view text) override {
        ADD_FAILURE() << title << ": " << text;
    }
};

class PaletteFilesTest : public ::testing::Test {
  protected:
    fs::path root;
    void SetUp() override {
        std::random_device rd;
        root = fs::temp_directory_path() /
               ("fer-palettes-" + std::to_string(rd()) + "-" + std::to_string(rd()));
        fs::create_directories(root / "game");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    void write(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
};

TEST_F(PaletteFilesTest, OddFilesAreSkippedWithAReason) {
    const fs::path game = root / "game";
    write(game / "PALETTE1.PAL", "JASC-PAL\n0100\n1\n1 2 3\n");
    ASSERT_EQ(::mkfifo((game / "PALETTE2.PAL").c_str(), 0644), 0);
    write(game / "PALETTE3.PAL", "JASC-PAL\n0100\n0\n" + std::string(70000, '\n'));
    write(root / "OUTSIDE.PAL", "JASC-PAL\n0100\n1\n9 9 9\n");
    fs::create_symlink(root / "OUTSIDE.PAL", game / "PALETTE4.PAL");
    fs::create_directory(game / "PALETTE5.PAL");
    write(game / "PALTAB1_00.PAL", "oops");

    NoErrors errors;
    const SettingsFile settings(game / "KITE5HAN.INI");
    FileStoreOptions options;
    options.gameDirectory = game;
    options.mountTable = game / "no-mounts";
    FileStore files(errors, settings, options);
    ASSERT_EQ(files.setUp(), 1);
    BuiltinPalettes palettes;
    auto loading = std::async(std::launch::async, [&] { return palettes.loadOverrides(files); });
    ASSERT_EQ(loading.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_EQ(loading.get(), (std::vector<std::string>{
                                 "PALETTE2.PAL is not a regular file",
                                 "PALETTE3.PAL is too large (more than 65536 bytes)",
                                 "PALETTE4.PAL lies outside the game directory",
                                 "PALETTE5.PAL is not a regular file",
                                 "PALTAB1_00.PAL is not a JASC-PAL palette file",
                             }));
    Palette p{};
    palettes.copyFixed(1, 0, p, 0, 1);
    EXPECT_EQ(p[0], (PaletteEntry{1, 2, 3, 0}));
    palettes.copyFixed(4, 0, p, 0, 1);
    EXPECT_NE(p[0], (PaletteEntry{9, 9, 9, 0})) << "the file outside was not read";
}

} // namespace
} // namespace fer

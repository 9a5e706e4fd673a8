// A game that cannot start says why: the box keeps its caption and text and
// names the file, the folder and the cause. Headless, the box is the line on
// standard error.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "EngineProcess.h"

namespace fer {
namespace {

namespace fs = std::filesystem;

class Folder {
  public:
    Folder() {
        path_ = fs::temp_directory_path() / ("fer-start-" + std::to_string(std::random_device{}()));
        fs::create_directories(path_);
        path_ = fs::canonical(path_);
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path_ / name, std::ios::binary) << bytes;
    }
    std::string path() const { return path_.string(); }

  private:
    fs::path path_;
};

const std::string kPictureArchive = "[FILE]\r\nbARCBG=1\r\nARCBGNAME=BG.ARC\r\n";
const std::string kBuildFailed = "存储器错误: 系统的构筑失败了。\n";

test::EngineProcess run(const Folder& game) {
    return test::runEngineProcess(FER_ENGINE_PATH, "--headless " + game.path());
}

TEST(StartUpFailure, NamesTheArchiveAndWhatIsWrongWithIt) {
    {
        Folder game;
        game.write("KITE5HAN.INI", kPictureArchive);
        game.write("MAIN.MES", std::string(1, '\0'));
        const auto r = run(game);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, kBuildFailed + "BG.ARC in " + game.path() + ": missing.\n");
    }
    {
        Folder game;
        game.write("KITE5HAN.INI", kPictureArchive);
        game.write("BG.ARC", "AB");
        const auto r = run(game);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err,
                  kBuildFailed + "BG.ARC in " + game.path() + ": not an archive (too short).\n");
    }
    {
        Folder game; // a count of four thousand million entries
        game.write("KITE5HAN.INI", kPictureArchive);
        game.write("BG.ARC", std::string("\xFF\xFF\xFF\xFF", 4) + std::string(40, '\0'));
        const auto r = run(game);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, kBuildFailed + "BG.ARC in " + game.path() +
                             ": damaged directory (its entry count does not fit in the file).\n");
    }
    {
        Folder game; // a folder where the script archive should be
        game.write("KITE5HAN.INI", "[FILE]\r\nbARCMES=1\r\n");
        fs::create_directory(fs::path(game.path()) / "MES.ARC");
        const auto r = run(game);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, kBuildFailed + "MES.ARC in " + game.path() + ": not a file.\n");
    }
}

TEST(StartUpFailure, AMissingStartScriptSaysWhatAGameFolderHolds) {
    const std::string holds =
        " A game folder holds KITE5HAN.INI, the start script (MAIN.MES unless StartMES says "
        "otherwise) and the other scripts, loose or in MES.ARC, and the pictures, loose or in "
        "BG.ARC.\n";
    {
        Folder game; // an empty folder: the wrong one was given
        const auto r = run(game);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "文件打开错误: MAIN.MES\nMAIN.MES is not in " + game.path() +
                             ". Nor is the settings file KITE5HAN.INI." + holds);
    }
    {
        Folder game;
        game.write("KITE5HAN.INI", "[Config]\r\nStartMES=OPEN.MES\r\n");
        const auto r = run(game);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "文件打开错误: OPEN.MES\nOPEN.MES is not in " + game.path() + "." + holds);
    }
}

} // namespace
} // namespace fer

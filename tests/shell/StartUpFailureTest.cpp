// A game that cannot start says why: the box keeps its caption and text and
// names the file, the folder and the cause. Headless, the box is the line on
// standard error.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
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

// A game folder that fails to start in one way, and the box it shows: the
// caption and text the failure has, then the line that says why. "@" in the
// explanation stands for the game folder.
struct FailingStart {
    const char* what;
    std::vector<std::pair<std::string, std::string>> files; // name, bytes
    const char* folder;                                      // a folder in place of a file
    const char* caption;
    const char* text;
    std::string explanation;
};

const std::string kHan = "KITE5HAN.INI";
const std::string kPictureArchive = "[FILE]\r\nbARCBG=1\r\nARCBGNAME=BG.ARC\r\n";
const std::string kHolds =
    " A game folder holds KITE5HAN.INI, the start script (MAIN.MES unless StartMES says "
    "otherwise) and the other scripts, loose or in MES.ARC, and the pictures, loose or in "
    "BG.ARC.";

TEST(StartUpFailure, EachFailureKeepsItsCaptionAndTextAndSaysWhy) {
    const std::vector<FailingStart> rows = {
        {"an archive that is missing",
         {{kHan, kPictureArchive}, {"MAIN.MES", std::string(1, '\0')}}, nullptr, "存储器错误",
         "系统的构筑失败了。", "BG.ARC in @: missing."},
        {"an archive too short for its entry count",
         {{kHan, kPictureArchive}, {"BG.ARC", "AB"}}, nullptr, "存储器错误", "系统的构筑失败了。",
         "BG.ARC in @: not an archive (too short)."},
        {"an archive claiming four thousand million entries",
         {{kHan, kPictureArchive}, {"BG.ARC", std::string(4, '\xFF') + std::string(40, '\0')}},
         nullptr, "存储器错误", "系统的构筑失败了。",
         "BG.ARC in @: damaged directory (its entry count does not fit in the file)."},
        {"a folder where the script archive should be", {{kHan, "[FILE]\r\nbARCMES=1\r\n"}},
         "MES.ARC", "存储器错误", "系统的构筑失败了。", "MES.ARC in @: not a file."},
        {"an empty folder", {}, nullptr, "文件打开错误", "MAIN.MES",
         "MAIN.MES is not in @. Nor is the settings file KITE5HAN.INI." + kHolds},
        {"a start script of another name that is missing",
         {{kHan, "[Config]\r\nStartMES=OPEN.MES\r\n"}}, nullptr, "文件打开错误", "OPEN.MES",
         "OPEN.MES is not in @." + kHolds},
        {"a start script missing from its archive (an archive of no entries)",
         {{kHan, "[FILE]\r\nbARCMES=1\r\n"}, {"MES.ARC", std::string(4, '\0')}}, nullptr,
         "文件检索错误", "MAIN.MES", "MAIN.MES is not in @'s script archive." + kHolds},
        {"a chosen font file that is missing",
         {{kHan, "[FerKite]\r\nFontFile=/nonexistent/font.ttf\r\n"}}, nullptr,
         "字体的作成失败了", "是字体句柄",
         "The chosen font file /nonexistent/font.ttf does not exist."},
    };
    for (const FailingStart& row : rows) {
        SCOPED_TRACE(row.what);
        Folder game;
        for (const auto& [name, bytes] : row.files) game.write(name, bytes);
        if (row.folder) fs::create_directory(fs::path(game.path()) / row.folder);
        std::string explanation = row.explanation;
        if (const size_t at = explanation.find('@'); at != std::string::npos)
            explanation.replace(at, 1, game.path());
        const auto r = test::runEngineProcess(FER_ENGINE_PATH, "--headless " + game.path(),
                                              "timeout 60");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, std::string(row.caption) + ": " + row.text + "\n" + explanation + "\n");
    }
}

} // namespace
} // namespace fer

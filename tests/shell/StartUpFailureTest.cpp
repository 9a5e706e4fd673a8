// A game that cannot start says why: the box keeps its caption and text and
// names the file, the folder and the cause, in the game's language. Headless,
// the box is the line on standard error.

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
    bool shiftJis = false; // the Shift-JIS build, whose own words are Japanese
};

const std::string kHan = "KITE5HAN.INI";
const std::string kPictureArchive = "[FILE]\r\nbARCBG=1\r\nARCBGNAME=BG.ARC\r\n";
const std::string kHolds =
    "游戏文件夹中应有 KITE5HAN.INI、起始脚本（StartMES 未指定时为 MAIN.MES）和其他脚本"
    "（单独的文件或在 MES.ARC 中），以及图片（单独的文件或在 BG.ARC 中）。";

TEST(StartUpFailure, EachFailureKeepsItsCaptionAndTextAndSaysWhy) {
    const std::vector<FailingStart> rows = {
        {"an archive that is missing",
         {{kHan, kPictureArchive}, {"MAIN.MES", std::string(1, '\0')}}, nullptr, "存储器错误",
         "系统的构筑失败了。", "@ 中的 BG.ARC：不存在。"},
        {"an archive too short for its entry count",
         {{kHan, kPictureArchive}, {"BG.ARC", "AB"}}, nullptr, "存储器错误", "系统的构筑失败了。",
         "@ 中的 BG.ARC：不是档案文件（太短）。"},
        {"an archive claiming four thousand million entries",
         {{kHan, kPictureArchive}, {"BG.ARC", std::string(4, '\xFF') + std::string(40, '\0')}},
         nullptr, "存储器错误", "系统的构筑失败了。",
         "@ 中的 BG.ARC：目录已损坏（条目数与文件大小不符）。"},
        {"a folder where the script archive should be", {{kHan, "[FILE]\r\nbARCMES=1\r\n"}},
         "MES.ARC", "存储器错误", "系统的构筑失败了。", "@ 中的 MES.ARC：不是文件。"},
        {"an empty folder", {}, nullptr, "文件打开错误", "MAIN.MES",
         "@ 中没有 MAIN.MES。设定文件 KITE5HAN.INI 也不存在。" + kHolds},
        {"an empty folder, for the Shift-JIS build", {}, nullptr, "文件打开错误", "MAIN.MES",
         "@ に MAIN.MES がありません。設定ファイル KITE5CHS.INI もありません。ゲームフォルダーには "
         "KITE5CHS.INI、開始スクリプト（StartMES の指定がなければ MAIN.MES）とほかのスクリプト"
         "（単独のファイルか MES.ARC の中）、画像（単独のファイルか BG.ARC の中）が入ります。",
         true},
        {"a start script of another name that is missing",
         {{kHan, "[Config]\r\nStartMES=OPEN.MES\r\n"}}, nullptr, "文件打开错误", "OPEN.MES",
         "@ 中没有 OPEN.MES。" + kHolds},
        {"a start script missing from its archive (an archive of no entries)",
         {{kHan, "[FILE]\r\nbARCMES=1\r\n"}, {"MES.ARC", std::string(4, '\0')}}, nullptr,
         "文件检索错误", "MAIN.MES", "@ 的脚本档案中没有 MAIN.MES。" + kHolds},
        {"a chosen font file that is missing",
         {{kHan, "[FerKite]\r\nFontFile=/nonexistent/font.ttf\r\n"}}, nullptr,
         "字体的作成失败了", "是字体句柄",
         "指定的字体文件 /nonexistent/font.ttf 不存在。"},
    };
    for (const FailingStart& row : rows) {
        SCOPED_TRACE(row.what);
        Folder game;
        for (const auto& [name, bytes] : row.files) game.write(name, bytes);
        if (row.folder) fs::create_directory(fs::path(game.path()) / row.folder);
        std::string explanation = row.explanation;
        if (const size_t at = explanation.find('@'); at != std::string::npos)
            explanation.replace(at, 1, game.path());
        const auto r = test::runEngineProcess(row.shiftJis ? FER_ENGINE_SJIS_PATH : FER_ENGINE_PATH,
                                              "--headless " + game.path(), "timeout 60");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, std::string(row.caption) + ": " + row.text + "\n" + explanation + "\n");
    }
}

} // namespace
} // namespace fer

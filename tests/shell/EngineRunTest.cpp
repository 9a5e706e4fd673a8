// The engine program end to end: a game directory with scripts, run headless
// through its command line.

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "EngineProcess.h"
#include "files/ArcArchiveBuilder.h"
#include "files/LzssEncoder.h"
#include "core/ScriptMemory.h"

namespace fer {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

class GameDir {
  public:
    GameDir() {
        std::random_device rd;
        path_ = fs::temp_directory_path() / ("fer-engine-" + std::to_string(rd()));
        fs::create_directories(path_);
    }
    ~GameDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    void write(const std::string& name, const Bytes& bytes) const {
        std::ofstream(path_ / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(path_ / name, std::ios::binary) << text;
    }
    Bytes read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

using RunResult = test::EngineProcess;

RunResult runEngine(const std::string& args, const char* engine = FER_ENGINE_PATH) {
    return test::runEngineProcess(engine, args);
}

// r16[10] = 1; r16[11] = 2; text "你好"; end
const Bytes kMain = {0x04, 0x0A, 0x01, 0xFF, 0x01, 0x02, 0xFF, 0x00,
                     0x01, 0xC4, 0xE3, 0xBA, 0xC3, 0x00, 0x00};

uint16_t reg16(const Bytes& memory, int r) {
    return static_cast<uint16_t>(memory[0x884 + 2 * r] | memory[0x884 + 2 * r + 1] << 8);
}

TEST(EngineRun, RunsALooseMainScriptAndDumpsItsMemory) {
    GameDir game;
    game.write("MAIN.MES", kMain);
    const std::string dump = (game.path() / "mem.bin").string();
    const RunResult r =
        runEngine("--headless --print-text --dump-memory " + dump + " " + game.path().string());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "你好\n");
    const Bytes memory = game.read("mem.bin");
    ASSERT_EQ(memory.size(), ScriptMemory::kSize);
    EXPECT_EQ(reg16(memory, 10), 1);
    EXPECT_EQ(reg16(memory, 11), 2);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(memory.data())), "MAIN.MES");
}

TEST(EngineRun, StartScriptFromSettingsInACodedArchive) {
    GameDir game;
    Bytes coded;
    ASSERT_TRUE(LzssEncoder().encode(kMain, coded));
    ArcArchiveBuilder arc;
    ASSERT_TRUE(arc.add("FIRST.MES", coded));
    game.write("MES.ARC", arc.build());
    game.write("KITE5HAN.INI",
               std::string("[Config]\r\nStartMES=first.mes\r\n[FILE]\r\nbARCMES=1\r\n"
                           "ARCMESNAME=MES.ARC\r\n[MES]\r\nbMESTYPE=1\r\n"));
    const std::string dump = (game.path() / "mem.bin").string();
    const RunResult r = runEngine("--headless --dump-memory " + dump + " " + game.path().string());
    EXPECT_EQ(r.status, 0) << r.err;
    const Bytes memory = game.read("mem.bin");
    ASSERT_EQ(memory.size(), ScriptMemory::kSize);
    EXPECT_EQ(reg16(memory, 11), 2);
}

TEST(EngineRun, FatalErrorPrintsOneLineAndExitsWith1) {
    GameDir game;
    game.write("MAIN.MES", Bytes{0x10, 0x02, 0x05, 0xFF, 0x00, 0x00}); // external command 5
    const RunResult r = runEngine("--headless " + game.path().string());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "call 错误  : 真相没被做的外部指令被叫出了                  \n");
}

TEST(EngineRun, MissingStartScriptIsAFatalError) {
    GameDir game;
    const RunResult r = runEngine("--headless " + game.path().string());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("MAIN.MES"), std::string::npos) << r.err;
}

TEST(EngineRun, QuitAfterEndsAnEndlessScript) {
    GameDir game;
    game.write("MAIN.MES", Bytes{0x0A, 0x00, 0x00, 0x00, 0x00}); // jump to itself
    const RunResult r = runEngine("--headless --quit-after 300 " + game.path().string());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "游戏的结束: 结束游戏吗？\n");

    // The quit time is a deadline. Each of these lines costs a pass of the
    // pump and its 30 ms sleep while the window is inactive: one by one they
    // would take 12 s. The run ends at 0.3 s, one pass and the shut-down later.
    std::string lines;
    for (int i = 0; i < 400; ++i) lines += "0 deactivate\n";
    game.write("input.txt", lines);
    const RunResult late =
        runEngine("--headless --quit-after 300 --input " + (game.path() / "input.txt").string() +
                  " " + game.path().string());
    EXPECT_EQ(late.status, 0);
    EXPECT_EQ(late.err, "游戏的结束: 结束游戏吗？\n");
    EXPECT_LT(late.took, std::chrono::seconds(6));
}

// The RIFF size, the data size and the frames of a 16-bit wave file.
struct WaveSizes {
    uint32_t riff = 0, data = 0, rate = 0, channels = 0;
};
WaveSizes readWaveSizes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> h(44);
    in.read(h.data(), 44);
    WaveSizes w;
    if (!in || std::string(h.data(), 4) != "RIFF" || std::string(h.data() + 36, 4) != "data")
        return w;
    std::memcpy(&w.riff, h.data() + 4, 4);
    std::memcpy(&w.data, h.data() + 40, 4);
    std::memcpy(&w.rate, h.data() + 24, 4);
    uint16_t channels = 0;
    std::memcpy(&channels, h.data() + 22, 2);
    w.channels = channels;
    return w;
}

TEST(EngineRun, AudioOutRecordsInRealTimeFromTheStartScriptOn) {
    GameDir game;
    game.write("MAIN.MES", Bytes{0x0A, 0x00, 0x00, 0x00, 0x00}); // jump to itself
    const std::string wav = (game.path() / "out.wav").string();
    const auto start = std::chrono::steady_clock::now();
    const RunResult r =
        runEngine("--headless --quit-after 1200 --audio-out " + wav + " " + game.path().string());
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(r.status, 0);
    const WaveSizes w = readWaveSizes(wav);
    ASSERT_EQ(w.rate, 48000u);
    ASSERT_EQ(w.channels, 2u);
    EXPECT_EQ(w.riff, w.data + 36);
    EXPECT_EQ(std::filesystem::file_size(wav), w.data + 44u);
    // The run lasted 1.2 s from the start script on; the process a little longer.
    const double seconds = w.data / (4.0 * 48000.0);
    EXPECT_GT(seconds, 0.8);
    EXPECT_LT(seconds, wall + 0.2);
}

TEST(EngineRun, AudioOutIsCompleteAfterAFatalError) {
    GameDir game;
    // A wait of 160 / 4 = 40 ticks (0.6 s: system command 11, argument the word
    // 160), then a byte that is no instruction.
    game.write("MAIN.MES", Bytes{0x0B, 0x0B, 0xFF, 0x02, 0xF1, 0xA0, 0x00, 0xFF, 0x00, 0x63});
    const std::string wav = (game.path() / "out.wav").string();
    const RunResult r =
        runEngine("--headless --quit-after 3000 --audio-out " + wav + " " + game.path().string());
    const WaveSizes w = readWaveSizes(wav);
    EXPECT_EQ(w.riff, w.data + 36);
    EXPECT_EQ(std::filesystem::file_size(wav), w.data + 44u);
    EXPECT_EQ(r.status, 1) << r.err;
}

TEST(EngineRun, ScriptedInputEndsAWaitForAClick) {
    GameDir game;
    // wait for a click (system command 11, no argument); r16[12] = 7; end
    game.write("MAIN.MES", Bytes{0x0B, 0x0B, 0xFF, 0x00, 0x04, 0x0C, 0x07, 0xFF, 0x00, 0x00});
    game.write("input.txt", std::string("200 press lbutton\n"));
    const std::string dump = (game.path() / "mem.bin").string();
    const RunResult r =
        runEngine("--headless --quit-after 5000 --input " + (game.path() / "input.txt").string() +
                  " --dump-memory " + dump + " " + game.path().string());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, ""); // ended by the click, not by the quit timer
    EXPECT_EQ(reg16(game.read("mem.bin"), 12), 7);
}

TEST(EngineRun, BadUsageExitsWith2) {
    EXPECT_EQ(runEngine("--no-such-option").status, 2);
    EXPECT_EQ(runEngine("--quit-after").status, 2);
    GameDir game;
    game.write("bad.txt", std::string("10 press f13\n"));
    EXPECT_EQ(runEngine("--headless --input " + (game.path() / "bad.txt").string()).status, 2);
    const RunResult help = runEngine("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--dump-memory"), std::string::npos);
}

TEST(EngineRun, BundledSamplePlaysToItsEnd) {
    const RunResult r = runEngine(std::string("--headless --print-text ") + FER_SAMPLE_DIR);
    EXPECT_EQ(r.status, 0) << r.err;
    // One line per message: what was drawn up to the choice, then the rest.
    EXPECT_EQ(r.out, "样例脚本开始。 第二十个斐波那契数是６７６５ 过程七被调用了。\n"
                     "选了第一项。 这是被调用的脚本。 样例脚本结束。\n");
}

TEST(EngineRun, GameOfSeveralScriptsSavesLoadsCallsChangesAndMergesFlags) {
    GameDir game;
    for (const char* name : {"MAIN.MES", "CALLEE.MES", "SECOND.MES"})
        fs::copy_file(fs::path(FER_SAVEGAME_DIR) / name, game.path() / name);
    Bytes merged(4096, 0);
    merged[0x80 + 7] = 1;
    merged[200] = 0x42;
    game.write("SAVE05", merged);
    const std::string dump = (game.path() / "mem.bin").string();
    const RunResult r = runEngine("--headless --dump-memory " + dump + " " + game.path().string());
    ASSERT_EQ(r.status, 0) << r.err;
    const Bytes memory = game.read("mem.bin");
    ASSERT_EQ(memory.size(), ScriptMemory::kSize);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(memory.data())), "SECOND.MES");
    EXPECT_EQ(reg16(memory, 60), 11); // from the save, not the later 99
    EXPECT_EQ(reg16(memory, 61), 23);
    EXPECT_EQ(reg16(memory, 62), 22);
    EXPECT_EQ(reg16(memory, 63), 0);
    EXPECT_EQ(reg16(memory, 64), 0); // loaded again by the variables-only load
    EXPECT_EQ(reg16(memory, 66), 7);
    EXPECT_EQ(reg16(memory, 26), 2832);
    EXPECT_EQ(memory[0x80 + 7], 2);
    const Bytes save = game.read("SAVE03");
    ASSERT_EQ(save.size(), 4096u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(save.data())), "MAIN.MES");
    EXPECT_EQ(save[0x80 + 100], 1);
    EXPECT_EQ(reg16(save, 60), 11);
    const Bytes after = game.read("SAVE05");
    ASSERT_EQ(after.size(), 4096u);
    EXPECT_EQ(after[0x80 + 7], 3); // 1 | 2
    EXPECT_EQ(after[0x80 + 8], 1);
    EXPECT_EQ(after[200], 0x42);
}

TEST(EngineRun, DroppedFileAndFileLoadSwitchScripts) {
    GameDir game;
    // MAIN.MES waits for clicks for ever; a dropped script ends the game.
    game.write("MAIN.MES", Bytes{0x0B, 0x0B, 0xFF, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00});
    fs::create_directories(game.path() / std::string(150, 'd'));
    const fs::path dropped = game.path() / std::string(150, 'd') / "NEXT.MES";
    std::ofstream(dropped, std::ios::binary).write("\x04\x0C\x09\xFF\x00\x00", 6);
    game.write("input.txt", "300 drop " + dropped.string() + "\n");
    const std::string dump = (game.path() / "mem.bin").string();
    RunResult r = runEngine("--headless --quit-after 5000 --input " +
                            (game.path() / "input.txt").string() + " --dump-memory " + dump + " " +
                            game.path().string());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, ""); // the dropped script ended the game before the quit timer
    Bytes memory = game.read("mem.bin");
    EXPECT_EQ(reg16(memory, 12), 9);
    EXPECT_EQ(memory[127], 0); // the long path was cut to the name field

    // "FileLoad" (menu item 40001, debug menu) picks a script file: headless,
    // the first by name, here A.MES.
    game.write("A.MES", Bytes{0x04, 0x0C, 0x05, 0xFF, 0x00, 0x00});
    game.write("KITE5HAN.INI", std::string("[Config]\nbDEBUG=2\n"));
    game.write("input.txt", std::string("300 menu 40001\n"));
    r = runEngine("--headless --quit-after 5000 --input " + (game.path() / "input.txt").string() +
                  " --dump-memory " + dump + " " + game.path().string());
    EXPECT_EQ(r.status, 0) << r.err;
    memory = game.read("mem.bin");
    EXPECT_EQ(reg16(memory, 12), 5);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(memory.data())), "A.MES");

    // With the scripts in their archive "FileLoad" offers the archive's: here
    // B.MES first, as the loose A.MES cannot be loaded then.
    ArcArchiveBuilder arc;
    ASSERT_TRUE(arc.add("MAIN.MES", Bytes{0x0B, 0x0B, 0xFF, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x00}));
    ASSERT_TRUE(arc.add("B.MES", Bytes{0x04, 0x0C, 0x07, 0xFF, 0x00, 0x00}));
    game.write("MES.ARC", arc.build());
    game.write("KITE5HAN.INI", std::string("[Config]\nbDEBUG=2\n[FILE]\nbARCMES=1\n"));
    r = runEngine("--headless --quit-after 5000 --input " + (game.path() / "input.txt").string() +
                  " --dump-memory " + dump + " " + game.path().string());
    EXPECT_EQ(r.status, 0) << r.err;
    memory = game.read("mem.bin");
    EXPECT_EQ(reg16(memory, 12), 7);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(memory.data())), "B.MES");
}

TEST(EngineRun, ShiftJisBuildReadsItsOwnSettingsFile) {
    GameDir game;
    game.write("KITE5CHS.INI", std::string("[Config]\nStartMES=JP.MES\n"));
    // The text "日本" in Shift-JIS.
    game.write("JP.MES", Bytes{0x01, 0x93, 0xFA, 0x96, 0x7B, 0x00, 0x00});
    const RunResult r =
        runEngine("--headless --print-text " + game.path().string(), FER_ENGINE_SJIS_PATH);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "日本\n");
}

} // namespace
} // namespace fer

namespace fer {
namespace {

// The screenshot key tells the player what it did, in the window (headless:
// on stderr), also when the picture cannot be written.
TEST(EngineRun, ScreenshotKeyShowsANotice) {
    GameDir game;
    // wait for a click; end
    game.write("MAIN.MES", Bytes{0x0B, 0x0B, 0xFF, 0x00, 0x00});
    game.write("input.txt", std::string("100 screenshot\n200 menu 40003\n300 press lbutton\n"));
    const RunResult r = runEngine("--headless --quit-after 5000 --input " +
                                  (game.path() / "input.txt").string() + " " +
                                  game.path().string());
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string saved = "截图已保存：";
    ASSERT_EQ(r.err.rfind(saved + "screenshot-", 0), 0u) << r.err;
    const std::string name = r.err.substr(saved.size(), r.err.find('\n') - saved.size());
    EXPECT_TRUE(fs::exists(game.path() / name)) << name;
    // "Help" lists the keys, the screenshot key among them, before the about part.
    EXPECT_NE(r.err.find("\n帮助: 按键\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("\nF12: 截图，存入游戏文件夹\n"), std::string::npos) << r.err;

    // A folder in the picture's place: it cannot be written.
    GameDir blocked;
    blocked.write("MAIN.MES", Bytes{0x0B, 0x0B, 0xFF, 0x00, 0x00});
    blocked.write("input.txt", std::string("100 screenshot\n300 press lbutton\n"));
    fs::permissions(blocked.path(), fs::perms::owner_write | fs::perms::group_write |
                                        fs::perms::others_write,
                    fs::perm_options::remove);
    // Nor can the player's own folder be made (under the read-only one).
    const std::string wrapper =
        std::string(geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "") +
        "env XDG_DATA_HOME=" + (blocked.path() / "data").string();
    const RunResult b = test::runEngineProcess(
        FER_ENGINE_PATH,
        "--headless --quit-after 5000 --input " + (blocked.path() / "input.txt").string() + " " +
            blocked.path().string(),
        wrapper);
    fs::permissions(blocked.path(), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(b.status, 0) << b.err;
    EXPECT_NE(b.err.find("截图未保存：无法写入 "), std::string::npos) << b.err;
}

} // namespace
} // namespace fer

// The debug monitor in the engine program: a game with "bDEBUG" on runs
// headless with scripted menu choices, keys and typed text, and the views
// print what they draw on standard output.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "EngineProcess.h"

namespace fer {
namespace {

namespace fs = std::filesystem;

class Game {
  public:
    Game() : path_(fs::temp_directory_path() / ("fer-monitor-" + std::to_string(rd_()))) {
        fs::create_directories(path_);
        fs::copy_file(fs::path(FER_MONITOR_DIR) / "MAIN.MES", path_ / "MAIN.MES");
        write("KITE5HAN.INI", "[Config]\r\nbDEBUG=1\r\n");
        write("X.DAT", std::string(16, '\x01'));
        write("PIC.BMP", bitmap());
    }
    ~Game() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path_ / name, std::ios::binary) << bytes;
    }
    const fs::path& path() const { return path_; }

    // An 8 x 8 picture of 8 bits a pixel, rows bottom-up, with a grey palette.
    static std::string bitmap() {
        std::string b;
        auto put = [&](uint32_t v, int bytes) {
            for (int i = 0; i < bytes; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
        };
        const uint32_t offset = 14 + 40 + 256 * 4;
        b += "BM";
        put(offset + 64, 4);
        put(0, 4);
        put(offset, 4);
        put(40, 4);
        put(8, 4);
        put(8, 4);
        put(1, 2);
        put(8, 2);
        put(0, 4);
        put(64, 4);
        put(2835, 4);
        put(2835, 4);
        put(256, 4);
        put(0, 4);
        for (uint32_t i = 0; i < 256; ++i) put(i | i << 8 | i << 16, 4);
        for (int i = 0; i < 64; ++i) b += static_cast<char>(i);
        return b;
    }

  private:
    std::random_device rd_;
    fs::path path_;
};

using EngineOutput = test::EngineProcess;

EngineOutput runWithInput(const Game& game, const std::string& input, int quitAfterMs) {
    game.write("input.txt", input);
    return test::runEngineProcess(FER_ENGINE_PATH, "--headless --input '" +
                                                       (game.path() / "input.txt").string() +
                                                       "' --quit-after " +
                                                       std::to_string(quitAfterMs) + " '" +
                                                       game.path().string() + "'");
}

// One printed view: its header and its lines "<x> <y> <text>".
struct PrintedView {
    std::string header;
    std::vector<std::string> lines;
    std::string at(int x, int y) const {
        const std::string prefix = std::to_string(x) + " " + std::to_string(y) + " ";
        for (const std::string& line : lines)
            if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
        return "<none>";
    }
};

// The views and the other lines ([FILES] ...) of the output, in order.
void parse(const std::string& out, std::vector<PrintedView>& views,
           std::vector<std::string>& others) {
    std::istringstream in(out);
    std::string line;
    PrintedView* open = nullptr;
    while (std::getline(in, line)) {
        if (open) {
            if (line == "[END VIEW]")
                open = nullptr;
            else
                open->lines.push_back(line);
        } else if (line.rfind("[VIEW ", 0) == 0) {
            views.push_back({line, {}});
            open = &views.back();
        } else {
            others.push_back(line);
        }
    }
    EXPECT_EQ(open, nullptr) << "a view without its end";
}

std::string pressEach(int from, int step, int times, const char* key) {
    std::string lines;
    for (int i = 0; i < times; ++i)
        lines += std::to_string(from + i * step) + " press " + key + "\n";
    return lines;
}

TEST(DebugMonitorRun, FlagsViewPagesToTheLastFlags) {
    Game game;
    const EngineOutput r = runWithInput(game,
                                        "300 menu 40010\n" + pressEach(400, 10, 30, "pgdn") +
                                            "800 press pgup\n900 press pgdn\n1000 press esc\n",
                                        1500);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<PrintedView> views;
    std::vector<std::string> others;
    parse(r.out, views, others);
    // Shown, then again after each of 30 Page Downs, a Page Up and a Page Down.
    ASSERT_EQ(views.size(), 33u) << r.out;
    EXPECT_EQ(views[0].header, "[VIEW 40010 page 0]");
    EXPECT_EQ(views[1].header, "[VIEW 40010 page 1]");
    EXPECT_EQ(views[25].header, "[VIEW 40010 page 25]");
    EXPECT_EQ(views[30].header, "[VIEW 40010 page 25]"); // no page after 25
    EXPECT_EQ(views[31].header, "[VIEW 40010 page 24]");
    const PrintedView& last = views[32];
    EXPECT_EQ(last.header, "[VIEW 40010 page 25]");
    EXPECT_EQ(last.at(0, 24), "02000");
    EXPECT_EQ(last.at(0, 168), "02072");
    EXPECT_EQ(last.at(48, 24), "001");   // flag 2000
    EXPECT_EQ(last.at(552, 24), "008");  // flag 2007
    EXPECT_EQ(last.at(552, 104), "009"); // flag 2047
    for (int row = 6; row < 10; ++row)
        for (int c = 0; c < 8; ++c) EXPECT_EQ(last.at(48 + 72 * c, 24 + 16 * row), "   ");
    EXPECT_EQ(last.lines.size(), 98u);
}

TEST(DebugMonitorRun, ArrayRegistersAndDump) {
    Game game;
    const EngineOutput r = runWithInput(game,
                                        "300 menu 40014\n" + pressEach(400, 10, 3, "pgdn") +
                                            "500 press esc\n"
                                            "600 menu 40012\n700 press esc\n"
                                            "800 menu 40013\n850 type abc\n900 press enter\n"
                                            "1000 menu 40013\n1100 press enter\n"
                                            "1200 menu 40013\n1250 type 1053045\n1300 press enter\n"
                                            "1400 menu 40024\n"
                                            "1500 menu 40013\n1550 type 61440\n1600 press enter\n"
                                            "1700 press esc\n",
                                        2200);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<PrintedView> views;
    std::vector<std::string> others;
    parse(r.out, views, others);
    ASSERT_EQ(views.size(), 6u) << r.out;
    // 16-bit array 0: page 2 ends with element 199, page 3 is blank.
    EXPECT_EQ(views[2].header, "[VIEW 40014 page 2]");
    EXPECT_EQ(views[2].at(48, 24), "00160");
    EXPECT_EQ(views[2].at(552, 88), "00199");
    EXPECT_EQ(views[2].at(48, 104), "     ");
    EXPECT_EQ(views[3].header, "[VIEW 40014 page 3]");
    EXPECT_EQ(views[3].at(0, 24), "00240");
    for (int r = 0; r < 10; ++r) {
        for (int c = 0; c < 8; ++c) EXPECT_EQ(views[3].at(48 + 72 * c, 24 + 16 * r), "     ");
    }
    // The 32-bit registers.
    EXPECT_EQ(views[4].header, "[VIEW 40012 page 0]");
    EXPECT_EQ(views[4].at(0, 0), "   _A");
    EXPECT_EQ(views[4].at(48, 0), "0000ABCD");
    // Of four dumps asked for, only the one with a good address opens.
    EXPECT_EQ(views[5].header, "[VIEW 40013 page 0]");
    EXPECT_EQ(views[5].at(48, 24), "ABH");
    size_t asked = 0;
    for (size_t at = r.err.find("地址输入: 请输入地址"); at != std::string::npos;
         at = r.err.find("地址输入: 请输入地址", at + 1))
        ++asked;
    EXPECT_EQ(asked, 4u) << r.err;
}

TEST(DebugMonitorRun, FileNameWindowShowsTheNamesAsFilesAreLoaded) {
    Game game;
    const EngineOutput r = runWithInput(game, "0 menu 40009\n500 menu 40009\n", 800);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<PrintedView> views;
    std::vector<std::string> others;
    parse(r.out, views, others);
    EXPECT_TRUE(views.empty());
    // Shown before the first instruction, drawn afresh after the data file
    // and the picture, and shown again with the names of that moment.
    EXPECT_EQ(others, (std::vector<std::string>{
                          "[FILES] MES=MAIN.MES PIC= DATA= MUSIC= VOICE=",
                          "[FILES] MES=MAIN.MES PIC= DATA=X.DAT MUSIC= VOICE=",
                          "[FILES] MES=MAIN.MES PIC=PIC.BMP DATA=X.DAT MUSIC= VOICE=",
                          "[FILES] MES=MAIN.MES PIC=PIC.BMP DATA=X.DAT MUSIC= VOICE=",
                      }))
        << r.err;
}

TEST(DebugMonitorRun, LiveViewFollowsTheRunningScript) {
    Game game;
    const EngineOutput r =
        runWithInput(game, "200 menu 40040\n300 menu 40011\n400 menu 40041\n", 900);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<PrintedView> views;
    std::vector<std::string> others;
    parse(r.out, views, others);
    // The script counts in r16[13] while the views stay up: the register view
    // is printed again as the count changes.
    size_t registers = 0;
    std::string firstCount, lastCount;
    for (const PrintedView& view : views) {
        if (view.header != "[VIEW 40011 page 0 live]") continue;
        ++registers;
        (firstCount.empty() ? firstCount : lastCount) = view.at(168, 32); // register 13
    }
    EXPECT_GE(registers, 3u) << r.out;
    EXPECT_NE(firstCount, lastCount);
    // The code view shows the script and where it is.
    bool code = false;
    for (const PrintedView& view : views) {
        if (view.header != "[VIEW 40041 page 0 live]") continue;
        code = true;
        EXPECT_EQ(view.at(40, 0), "MAIN.MES");
    }
    EXPECT_TRUE(code) << r.out;
}

TEST(DebugMonitorRun, TheKeyThatEndsAPlaneViewDoesNotReachTheScript) {
    Game game;
    fs::copy_file(fs::path(FER_MONITOR_DIR) / "WAIT.MES", game.path() / "MAIN.MES",
                  fs::copy_options::overwrite_existing);
    // Enter ends the view of plane 0 while the script waits for the decide
    // key; a later Enter is the script's.
    const EngineOutput r = runWithInput(game,
                                        "300 menu 40004\n400 press enter\n"
                                        "700 menu 40010\n800 press esc\n"
                                        "900 press enter\n1100 menu 40010\n1200 press esc\n",
                                        1500);
    EXPECT_EQ(r.status, 0) << r.err;
    std::vector<PrintedView> views;
    std::vector<std::string> others;
    parse(r.out, views, others);
    ASSERT_EQ(views.size(), 2u) << r.out;
    EXPECT_EQ(views[0].at(48, 24), "000"); // flag 0: the script still waits
    EXPECT_EQ(views[1].at(48, 24), "001");
}

TEST(DebugMonitorRun, WithoutTheDebugSettingTheMonitorStaysAway) {
    Game game;
    game.write("KITE5HAN.INI", "[Config]\r\nbDEBUG=0\r\n");
    const EngineOutput r =
        runWithInput(game, "100 menu 40009\n200 menu 40010\n300 press esc\n", 500);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
}

} // namespace
} // namespace fer

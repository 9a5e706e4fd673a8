// The bundled demo game, played headless with scripted input through both of
// its ways, in both game directories (bitmaps and LZSS-coded pictures). The
// screenshots are compared with what the demo's own picture functions draw.
//
// Timing: every run holds Shift from the start, which ends the scripts' timed
// waits at once (typing, animation); what remains real time are the fades and
// dissolves. Clicks are held long and spaced widely so that a slow build
// (sanitizers) still reaches each click wait while the button is down.

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "../shell/EngineProcess.h"
#include "DemoPalette.h"
#include "DemoPictures.h"
#include "IndexedPng.h"
#include "../sound/ToneWave.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Rgb3 = std::array<uint8_t, 3>;

constexpr int kGap = 1000;   // ms between clicks
constexpr int kHold = 500;   // ms a click is held
constexpr int kSlack = 3000; // ms after the last click before the window closes

// Registers and flags of the demo's scripts (demo/game/common.mes).
constexpr int kRegBranch = 11, kRegHeight = 13, kFlagSeen = 100;

Rgb3 colour(uint8_t index) {
    const demo::Rgb c = demo::demoPalette()[index];
    return {c.r, c.g, c.b};
}

uint16_t reg16(const Bytes& memory, int r) {
    return uint16_t(memory.at(0x884 + 2 * r) | memory.at(0x884 + 2 * r + 1) << 8);
}

std::string nameAt0(const Bytes& memory) {
    return std::string(reinterpret_cast<const char*>(memory.data()));
}

// A copy of a built game directory, so that runs do not share save files.
class GameCopy {
  public:
    explicit GameCopy(const fs::path& from) {
        path_ = fs::temp_directory_path() / ("fer-demo-" + std::to_string(std::random_device{}()));
        fs::create_directories(path_);
        for (const auto& entry : fs::directory_iterator(from))
            if (entry.is_regular_file()) fs::copy_file(entry.path(), path_ / entry.path().filename());
    }
    ~GameCopy() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    GameCopy(const GameCopy&) = delete;
    GameCopy& operator=(const GameCopy&) = delete;
    const fs::path& path() const { return path_; }
    Bytes read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

  private:
    fs::path path_;
};

// Scripted input: Shift held throughout, then clicks and other events.
class Input {
  public:
    Input() { lines_ << "0 down shift\n"; }
    // A click held kHold ms, kGap ms after the previous event.
    Input& click(const char* key = "enter") {
        at_ += kGap;
        lines_ << at_ << " down " << key << "\n" << at_ + kHold << " up " << key << "\n";
        return *this;
    }
    Input& clicks(int n) {
        for (int i = 0; i < n; ++i) click();
        return *this;
    }
    Input& press(const char* key) {
        at_ += kGap;
        lines_ << at_ << " press " << key << "\n";
        return *this;
    }
    // Down and up at the same millisecond: a tap quicker than the engine's passes.
    Input& tap(const char* key) {
        at_ += kGap;
        lines_ << at_ << " down " << key << "\n" << at_ << " up " << key << "\n";
        return *this;
    }
    Input& mouse(int x, int y) {
        at_ += kGap;
        lines_ << at_ << " mouse " << x << " " << y << "\n";
        return *this;
    }
    // Another event of the input format ("history"), kGap ms after the previous one.
    Input& event(const char* what) {
        at_ += kGap;
        lines_ << at_ << " " << what << "\n";
        return *this;
    }
    int end() const { return at_ + kHold + kSlack; }
    std::string text() const { return lines_.str(); }

  private:
    std::ostringstream lines_;
    int at_ = 0;
};

struct PlayResult {
    int status = -1;
    std::string out;
    demotest::IndexedPng screen;
    Bytes memory;
    fer::test::Recording sound;
};

PlayResult play(const GameCopy& game, const Input& input) {
    const fs::path in = game.path() / "input.txt", png = game.path() / "screen.png",
                   mem = game.path() / "memory.bin";
    std::ofstream(in) << input.text();
    const std::string command = fer::test::kEngineKillAfter + FER_ENGINE_PATH +
                                " --headless --print-text --input " + in.string() +
                                " --quit-after " + std::to_string(input.end()) + " --screenshot " +
                                png.string() + " --dump-memory " + mem.string() + " --audio-out " +
                                (game.path() / "sound.wav").string() + " " +
                                game.path().string() + " 2>/dev/null";
    PlayResult run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::string error;
    EXPECT_TRUE(demotest::readIndexedPng(png.string(), run.screen, error)) << error;
    run.memory = game.read("memory.bin");
    EXPECT_EQ(run.memory.size(), 1053124u);
    run.sound = fer::test::readRecording(game.path() / "sound.wav");
    return run;
}

// Every pixel of the rectangle shows the picture (placed at px, py) in the demo palette.
void expectPicture(const demotest::IndexedPng& screen, const demo::Picture& picture, int px, int py,
                   int x0, int y0, int x1, int y1) {
    int wrong = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (screen.rgb(x, y) != colour(picture.at(x - px, y - py))) ++wrong;
    EXPECT_EQ(wrong, 0) << picture.name << " in " << x0 << "," << y0 << "-" << x1 << "," << y1;
}

// The kite composed over a scene: its own pixels, the scene where it has the key colour.
void expectKite(const demotest::IndexedPng& screen, const demo::Picture& scene, int kx, int ky) {
    const demo::Picture kite = demo::kitePicture();
    int wrong = 0;
    for (int y = 0; y < kite.height; ++y)
        for (int x = 0; x < kite.width; ++x) {
            const uint8_t k = kite.at(x, y);
            const uint8_t want = k == demo::ui::kKey ? scene.at(kx + x, ky + y) : k;
            if (screen.rgb(kx + x, ky + y) != colour(want)) ++wrong;
        }
    EXPECT_EQ(wrong, 0) << "kite at " << kx << "," << ky << " over " << scene.name;
}

int countColour(const demotest::IndexedPng& screen, Rgb3 c, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) n += screen.rgb(x, y) == c;
    return n;
}

// A line of text typed at the window's text area: text-coloured pixels in it,
// shadow under them, and the window colour around.
void expectTextLine(const demotest::IndexedPng& screen, int y, Rgb3 text) {
    EXPECT_GT(countColour(screen, text, 40, y, 599, y + 15), 50) << "text line at y " << y;
}

void expectWindow(const demotest::IndexedPng& screen) {
    const demo::Picture window = demo::windowPicture();
    // The frame and the empty right part of the interior.
    expectPicture(screen, window, demo::kWindowX, demo::kWindowY, 16, 280, 623, 287);
    expectPicture(screen, window, demo::kWindowX, demo::kWindowY, 16, 384, 623, 391);
    expectPicture(screen, window, demo::kWindowX, demo::kWindowY, 620, 280, 623, 391);
}

class DemoGame : public ::testing::TestWithParam<const char*> {
  protected:
    fs::path dir() const { return GetParam(); }
};

// Clicks: title, first message, second message; then the choice.
Input upToChoice() {
    Input input;
    input.clicks(3);
    return input;
}

// One picture format is enough here: the choice draws from planes, not files.
TEST(DemoGameChoice, FollowsTheMouseWithItsHighlight) {
    GameCopy game(FER_DEMO_LZSS_DIR);
    Input input = upToChoice();
    input.mouse(200, 344); // over the second item
    const PlayResult run = play(game, input);
    EXPECT_EQ(run.status, 0);
    const auto& s = run.screen;
    // Left of the item texts: the highlight bar on item 2 only.
    EXPECT_EQ(countColour(s, colour(demo::ui::kHighlight), 20, 334, 50, 353), 31 * 20);
    EXPECT_EQ(countColour(s, colour(demo::ui::kWindow), 20, 314, 50, 333), 31 * 20);
    EXPECT_EQ(countColour(s, colour(demo::ui::kWindow), 20, 354, 50, 373), 31 * 20);
    expectTextLine(s, 296, colour(demo::ui::kText)); // the question
    for (int item = 0; item < 3; ++item)
        expectTextLine(s, 316 + 20 * item, colour(demo::ui::kText));
    expectWindow(s);
    // The field behind the window, without the kite (it flew away).
    expectPicture(s, demo::fieldPicture(), 0, 0, 0, 0, 639, 279);
    EXPECT_NE(run.out.find("小林该怎么办呢？"), std::string::npos) << run.out;
    EXPECT_EQ(reg16(run.memory, 8), 1); // the current item
    // The story's tune: its loop, B4 and D5 for half a second each.
    const double end = run.sound.seconds();
    EXPECT_GT(fer::test::toneLevel(run.sound, 493.88, end - 1.5, end - 0.5), 0.02) << "the story's tune";
    EXPECT_GT(fer::test::toneLevel(run.sound, 587.33, end - 1.5, end - 0.5), 0.02);
}

TEST_P(DemoGame, HillWayShowsTheKiteRisingAndItsHeight) {
    GameCopy game(dir());
    Input input = upToChoice();
    input.mouse(100, 324).click("lbutton"); // first item, by the mouse
    const PlayResult run = play(game, input);
    EXPECT_EQ(run.status, 0);
    const demo::Picture hill = demo::hillPicture();
    expectKite(run.screen, hill, 288, 40);
    expectPicture(run.screen, hill, 0, 0, 0, 0, 287, 279);
    expectPicture(run.screen, hill, 0, 0, 352, 0, 639, 279);
    expectWindow(run.screen);
    expectTextLine(run.screen, 296, colour(demo::ui::kText));
    expectTextLine(run.screen, 316, colour(demo::ui::kText));
    EXPECT_NE(run.out.find("风筝又飞起来了，足足有３６米高！"), std::string::npos) << run.out;
    EXPECT_EQ(reg16(run.memory, kRegBranch), 1);
}

TEST_P(DemoGame, TreeWayTakesTheKiteOutOfTheTree) {
    GameCopy game(dir());
    Input input = upToChoice();
    input.press("down").click().click(); // second item by the keys; the tree message
    const PlayResult run = play(game, input);
    EXPECT_EQ(run.status, 0);
    // The kite has dissolved away: the whole scene is the tree again.
    expectPicture(run.screen, demo::treePicture(), 0, 0, 0, 0, 639, 279);
    expectWindow(run.screen);
    EXPECT_NE(run.out.find("那根树枝离地面有１２米高呢。"), std::string::npos) << run.out;
    EXPECT_EQ(reg16(run.memory, kRegBranch), 2);
}

// Taps that go down and up between two passes of the choice loop still
// count: down moves to the second item, Enter takes it.
// The history after the first messages: one line per message, oldest first,
// no speaker in the story (the texts of main.mes and story.mes); Esc closes
// it and the game goes on to the choice.
TEST(DemoGameHistory, HoldsTheFirstMessagesOldestFirst) {
    GameCopy game(FER_DEMO_DIR);
    Input input;
    input.clicks(2).event("history").press("esc").click();
    const PlayResult run = play(game, input);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("[HISTORY]\n"
                           "\t小　风　筝 点击或按回车键开始\n"
                           "\t春天的午后，小林在山坡上放风筝。 风筝越飞越高，像一只彩色的鸟。\n"
                           "\t忽然，一阵大风吹断了风筝线！ 风筝飘呀飘，落到了远处。\n"
                           "[END HISTORY]\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("[END HISTORY]\n小林该怎么办呢？"), std::string::npos) << run.out;
}

// Skipping read text: a first play reads the title and the first message;
// the second, with skipping on from the menu and no click at all, goes past
// both and stops at the first message it had not shown (the gust).
TEST(DemoGameSkip, StopsAtTheFirstUnreadMessageOfAReplay) {
    GameCopy game(FER_DEMO_DIR);
    setenv("XDG_DATA_HOME", (game.path() / "data").c_str(), 1);
    Input first;
    first.clicks(1);
    const PlayResult read = play(game, first);
    EXPECT_EQ(read.out.find("忽然"), std::string::npos) << read.out;
    Input replay;
    replay.event("menu 40111");
    const PlayResult run = play(game, replay);
    unsetenv("XDG_DATA_HOME");
    EXPECT_NE(run.out.find("春天的午后"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("忽然，一阵大风吹断了风筝线！"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("小林该怎么办呢？"), std::string::npos) << "it waits at the gust: " << run.out;
}

// Auto mode, chosen in the menu during the title: no click is needed; the
// first message's wait ends when its voice has (VOICE0.WAV lasts 6.374 s,
// as soxi gives it), so the next message follows the first by the voice's
// length, less the moment it took to type, and not 100 ms more.
TEST(DemoGameAuto, EndsAVoicedWaitWhenTheVoiceEnds) {
    GameCopy game(FER_DEMO_DIR);
    std::ofstream(game.path() / "input.txt") << "0 down shift\n500 menu 40112\n";
    const std::string command = fer::test::kEngineKillAfter + FER_ENGINE_PATH +
                                " --headless --print-text --input " +
                                (game.path() / "input.txt").string() + " --quit-after 12000 " +
                                game.path().string() + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    using Clock = std::chrono::steady_clock;
    Clock::time_point intro{}, gust{};
    char line[4096];
    while (std::fgets(line, sizeof line, pipe)) {
        const std::string text(line);
        if (text.find("春天的午后") != std::string::npos) intro = Clock::now();
        if (text.find("忽然，") != std::string::npos) gust = Clock::now();
    }
    pclose(pipe);
    ASSERT_NE(intro, Clock::time_point{}) << "the title's wait ended by itself";
    ASSERT_NE(gust, Clock::time_point{}) << "and the first message's";
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(gust - intro).count();
    EXPECT_GT(ms, 6374 - 500) << "the wait lasted as long as the voice";
    EXPECT_LT(ms, 6374 + 100) << "and ended within 100 ms of its end";
}

TEST(DemoGameChoice, TakesTapsQuickerThanItsPasses) {
    GameCopy game(FER_DEMO_LZSS_DIR);
    Input input = upToChoice();
    input.tap("down").tap("enter").click();
    const PlayResult run = play(game, input);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("那根树枝离地面有１２米高呢。"), std::string::npos) << run.out;
    EXPECT_EQ(reg16(run.memory, kRegBranch), 2);
}

// The processor time (user and system) a process used so far, in seconds.
double cpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), {});
    // The fields after the command name, which is in parentheses.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int n = 3; n <= 15 && fields >> field; ++n) {
        if (n == 14) utime = std::stoull(field);
        if (n == 15) stime = std::stoull(field);
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

// Waiting at the choice for the player (the choice loop runs its handlers
// every pass) costs next to nothing: at most 5 % of a core over 5 seconds.
TEST(DemoGameChoice, WaitsForThePlayerWithoutBurningTheProcessor) {
    GameCopy game(FER_DEMO_LZSS_DIR);
    Input input = upToChoice(); // at the choice from about 4 s on
    const fs::path in = game.path() / "input.txt";
    std::ofstream(in) << input.text();
    const std::string engine = FER_ENGINE_PATH;
    std::vector<std::string> args = {engine,      "--headless", "--input", in.string(),
                                     "--quit-after", "10500",   game.path().string()};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, engine.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    std::this_thread::sleep_for(std::chrono::milliseconds(5000));
    const double before = cpuSeconds(pid);
    const auto from = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(5000));
    const double used = cpuSeconds(pid) - before;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
    const int status = fer::test::waitOrKill(pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The sanitizers make every pass several times dearer; a spinning wait
    // would still take a whole core.
    const double limit = 0.5;
#else
    const double limit = 0.05;
#endif
    EXPECT_LE(used / seconds, limit) << used << " s of processor time in " << seconds << " s";
}

// Both ways to the end: saved in slot 1, read back, back at the title, which
// offers both acts with the second one chosen. After the hill way, up and
// Enter there start the story again.
void playToTheEnd(const fs::path& dir, bool tree) {
    GameCopy game(dir);
    Input input = upToChoice();
    if (tree)
        input.press("down").click();
    else
        input.mouse(100, 324).click("lbutton");
    // The branch's messages (tree: two, hill: one), "saved", the ending, "read back".
    input.clicks(tree ? 5 : 4);
    if (!tree) input.press("up").click();
    const PlayResult run = play(game, input);
    EXPECT_EQ(run.status, 0);
    const uint16_t height = tree ? 12 : 36;

    const Bytes save = game.read("SAVE01");
    ASSERT_EQ(save.size(), 4096u);
    EXPECT_EQ(nameAt0(save), "STORY.MES");
    EXPECT_EQ(save[0x80 + kFlagSeen], 1);
    EXPECT_EQ(reg16(save, kRegHeight), height);
    EXPECT_EQ(reg16(save, kRegBranch), tree ? 2 : 1);

    // (The script name in memory is not checked: closing the window ends the
    // title's click wait, and its last pass already changes to the story.)
    EXPECT_EQ(reg16(run.memory, kRegHeight), height); // read back from the save
    const std::string readBack = std::string("风筝飞到了") + (tree ? "１２" : "３６") + "米高。";
    EXPECT_NE(run.out.find(readBack), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("从头再玩一次"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("第二幕：去村子里走走"), std::string::npos) << "the way to the second act";
    if (!tree) {
        const std::string intro = "春天的午后，小林在山坡上放风筝。";
        EXPECT_NE(run.out.find(intro, run.out.find("从头再玩一次")), std::string::npos) << "the story again";
        return;
    }

    // The title again: the picture outside the plate, the gold name, the two
    // items apart from each other and from the frame, the second highlighted.
    const demo::Picture title = demo::titlePicture();
    expectPicture(run.screen, title, 0, 0, 0, 0, 639, 149);
    expectPicture(run.screen, title, 0, 0, 0, 230, 639, 399);
    EXPECT_GT(countColour(run.screen, colour(demo::ui::kGold), 280, 158, 359, 173), 40);
    EXPECT_GT(countColour(run.screen, colour(demo::ui::kText), 272, 182, 367, 197), 40);
    EXPECT_GT(countColour(run.screen, colour(demo::ui::kText), 240, 204, 399, 219), 40);
    for (int y : {176, 177, 178, 179, 200, 201, 222, 223, 224, 225, 226, 227})
        EXPECT_EQ(countColour(run.screen, colour(demo::ui::kText), 200, y, 439, y), 0) << "row " << y;
    EXPECT_EQ(countColour(run.screen, colour(demo::ui::kHighlight), 204, 180, 215, 199), 0);
    EXPECT_EQ(countColour(run.screen, colour(demo::ui::kHighlight), 204, 202, 215, 221), 12 * 20);
    // The title's tune: A4 for a second, then F5 and C5.
    const double end = run.sound.seconds();
    EXPECT_GT(fer::test::toneLevel(run.sound, 440.0, end - 1.5, end - 0.5) +
                  fer::test::toneLevel(run.sound, 698.46, end - 1.5, end - 0.5) +
                  fer::test::toneLevel(run.sound, 523.25, end - 1.5, end - 0.5),
              0.02)
        << "the title's tune";
}

TEST_P(DemoGame, HillWayPlaysToTheEndAndBackToTheTitle) {
    playToTheEnd(dir(), false);
}
TEST_P(DemoGame, TreeWayPlaysToTheEndAndBackToTheTitle) {
    playToTheEnd(dir(), true);
}

INSTANTIATE_TEST_SUITE_P(BothPictureFormats, DemoGame,
                         ::testing::Values(FER_DEMO_DIR, FER_DEMO_LZSS_DIR), [](const auto& info) {
                             return std::string(info.index == 0 ? "Bitmaps" : "LzssPictures");
                         });

// The picture files themselves: both formats carry the demo palette, and the
// LZSS-coded one decodes to the bitmap's rows.
TEST(DemoPictures, InterfaceColoursAreDistinctWhereTextLooksThemUp) {
    const demo::DemoPalette& p = demo::demoPalette();
    // The glyph colour is the first entry with the text colour's value.
    for (int i = 0; i < demo::ui::kText; ++i) EXPECT_NE(p[i], p[demo::ui::kText]) << i;
    for (int i = 0; i < demo::ui::kGold; ++i) EXPECT_NE(p[i], p[demo::ui::kGold]) << i;
    EXPECT_EQ(p[1], (demo::Rgb{255, 255, 255}));
    EXPECT_EQ(p[2], (demo::Rgb{0, 0, 0}));
    for (int i = 236; i < 256; ++i) EXPECT_EQ(p[i], (demo::Rgb{0, 0, 0}));
}

} // namespace

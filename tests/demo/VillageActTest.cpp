// The demo's second act, the village, played headless from its own script
// with scripted keys and pointer. Checked in the memory dump (positions, the
// door's trigger, the walk), the screenshot (the map as the generator draws
// it, the player and the friend behind, the flag, the petals) and what was
// heard through --audio-out (the tunes, their intros and loops on both
// channels, the crossfade, the three voices). Times are measured from what
// the run shows (the music's first sound, the festival's first note) or
// bounded by the walk's pace: a step every 17 ticks of 15 ms.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <signal.h>
#include <spawn.h>
#include <string>

#include "../shell/EngineProcess.h"
#include "../sound/ToneWave.h"
#include "IndexedPng.h"
#include "VillageMap.h"
#include "core/ScriptMemory.h"

namespace fer::test {
namespace {

namespace fs = std::filesystem;
using namespace mapgen::village;

// A copy of the built demo that starts in the village.
class VillageGame {
  public:
    // withLog: "bDEBUG" on, so the engine writes FERKITE.LOG into the copy.
    explicit VillageGame(bool withLog = false) {
        std::random_device rd;
        path_ = fs::temp_directory_path() / ("fer-village-" + std::to_string(rd()) + "-" + std::to_string(rd()));
        fs::create_directories(path_);
        for (const auto& entry : fs::directory_iterator(FER_DEMO_DIR))
            if (entry.is_regular_file()) fs::copy_file(entry.path(), path_ / entry.path().filename());
        std::ifstream in(path_ / "KITE5HAN.INI", std::ios::binary);
        std::string ini((std::istreambuf_iterator<char>(in)), {});
        in.close();
        const std::string from = "StartMES=MAIN.MES";
        ini.replace(ini.find(from), from.size(),
                    std::string("StartMES=VILLAGE.MES") + (withLog ? "\nbDEBUG=1" : ""));
        std::ofstream(path_ / "KITE5HAN.INI", std::ios::binary) << ini;
    }
    ~VillageGame() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    VillageGame(const VillageGame&) = delete;
    VillageGame& operator=(const VillageGame&) = delete;

    struct Run {
        EngineProcess process;
        std::vector<uint8_t> memory;
        demotest::IndexedPng screen;
        Recording sound;
    };

    Run play(const std::string& input, int quitAfter) const {
        std::ofstream(path_ / "input.txt") << input;
        Run run;
        run.process = runEngineProcess(
            FER_ENGINE_PATH, "--headless --print-text --quit-after " + std::to_string(quitAfter) +
                                 " --input " + (path_ / "input.txt").string() + " --dump-memory " +
                                 (path_ / "memory.bin").string() + " --screenshot " +
                                 (path_ / "screen.png").string() + " --audio-out " +
                                 (path_ / "sound.wav").string() + " " + path_.string(),
            "timeout 60");
        std::ifstream in(path_ / "memory.bin", std::ios::binary);
        run.memory.assign(std::istreambuf_iterator<char>(in), {});
        std::string error;
        EXPECT_TRUE(demotest::readIndexedPng((path_ / "screen.png").string(), run.screen, error)) << error;
        run.sound = readRecording(path_ / "sound.wav");
        return run;
    }

    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

uint16_t u16(const std::vector<uint8_t>& m, uint64_t at) {
    return uint16_t(m.at(at) | m.at(at + 1) << 8);
}
uint16_t reg(const std::vector<uint8_t>& m, int n) {
    return u16(m, ScriptMemory::kReg16Base + 2u * unsigned(n));
}
// Registers of VILLAGE.MES.
constexpr int kDoors = 22, kWalks = 23, kStage = 24;

struct Position {
    int x, y;
};
Position objectAt(const std::vector<uint8_t>& m, int i) {
    const uint64_t at = ScriptMemory::kCodeBase + kMapAt + kObjectBlockAt +
                        encode(layout()).objectList + 14u * unsigned(i);
    return {u16(m, at + 4), u16(m, at + 6)};
}

int countColour(const demotest::IndexedPng& s, uint8_t c, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) n += s.pixels.at(size_t(y) * s.width + size_t(x)) == c;
    return n;
}

// Speech stands out from the sine tunes by its high frequencies: the RMS of
// the second difference of the first channel (which takes a 1 kHz tone down
// by some 30 dB).
double speechLevel(const Recording& r, double from, double to) {
    const auto ch = size_t(r.channels);
    const size_t total = r.samples.size() / ch;
    const size_t a = std::max<size_t>(2, size_t(from * r.rate)), b = std::min(total, size_t(to * r.rate));
    if (b <= a) return 0;
    double sum = 0;
    for (size_t i = a; i < b; ++i) {
        const double d = (r.samples[i * ch] - 2.0 * r.samples[(i - 1) * ch] + r.samples[(i - 2) * ch]) / 32768;
        sum += d * d;
    }
    return std::sqrt(sum / double(b - a));
}

// The strongest level of a tone over quarter seconds of [from, to).
double bestLevel(const Recording& r, double frequency, double from, double to) {
    double best = 0;
    for (double t = from; t + 0.25 <= to; t += 0.125) best = std::max(best, toneLevel(r, frequency, t, t + 0.25));
    return best;
}

constexpr double kPace = 17 * 0.015; // seconds a walk step takes

// The friend's line, typed over the path at the bottom (text area rows 358
// to 373), one line; nothing in the text colour anywhere else. The window
// closes during the wait for the click, long after the two fades (some
// 17 ticks each) and the 14 characters (two ticks each).
TEST(DemoVillage, TheFriendsLineIsTypedOverThePath) {
    VillageGame game;
    // The history, looked at meanwhile, names the speaker apart from the line.
    const auto run = game.play("1800 history\n1900 press esc\n", 2500);
    ASSERT_EQ(run.process.status, 0) << run.process.err;
    EXPECT_NE(("\n" + run.process.out).find("\n小芳：小林，去村子里看看吧！\n"), std::string::npos)
        << run.process.out;
    EXPECT_NE(run.process.out.find("[HISTORY]\n小芳\t小林，去村子里看看吧！\n[END HISTORY]\n"),
              std::string::npos)
        << run.process.out;
    const uint8_t text = 7;
    EXPECT_GT(countColour(run.screen, text, 40, 358, 599, 373), 150) << "the line in the text area";
    EXPECT_EQ(countColour(run.screen, text, 0, 0, 639, 399), countColour(run.screen, text, 40, 358, 599, 373))
        << "and nowhere else";
}

// Once the line is gone the walk begins; the player stands still, the
// friend waits at its own cells and does not hide him.
TEST(DemoVillage, TheFriendWaitsWhileThePlayerStandsStill) {
    VillageGame game;
    const auto run = game.play("2500 down enter\n2700 up enter\n", 2700 + int(1000 * 8 * kPace));
    ASSERT_EQ(run.process.status, 0) << run.process.err;
    const Position player = objectAt(run.memory, kPlayer), friendPos = objectAt(run.memory, kFriend);
    EXPECT_EQ(player.x, kStartX);
    EXPECT_EQ(player.y, kStartY);
    EXPECT_EQ(friendPos.x, kStartX);
    EXPECT_EQ(friendPos.y, kFriendStartY);
    EXPECT_GT(countColour(run.screen, playerShirt(), 16 * kStartX, 16 * kStartY, 16 * kStartX + 31, 16 * kStartY + 31),
              80);
}

// Dismiss the friend's line (Enter), then walk right along the path for
// 2.6 s (at least five steps, at most twelve): the friend comes after on the
// trail. Then the music off and on again in the menu: the tunes start again,
// the village's with its intro (C5, a second long), within a step.
TEST(DemoVillage, TheMapIsDrawnAndTheFriendFollowsThePlayer) {
    VillageGame game;
    const auto run = game.play("2500 down enter\n2700 up enter\n3000 down right\n5600 up right\n"
                               "5800 menu 40018\n6200 menu 40017\n",
                               8000);
    ASSERT_EQ(run.process.status, 0) << run.process.err;
    const auto& m = run.memory;
    EXPECT_EQ(reg(m, kStage), 1);
    EXPECT_EQ(reg(m, kDoors), 0);

    const Position player = objectAt(m, kPlayer), friendPos = objectAt(m, kFriend);
    EXPECT_GT(player.x, kStartX + 3) << "the player walked right";
    EXPECT_LE(player.x, kStartX + 2.6 / kPace + 2) << "at a walking pace";
    EXPECT_EQ(player.y, kStartY);
    EXPECT_EQ(friendPos.y, kStartY) << "the friend came down onto the path";
    EXPECT_LT(friendPos.x, player.x) << "and walks behind";
    EXPECT_GE(friendPos.x, player.x - 3);

    const auto& s = run.screen;
    ASSERT_EQ(s.width, 640);
    // Rows 8 to 17 hold nobody: exactly the ground as the generator draws it
    // (from row 10 on: below the flag).
    const demo::Picture ground = groundScreen();
    int wrong = 0;
    for (int y = 160; y < 288; ++y)
        for (int x = 0; x < 640; ++x) wrong += s.pixels[size_t(y) * 640 + size_t(x)] != ground.at(x, y);
    EXPECT_EQ(wrong, 0) << "the village map as drawn by the generator";
    // The two characters in their shirts, each at its own cells.
    EXPECT_GT(countColour(s, playerShirt(), 16 * player.x, 16 * player.y, 16 * player.x + 31, 16 * player.y + 31), 80);
    EXPECT_GT(countColour(s, friendShirt(), 16 * friendPos.x, 16 * friendPos.y, 16 * friendPos.x + 31,
                          16 * friendPos.y + 31),
              80);
    EXPECT_EQ(countColour(s, playerShirt(), 16 * friendPos.x, 16 * friendPos.y, 16 * player.x - 1, 16 * player.y + 31), 0);
    // The flag shows one of its frames (animation channel 0).
    const demo::Picture frames = flagFrames();
    bool frameShown = false;
    for (int k = 0; k < kFlagFrames && !frameShown; ++k) {
        int diff = 0;
        for (int y = 0; y < kFlagH; ++y)
            for (int x = 0; x < kFlagW; ++x)
                diff += s.pixels[size_t(kFlagY + y) * 640 + size_t(kFlagX + x)] != frames.at(kFlagW * k + x, y);
        frameShown = diff == 0;
    }
    EXPECT_TRUE(frameShown) << "the flag";

    EXPECT_GT(toneLevel(run.sound, 523.25, 6.2 + 2 * kPace, 7.15), 0.05) << "the village's tune again";
    EXPECT_GT(toneLevel(run.sound, 196.0, 6.75 + 0.5, 7.7), 0.05) << "and its bass's loop";
}

// The tunes as built: no jump from one sample to the next, nor from a
// loop's end to its start (the intro's length on), above what the fastest
// note allows (2 A sin(pi f / rate) for amplitude A; a tenth more for the
// fades). A note starting or stopping without a fade jumps up to 2 A.
TEST(DemoTunes, JoinTheirNotesAndLoopWithoutAClick) {
    struct Tune {
        const char* name;
        double top, intro;
    };
    for (const Tune& t : {Tune{"TITLE.WAV", 698.46, 1.0}, Tune{"STORY.WAV", 587.33, 0.5},
                          Tune{"VILLAGE.WAV", 783.99, 1.0}, Tune{"VBASS.WAV", 196.0, 0.5},
                          Tune{"FESTIVAL.WAV", 987.77, 0.5}}) {
        const Recording r = readRecording(fs::path(FER_DEMO_DIR) / t.name);
        ASSERT_EQ(r.seconds() > t.intro, true) << t.name;
        const double bound = 1.1 * 2 * 0.15 * 32767 * std::sin(std::numbers::pi * t.top / r.rate);
        int jump = std::abs(r.samples.back() - r.samples[size_t(t.intro * r.rate)]);
        for (size_t i = 1; i < r.samples.size(); ++i) jump = std::max(jump, std::abs(r.samples[i] - r.samples[i - 1]));
        EXPECT_LE(jump, bound) << t.name;
    }
}

// A click with the right button in front of the door walks the player there
// by the computed path (kDoorSteps steps at most: 33 cells apart, a few
// more round the pond); the door's trigger starts the festival, whose
// greeting is spoken within some 3 s of its first note.
constexpr int kDoorSteps = 40;
TEST(DemoVillage, AClickWalksToTheDoorWhichOpensOnTheFestival) {
    VillageGame game;
    const int doorX = 16 * kDoorX + 8, doorY = 16 * kDoorTriggerRow + 8;
    const auto run = game.play("2500 down enter\n2700 up enter\n3000 mouse " + std::to_string(doorX) + " " +
                                   std::to_string(doorY) + "\n3100 down rbutton\n3250 up rbutton\n",
                               3250 + int(1000 * 2 * kDoorSteps * kPace) + 8000);
    ASSERT_EQ(run.process.status, 0) << run.process.err;
    const auto& m = run.memory;
    EXPECT_GE(reg(m, kWalks), 1);
    EXPECT_EQ(reg(m, kDoors), 1) << "the door's trigger fired once";
    EXPECT_EQ(reg(m, kStage), 3) << "at the festival";
    const Position player = objectAt(m, kPlayer);
    EXPECT_EQ(player.x, kDoorX) << "the walk arrived at the clicked cell";
    EXPECT_EQ(player.y, kDoorTriggerRow - 1);
    EXPECT_NE(run.process.out.find("小林：有人在家吗？"), std::string::npos) << run.process.out;
    EXPECT_NE(run.process.out.find("村长：欢迎你们来参加花节！"), std::string::npos) << run.process.out;

    // Petals over the festival: colours the picture does not hold.
    const int petals = countColour(run.screen, kPetalPale, 0, 0, 639, 279) +
                       countColour(run.screen, kPetalRose, 0, 0, 639, 279);
    EXPECT_GT(petals, 100) << "petals are falling";
    const demo::Picture festival = festivalPicture();
    int festivalPixels = 0;
    for (int y = 0; y < 280; ++y)
        for (int x = 0; x < 640; ++x) festivalPixels += run.screen.pixels[size_t(y) * 640 + size_t(x)] == festival.at(x, y);
    EXPECT_GT(festivalPixels + petals, 640 * 280 * 99 / 100) << "the festival behind them";

    // The music, from its first sound on: the village's intro (C5, 1 s) and
    // loop (E5, G5, 0.5 s each) with its bass (C3 for 0.5 s, then G3) on the
    // second channel; then the festival's.
    const Recording& r = run.sound;
    const double t0 = levelCrossing(r, 0, 0.01, true);
    ASSERT_GE(t0, 0) << "no sound";
    EXPECT_GT(toneLevel(r, 523.25, t0 + 0.1, t0 + 0.9), 0.05) << "the village tune's intro";
    EXPECT_GT(toneLevel(r, 130.81, t0 + 0.05, t0 + 0.45), 0.05) << "the bass's intro";
    EXPECT_GT(toneLevel(r, 659.25, t0 + 1.05, t0 + 1.45), 0.05) << "the loop";
    EXPECT_GT(toneLevel(r, 783.99, t0 + 1.55, t0 + 1.95), 0.05);
    EXPECT_GT(toneLevel(r, 659.25, t0 + 2.05, t0 + 2.45), 0.05) << "the loop again";
    EXPECT_GT(toneLevel(r, 196.0, t0 + 1.0, t0 + 2.5), 0.05) << "the bass's loop";
    EXPECT_LT(toneLevel(r, 523.25, t0 + 1.2, t0 + 2.5), 0.01) << "the intro plays once";
    // The crossfade: the first quarter second with the festival's A4.
    double crossfade = -1;
    for (double t = t0 + 2.5; t < r.seconds() && crossfade < 0; t += 0.125)
        if (toneLevel(r, 440.0, t, t + 0.25) > 0.05) crossfade = t;
    ASSERT_GT(crossfade, 0) << "the festival's tune never came";
    EXPECT_GT(toneLevel(r, 783.99, crossfade - 1.0, crossfade) + toneLevel(r, 659.25, crossfade - 1.0, crossfade),
              0.05)
        << "the village's tune plays up to the crossfade";
    const double after = crossfade + 1.0;
    EXPECT_GT(bestLevel(r, 880.0, after, after + 3.0), 0.05) << "the festival's loop";
    EXPECT_GT(bestLevel(r, 987.77, after, after + 3.0), 0.05);
    // At the end, when the greeting has been spoken: only the festival's tune.
    const double end = r.seconds();
    ASSERT_GT(end - 1.5, crossfade + 3.0);
    EXPECT_GT(bestLevel(r, 880.0, end - 1.5, end - 0.2), 0.05);
    EXPECT_LT(toneLevel(r, 659.25, end - 1.5, end - 0.2), 0.005) << "the village's tune is gone";
    EXPECT_LT(toneLevel(r, 783.99, end - 1.5, end - 0.2), 0.005);
    EXPECT_LT(toneLevel(r, 196.0, end - 1.5, end - 0.2), 0.005) << "and its bass";

    // The voices: the friend's line (PCM) at the start, the knock at the door
    // (MS-ADPCM) before the crossfade, the greeting (IMA ADPCM) after it;
    // only the festival's tune at the end.
    const double quiet = speechLevel(r, end - 1.5, end - 0.2);
    EXPECT_GT(speechLevel(r, t0 + 0.2, t0 + 1.2), 3 * quiet) << "the friend's line";
    EXPECT_GT(speechLevel(r, crossfade - 1.6, crossfade - 0.4), 3 * quiet) << "the knock";
    EXPECT_GT(speechLevel(r, crossfade + 1.5, crossfade + 3.0), 3 * quiet) << "the greeting";
}

// A minute standing in the village while two busy processes at the
// engine's own priority run beside it: the sound output never runs dry, by
// the engine's own count in its log. (Labelled to run alone.)
TEST(VillageSound, AMinuteBesideTwoBusyLoopsNeverRunsDry) {
    VillageGame game(true);
    struct Busy {
        pid_t pid = -1;
        Busy() {
            const char* argv[] = {"sh", "-c", "while :; do :; done", nullptr};
            if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
                pid = -1;
        }
        ~Busy() {
            if (pid <= 0) return;
            ::kill(pid, SIGKILL);
            waitOrKill(pid);
        }
    } busy[2];
    ASSERT_GT(busy[0].pid, 0);
    ASSERT_GT(busy[1].pid, 0);
    const EngineProcess run = runEngineProcess(
        FER_ENGINE_PATH, "--headless --quit-after 60000 " + game.path().string(), "timeout 120");
    ASSERT_EQ(run.status, 0) << run.err;
    std::ifstream in(game.path() / "FERKITE.LOG");
    const std::string log((std::istreambuf_iterator<char>(in)), {});
    const auto at = log.find("sound output: ran dry ");
    ASSERT_NE(at, std::string::npos) << log;
    EXPECT_EQ(log.substr(at, log.find('\n', at) - at).find("sound output: ran dry 0 times;"), 0u)
        << log.substr(at);
}

} // namespace
} // namespace fer::test

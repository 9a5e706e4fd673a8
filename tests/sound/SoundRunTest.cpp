// The engine run headless on small games that play music and voices; what
// it plays is recorded with --audio-out and listened to here.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "EngineProcess.h"
#include "ToneWave.h"

namespace fer::test {
namespace {

namespace fs = std::filesystem;

class SoundGame {
  public:
    SoundGame() {
        std::random_device seed;
        dir_ = fs::temp_directory_path() / ("fer-sound-game-" + std::to_string(seed()));
        fs::create_directories(dir_);
    }
    ~SoundGame() {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    SoundGame(const SoundGame&) = delete;
    SoundGame& operator=(const SoundGame&) = delete;

    const fs::path& path() const { return dir_; }
    void wave(const std::string& name, const ToneWave& w) const { w.write(dir_ / name); }
    void text(const std::string& name, const std::string& content) const {
        std::ofstream(dir_ / name, std::ios::binary) << content;
    }
    // Assembles the start script.
    bool script(const std::string& source) const {
        text("main.mes", source);
        const std::string command = std::string(FER_MESASM_PATH) + " '" +
                                    (dir_ / "main.mes").string() + "' -o '" +
                                    (dir_ / "MAIN.MES").string() + "' >/dev/null 2>&1";
        return std::system(command.c_str()) == 0;
    }
    // Runs the game headless and returns what it played.
    Recording run(EngineProcess& process, const std::string& options = "") const {
        const fs::path wav = dir_ / "out.wav";
        process = runEngineProcess(FER_ENGINE_PATH, "--headless --quit-after 20000 --audio-out '" +
                                                        wav.string() + "' " + options + " '" +
                                                        dir_.string() + "'");
        return readRecording(wav);
    }

  private:
    fs::path dir_;
};

// The wait command's argument for about that many seconds (ticks of 15 ms,
// four units each).
std::string waitFor(double seconds) {
    return "    wait " + std::to_string(std::lround(seconds * 1000 / 15 * 4)) + "\n";
}

// When a tone is first heard at or after from (in 10 ms steps), or -1.
double toneStart(const Recording& r, double frequency, double from) {
    for (double t = from; t < r.seconds(); t += 0.01)
        if (toneLevel(r, frequency, t, t + 0.02) > 0.02) return t;
    return -1.0;
}

const ToneWave kToneA{.spans = {{500, 6.0}}};
const ToneWave kToneB{.spans = {{1000, 6.0}}};

TEST(SoundRun, MusicZeroOnAPlayingChannelFadesTheOldFileThenStartsTheNewOne) {
    SoundGame game;
    game.wave("A.WAV", kToneA);
    game.wave("B.WAV", kToneB);
    ASSERT_TRUE(game.script("    music 0, \"A.WAV\"\n" + waitFor(1.0) + "    music 0, \"B.WAV\"\n" +
                            waitFor(1.0) + "    end\n"));
    EngineProcess p;
    const Recording r = game.run(p);
    ASSERT_EQ(p.status, 0) << p.err;
    ASSERT_GT(r.seconds(), 2.0);
    EXPECT_GT(toneLevel(r, 500, 0.2, 0.9), 0.05);
    EXPECT_LT(toneLevel(r, 1000, 0.2, 0.9), 0.002);
    // The new file starts only once the old one has faded (300 ms).
    const double onset = levelCrossing(r, 0.1, 0.001, true);
    ASSERT_GE(onset, 0);
    const double bStart = toneStart(r, 1000, onset + 0.5);
    ASSERT_GT(bStart, 0);
    EXPECT_LT(toneLevel(r, 500, bStart - 0.05, bStart),
              toneLevel(r, 500, bStart - 0.33, bStart - 0.28) / 3);
    EXPECT_LT(toneLevel(r, 500, bStart + 0.05, bStart + 0.5), 0.002);
    EXPECT_GT(toneLevel(r, 1000, bStart + 0.05, bStart + 0.5), 0.05);
}

TEST(SoundRun, MusicThreeAfterZeroSoundsBothAndOneFadesThemOneAfterTheOther) {
    SoundGame game;
    game.wave("A.WAV", kToneA);
    game.wave("B.WAV", kToneB);
    ASSERT_TRUE(game.script("    music 0, \"A.WAV\"\n    music 3, \"B.WAV\"\n" + waitFor(0.8) +
                            "    music 1, \"\"\n" + waitFor(0.6) + "    end\n"));
    EngineProcess p;
    const Recording r = game.run(p);
    ASSERT_EQ(p.status, 0) << p.err;
    const double onset = levelCrossing(r, 0.0, 0.001, true);
    ASSERT_GE(onset, 0);
    const double a = toneLevel(r, 500, onset + 0.1, onset + 0.6);
    const double b = toneLevel(r, 1000, onset + 0.1, onset + 0.6);
    EXPECT_GT(a, 0.05);
    EXPECT_NEAR(b / a, 1.0, 0.1); // both at loudness 6000
    // Channel 0 fades first over a second while channel 1 goes on, then 1.
    const double command = onset + 0.8;
    EXPECT_LT(toneLevel(r, 500, command + 0.8, command + 0.95), a * 0.5);
    EXPECT_NEAR(toneLevel(r, 1000, command + 0.1, command + 0.9) / b, 1.0, 0.1);
    EXPECT_LT(toneLevel(r, 500, command + 1.1, command + 1.5), 0.002);
    EXPECT_LT(toneLevel(r, 1000, command + 1.8, command + 1.95), b * 0.5);
    EXPECT_LT(toneLevel(r, 1000, command + 2.1, command + 2.4), 0.002);
    EXPECT_GT(r.seconds(), command + 2.4);
}

TEST(SoundRun, WithSoundSetToZeroMusicCommandsOnlyRecordTheName) {
    SoundGame game;
    game.wave("A.WAV", kToneA);
    game.text("KITE5HAN.INI", "[Config]\r\nSOUND=0\r\n");
    ASSERT_TRUE(game.script("    music 0, \"A.WAV\"\n" + waitFor(0.6) + "    end\n"));
    EngineProcess p;
    const Recording r = game.run(p);
    ASSERT_EQ(p.status, 0) << p.err;
    ASSERT_GT(r.seconds(), 0.4);
    EXPECT_LT(rmsLevel(r, 0, r.seconds()), 0.0001);
}

TEST(SoundRun, ThePlayersMusicVolumeScalesTheMusicAndTheMenuChangesItAtOnce) {
    SoundGame game;
    game.wave("A.WAV", kToneA);
    game.text("KITE5HAN.INI", "[FerKite]\r\nMusicVolume=50\r\n");
    // At 0.8 s the player chooses 100 %, at 1.4 s 0 %.
    game.text("input.txt", "800 menu 40054\n1400 menu 40050\n");
    ASSERT_TRUE(game.script("    music 0, \"A.WAV\"\n" + waitFor(1.8) + "    end\n"));
    EngineProcess p;
    const Recording r = game.run(p, "--input '" + (game.path() / "input.txt").string() + "'");
    ASSERT_EQ(p.status, 0) << p.err;
    const double half = toneLevel(r, 500, 0.2, 0.7);
    const double full = toneLevel(r, 500, 0.9, 1.3);
    EXPECT_NEAR(half / full, std::pow(10.0, -496 / 2000.0), 0.03); // loudness 5000
    EXPECT_LT(rmsLevel(r, 1.5, 1.7), 0.0001);
}

// What follows a voice command is read off the recording, not the clock: a
// busy machine delays the engine, but never reorders what it plays.
TEST(SoundRun, VoiceTwoWaitsUntilTheVoiceEnds) {
    SoundGame game;
    game.wave("V.WAV", ToneWave{.spans = {{700, 1.2}}});
    game.wave("B.WAV", kToneB);
    ASSERT_TRUE(game.script("    r16[29] = 512\n    voice 2, \"V.WAV\"\n    music 0, \"B.WAV\"\n" +
                            waitFor(0.5) + "    end\n"));
    EngineProcess p;
    const Recording r = game.run(p);
    ASSERT_EQ(p.status, 0) << p.err;
    const double voice = toneStart(r, 700, 0);
    ASSERT_GE(voice, 0);
    EXPECT_GT(toneLevel(r, 700, voice + 0.1, voice + 1.1), 0.1);
    // The music comes once the voice has ended, not before it and not a voice's length later.
    const double music = toneStart(r, 1000, voice);
    ASSERT_GT(music, 0);
    EXPECT_GT(music, voice + 1.15);
    EXPECT_LT(music, voice + 1.2 + 0.6);
}

TEST(SoundRun, WhileTheSkipKeyIsHeldAVoiceCommandOnlyStopsThePlayingVoice) {
    SoundGame game;
    game.wave("V.WAV", ToneWave{.spans = {{700, 3.0}}});
    game.wave("W.WAV", ToneWave{.spans = {{1100, 3.0}}});
    // Ctrl (the skip key) goes down at 0.5 s and stays down.
    game.text("input.txt", "500 down ctrl\n");
    ASSERT_TRUE(game.script("    r16[29] = 512\n    voice 0, \"V.WAV\"\n" + waitFor(0.8) +
                            "    voice 0, \"W.WAV\"\n" + waitFor(0.6) + "    end\n"));
    EngineProcess p;
    const Recording r = game.run(p, "--input '" + (game.path() / "input.txt").string() + "'");
    ASSERT_EQ(p.status, 0) << p.err;
    EXPECT_GT(toneLevel(r, 700, 0.1, 0.7), 0.1);
    EXPECT_LT(toneLevel(r, 700, 0.95, r.seconds()), 0.002);
    EXPECT_LT(toneLevel(r, 1100, 0, r.seconds()), 0.002);
}

TEST(SoundRun, VoiceTwoReturnsAtOnceWhenTheFileCannotBeOpened) {
    SoundGame game;
    game.wave("A.WAV", kToneA);
    game.wave("B.WAV", kToneB);
    ASSERT_TRUE(game.script("    r16[29] = 512\n    music 0, \"A.WAV\"\n    voice 2, \"NONE.WAV\"\n"
                            "    music 0, \"B.WAV\"\n" +
                            waitFor(0.5) + "    end\n"));
    EngineProcess p;
    const Recording r = game.run(p);
    ASSERT_EQ(p.status, 0) << p.err;
    EXPECT_EQ(p.err, "");
    // Between the two tunes only the 300 ms fade of the first.
    const double a = toneStart(r, 500, 0);
    ASSERT_GE(a, 0);
    const double b = toneStart(r, 1000, a);
    ASSERT_GT(b, 0);
    EXPECT_LT(b - a, 2 * 0.3);
}

TEST(SoundRun, ABadHeaderIsReportedOnceAndTheGameGoesOn) {
    SoundGame game;
    std::vector<uint8_t> bad = kToneA.bytes();
    bad[8] = 'X';
    std::ofstream(game.path() / "BAD.WAV", std::ios::binary)
        .write(reinterpret_cast<const char*>(bad.data()), static_cast<std::streamsize>(bad.size()));
    ASSERT_TRUE(
        game.script("    music 0, \"BAD.WAV\"\n" + waitFor(0.5) + "    r16[12] = 1\n    end\n"));
    EngineProcess p;
    game.run(p);
    ASSERT_EQ(p.status, 0) << p.err;
    const std::string code = "Track 0 = 0x40000000";
    const size_t first = p.err.find(code);
    ASSERT_NE(first, std::string::npos) << p.err;
    EXPECT_EQ(p.err.find(code, first + 1), std::string::npos);
    EXPECT_NE(p.err.find("查出了不正当的文件头部"), std::string::npos);
}

TEST(SoundRun, InTheBackgroundMusicFallsSilentAndResumesOnActivation) {
    SoundGame game;
    game.wave("A.WAV", kToneA);
    game.text("input.txt", "600 deactivate\n1200 activate\n");
    ASSERT_TRUE(game.script("    music 0, \"A.WAV\"\n" + waitFor(1.5) + "    end\n"));
    EngineProcess p;
    const Recording r = game.run(p, "--input '" + (game.path() / "input.txt").string() + "'");
    ASSERT_EQ(p.status, 0) << p.err;
    EXPECT_GT(toneLevel(r, 500, 0.2, 0.55), 0.05);
    EXPECT_LT(rmsLevel(r, 0.7, 1.15), 0.0005);
    EXPECT_GT(toneLevel(r, 500, 1.3, 1.6), 0.05);
}

} // namespace
} // namespace fer::test

// The windowed engine plays a small game through a real sound server: the
// test starts its own PulseAudio daemon with a null sink (in a runtime
// directory of its own), runs the engine under Xvfb with SDL's PulseAudio
// driver, records the sink's monitor with parecord and listens: the music's
// intro and its loop, the second music channel, a spoken voice that is
// waited for, and the fade of both music channels at the end.
//
// A daemon that cannot start fails the test, saying so: it is not skipped.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "ChildProcess.h"
#include "ToneWave.h"

namespace fer::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(PulseAudio, MusicLoopsVoicesAndFadesAreHeardThroughANullSink) {
    const fs::path dir =
        fs::temp_directory_path() / ("fer-pulse-" + std::to_string(std::random_device{}()));
    const fs::path runtime = dir / "runtime";
    const fs::path game = dir / "game";
    fs::create_directories(runtime);
    fs::create_directories(dir / "home");
    fs::create_directories(game);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    struct Cleanup {
        fs::path dir;
        ~Cleanup() {
            std::error_code ignored;
            fs::remove_all(dir, ignored);
        }
    } cleanup{dir};
    // Everything the daemon and its clients need, and nothing of the user's.
    const std::string env = "env -u PULSE_SERVER XDG_RUNTIME_DIR=" + quoted(runtime) +
                            " HOME=" + quoted(dir / "home") + " ";

    // The daemon (as root too: it warns, and runs as a user daemon).
    Child daemon("exec " + env + "pulseaudio -n --daemonize=no --exit-idle-time=-1 "
                       "--load=module-null-sink --load=module-native-protocol-unix "
                       "--log-target=stderr 2>" + quoted(dir / "daemon.log"));
    ASSERT_TRUE(daemon.started()) << "pulseaudio could not be started";
    bool ready = false;
    for (int i = 0; i < 100 && !ready; ++i) {
        std::this_thread::sleep_for(50ms);
        ready = shell(env + "pactl list short sinks 2>/dev/null | grep -q null") == 0;
        if (!daemon.running()) break;
    }
    if (!ready) {
        std::ifstream log(dir / "daemon.log");
        std::string text((std::istreambuf_iterator<char>(log)), {});
        FAIL() << "the PulseAudio daemon with a null sink did not start:\n" << text;
    }

    // The game: music A with an intro (0.5 s of 440 Hz) and a loop (0.3 s of
    // 660 Hz, endless); music B (1500 Hz) joins; a voice is spoken and waited
    // for; then both music channels fade out, one after the other.
    ToneWave a{.spans = {{440, 0.5}, {660, 0.3}, {3000, 0.5}}};
    a.loops = {{11025, 11025 + 6615 - 1, 0}};
    a.write(game / "A.WAV");
    ToneWave{.spans = {{1500, 8.0, 0.3}}}.write(game / "B.WAV");
    // A spoken voice when espeak-ng is there, else a low tone.
    if (shell("espeak-ng -a 200 -w " + quoted(game / "V.WAV") + " 'the voice is heard' >/dev/null 2>&1") != 0)
        ToneWave{.spans = {{250, 1.0}}}.write(game / "V.WAV");
    {
        std::ofstream s(game / "main.mes");
        // The game first waits 2 s in silence: a fresh null sink takes the
        // first second or more of a new stream in one gulp, which would
        // squeeze the start of the music together with what follows.
        s << "    r16[29] = 512\n"
             "    wait 533\n"
             "    music 0, \"A.WAV\"\n"
             "    wait 400\n"   // about 1.5 s
             "    music 3, \"B.WAV\"\n"
             "    wait 267\n"   // about 1 s
             "    voice 2, \"V.WAV\"\n"
             "    music 1, \"\"\n"
             "    wait 133\n"   // about 0.5 s
             "    end\n";
    }
    ASSERT_EQ(shell(std::string(FER_MESASM_PATH) + " " + quoted(game / "main.mes") + " -o " +
                    quoted(game / "MAIN.MES")),
              0);

    // The recorder of the sink's monitor.
    const fs::path recorded = dir / "heard.wav";
    Child recorder("exec " + env + "parecord -d null.monitor --rate=48000 --channels=1 "
                         "--format=s16le --file-format=wav " + quoted(recorded));
    ASSERT_TRUE(recorder.started());
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(recorder.running()) << "parecord could not record the null sink's monitor";

    const auto started = std::chrono::steady_clock::now();
    // The sound server's client libraries keep a few bytes to the end, which
    // the leak checker of a sanitized build would count against the engine.
    const int status = shell(
        env +
        "ASAN_OPTIONS=detect_leaks=0 SDL_AUDIODRIVER=pulseaudio timeout -k 5 120 xvfb-run -a " +
        std::string(FER_ENGINE_PATH) + " --quit-after 20000 " + quoted(game) + " 2>" +
        quoted(dir / "engine.log"));
    const double ran = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::this_thread::sleep_for(300ms);
    recorder.end(SIGINT);
    daemon.end(SIGTERM);
    std::ifstream engineLog(dir / "engine.log");
    const std::string engineErr((std::istreambuf_iterator<char>(engineLog)), {});
    ASSERT_EQ(status, 0) << engineErr;
    EXPECT_EQ(engineErr.find("no sound device"), std::string::npos) << engineErr;
    EXPECT_LT(ran, 15.0);

    const Recording r = readRecording(recorded);
    ASSERT_EQ(r.rate, 48000);
    ASSERT_GT(r.seconds(), 3.0);
    // The server's buffering shifts the whole run, so everything is timed
    // from what is heard; levels are compared loosely, as a server on a busy
    // machine may drop a few blocks. Where the music and the second channel begin:
    // A tone that is there: its best 0.1 s stretch in [from, to), since a
    // busy server may leave a gap of silence in any one stretch.
    auto heard = [&](double frequency, double from, double to) {
        double best = 0;
        for (double t = from; t + 0.1 <= to + 1e-9; t += 0.05)
            best = std::max(best, toneLevel(r, frequency, t, t + 0.1));
        return best;
    };
    auto onset = [&](double frequency, double from, double level) {
        for (double t = from; t + 0.02 < r.seconds(); t += 0.01)
            if (toneLevel(r, frequency, t, t + 0.02) > level) return t;
        return -1.0;
    };
    const double a0 = onset(440, 0, 0.05);
    ASSERT_GE(a0, 0) << "the music's tone is not in the recording";
    // The intro once, then the loop; the part after the loop never.
    EXPECT_GT(heard(440, a0 + 0.05, a0 + 0.4), 0.1);
    EXPECT_GT(heard(660, a0 + 0.6, a0 + 1.2), 0.1);
    EXPECT_LT(toneLevel(r, 440, a0 + 0.6, a0 + 1.2), 0.01);
    EXPECT_LT(toneLevel(r, 3000, a0, r.seconds()), 0.005);
    // The second channel joins later; both sound together.
    const double b0 = onset(1500, a0, 0.05);
    ASSERT_GT(b0, a0 + 0.3) << "the second music channel is not heard";
    EXPECT_GT(heard(660, b0 + 0.1, b0 + 0.6), 0.1);
    EXPECT_GT(heard(1500, b0 + 0.1, b0 + 0.6), 0.05);
    // The voice: energy where the music has none, after the second channel.
    auto voiceLevel = [&](double from, double to) {
        double most = 0;
        for (double f = 200; f <= 1200; f += 50)
            if (std::abs(f - 660) > 60) most = std::max(most, toneLevel(r, f, from, to));
        return most;
    };
    double v0 = -1;
    for (double t = b0 + 0.1; t + 0.1 < r.seconds() && v0 < 0; t += 0.02)
        if (voiceLevel(t, t + 0.1) > 0.02) v0 = t;
    ASSERT_GT(v0, b0) << "the voice is not heard";
    EXPECT_LT(voiceLevel(b0 + 0.1, std::min(v0, b0 + 0.5)), 0.01);
    EXPECT_GT(heard(660, v0, v0 + 0.3), 0.1); // the music goes on under it
    // After the voice, the music channels fade one after the other: there
    // is a stretch where the first has gone and the second still sounds (a
    // block the busy server dropped silences both, so it is not taken for it).
    double firstGone = -1;
    for (double t = v0; t + 0.1 < r.seconds() && firstGone < 0; t += 0.02)
        if (toneLevel(r, 660, t, t + 0.1) < 0.01 && toneLevel(r, 1500, t, t + 0.1) > 0.05)
            firstGone = t;
    ASSERT_GT(firstGone, v0 + 0.5) << "the first music channel does not fade before the second";
    EXPECT_LT(rmsLevel(r, r.seconds() - 0.25, r.seconds() - 0.05), 0.002);
}

} // namespace
} // namespace fer::test

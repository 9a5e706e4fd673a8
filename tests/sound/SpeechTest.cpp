// The headless engine speaks the demo's first message through a real
// speech-dispatcher: the test starts its own PulseAudio daemon with a null
// sink and its own speech-dispatcher (config and socket in a temporary
// folder, the espeak-ng module, pulse output), records the sink's monitor
// while the title screen waits for a click, and measures it with sox:
// speech with --speak, silence without.
//
// A missing server fails the test where CI is set; elsewhere it is skipped.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "../SkipUnlessCi.h"
#include "ChildProcess.h"

namespace fer::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The RMS amplitude sox's stat finds in the file; -1 when it cannot tell.
double soxRms(const fs::path& wav) {
    const std::string command = "sox " + quoted(wav) + " -n stat 2>&1 | grep 'RMS     amp'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    double rms = -1;
    if (std::fscanf(pipe, " RMS amplitude: %lf", &rms) != 1) rms = -1;
    pclose(pipe);
    return rms;
}

class Speech : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* tool : {"speech-dispatcher", "pulseaudio", "parecord", "sox"})
            if (shell(std::string("command -v ") + tool + " >/dev/null") != 0)
                FER_SKIP_UNLESS_CI(std::string(tool) + " missing");
        fs::create_directories(dir_ / "runtime");
        fs::create_directories(dir_ / "home");
        fs::create_directories(dir_ / "conf" / "modules");
        fs::permissions(dir_ / "runtime", fs::perms::owner_all, fs::perm_options::replace);
        std::ofstream(dir_ / "conf" / "modules" / "espeak-ng.conf");
        std::ofstream(dir_ / "conf" / "speechd.conf")
            << "AudioOutputMethod \"pulse\"\nAddModule \"espeak-ng\" \"sd_espeak-ng\" "
               "\"espeak-ng.conf\"\nDefaultModule espeak-ng\n";
        pulse_.emplace("exec " + env_ + "pulseaudio -n --daemonize=no --exit-idle-time=-1 "
                       "--load=module-null-sink --load=module-native-protocol-unix 2>/dev/null");
        bool ready = false;
        for (int i = 0; i < 100 && !ready && pulse_->running(); ++i) {
            std::this_thread::sleep_for(50ms);
            ready = shell(env_ + "pactl list short sinks 2>/dev/null | grep -q null") == 0;
        }
        ASSERT_TRUE(ready) << "the PulseAudio daemon with a null sink did not start";
        speechd_.emplace("exec " + env_ + "speech-dispatcher -s -t 0 -c unix_socket -S " +
                         quoted(socket()) + " -C " + quoted(dir_ / "conf") + " -L " +
                         quoted(dir_) + " 2>/dev/null");
        for (int i = 0; i < 100 && !fs::exists(socket()) && speechd_->running(); ++i)
            std::this_thread::sleep_for(50ms);
        ASSERT_TRUE(fs::exists(socket())) << "speech-dispatcher did not start";
    }
    void TearDown() override {
        speechd_.reset();
        pulse_.reset();
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    fs::path socket() const { return dir_ / "runtime" / "speechd.sock"; }

    // The RMS of what the sink played while the engine showed the title for 4 s.
    double heardWhileTitleShows(const std::string& options) {
        const fs::path heard = dir_ / "heard.wav";
        Child recorder("exec " + env_ + "parecord -d null.monitor --rate=48000 --channels=1 "
                       "--format=s16le --file-format=wav " + quoted(heard));
        std::this_thread::sleep_for(300ms);
        EXPECT_EQ(shell(env_ + "timeout -k 5 60 " + FER_ENGINE_PATH + " --headless " + options +
                        " --quit-after 4000 " + FER_DEMO_DIR + " >/dev/null 2>&1"),
                  0);
        recorder.end(SIGINT);
        return soxRms(heard);
    }

    const fs::path dir_ =
        fs::temp_directory_path() / ("fer-speech-" + std::to_string(std::random_device{}()));
    const std::string env_ = "env -u PULSE_SERVER XDG_RUNTIME_DIR=" + quoted(dir_ / "runtime") +
                             " HOME=" + quoted(dir_ / "home") +
                             " SPEECHD_ADDRESS=unix_socket:" + socket().string() + " ";
    std::optional<Child> pulse_;
    std::optional<Child> speechd_;
};

TEST_F(Speech, TheFirstMessageIsSpokenOnlyWithSpeak) {
    // espeak-ng speaks at about a tenth of full scale; the null sink's silence is 0.
    EXPECT_LT(heardWhileTitleShows(""), 0.001);
    EXPECT_GT(heardWhileTitleShows("--speak"), 0.02);
}

} // namespace
} // namespace fer::test

// A player's save survives the engine being killed at any moment: the engine
// saves over and over, and is killed with SIGKILL at random moments, many
// times. Every time, the save is a whole 4096-byte save that is not older than
// the one before it, and no temporary file is left to pile up.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "EngineProcess.h"
#include "core/ScriptMemory.h"

extern char** environ;

namespace fer {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Bytes = std::vector<uint8_t>;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr auto kBudget = std::chrono::seconds(30);
constexpr int kMaxKills = 200;
#else
constexpr auto kBudget = std::chrono::seconds(150);
constexpr int kMaxKills = 1000;
#endif

Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

uint32_t reg32(const Bytes& save, int r) {
    const size_t at = ScriptMemory::kReg32Base + 4u * static_cast<size_t>(r);
    return uint32_t(save[at]) | uint32_t(save[at + 1]) << 8 | uint32_t(save[at + 2]) << 16 |
           uint32_t(save[at + 3]) << 24;
}

// Starts the engine headless on `game`, its output thrown away.
pid_t startEngine(const fs::path& game) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::string engine = FER_ENGINE_PATH, headless = "--headless", dir = game.string();
    char* argv[] = {engine.data(), headless.data(), dir.data(), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, engine.c_str(), &actions, nullptr, argv, environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int waitFor(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

// Files in the game folder other than the scripts and the save itself.
std::vector<std::string> leftovers(const fs::path& game) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(game)) {
        const std::string name = entry.path().filename().string();
        if (name != "MAIN.MES" && name != "SAVE03") names.push_back(name);
    }
    return names;
}

class SaveKill : public ::testing::Test {
  protected:
    void SetUp() override {
        game_ = fs::temp_directory_path() / ("fer-kill-" + std::to_string(std::random_device{}()));
        fs::create_directories(game_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(game_, ec);
    }
    void useScript(const char* name) {
        fs::copy_file(fs::path(FER_SAVEKILL_DIR) / name, game_ / "MAIN.MES",
                      fs::copy_options::overwrite_existing);
    }
    fs::path game_;
};

TEST_F(SaveKill, EverySaveIsWholeAndNoOlderAfterEveryKill) {
    // The first save, written by a run that ends by itself.
    useScript("INIT.MES");
    const auto firstStart = Clock::now();
    const pid_t first = startEngine(game_);
    ASSERT_GT(first, 0);
    const int firstStatus = test::waitOrKill(first);
    ASSERT_TRUE(WIFEXITED(firstStatus) && WEXITSTATUS(firstStatus) == 0);
    const auto startUp = Clock::now() - firstStart;
    Bytes save = readFile(game_ / "SAVE03");
    ASSERT_EQ(save.size(), 4096u);
    EXPECT_EQ(reg32(save, 60), 0u);

    useScript("LOOP.MES");
    std::mt19937 random(std::random_device{}());
    // Kills land from before the engine has started to well into its saving.
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(startUp) * 2 +
                      std::chrono::microseconds(20000);
    std::uniform_int_distribution<int64_t> delay(0, span.count());
    const auto start = Clock::now();
    uint32_t counter = 0;
    int kills = 0, killsAfterSaving = 0;
    size_t mostLeftovers = 0;
    while (kills < kMaxKills && Clock::now() - start < kBudget) {
        const pid_t pid = startEngine(game_);
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(pid, SIGKILL);
        const int status = waitFor(pid);
        ++kills;
        // A run that ended on its own has met an error.
        ASSERT_TRUE(WIFSIGNALED(status)) << "the engine ended by itself, status " << status;

        save = readFile(game_ / "SAVE03");
        ASSERT_EQ(save.size(), 4096u) << "after kill " << kills;
        ASSERT_EQ(std::string(reinterpret_cast<const char*>(save.data())), "MAIN.MES");
        const uint32_t now = reg32(save, 60);
        ASSERT_EQ(reg32(save, 61), now) << "a save of two moments, after kill " << kills;
        ASSERT_GE(now, counter) << "the save went back, after kill " << kills;
        if (now > counter) ++killsAfterSaving;
        counter = now;
        const auto left = leftovers(game_);
        mostLeftovers = std::max(mostLeftovers, left.size());
        // A kill between creating the temporary file and renaming it leaves
        // one; the next save clears it away.
        ASSERT_LE(left.size(), 1u) << "temporary files pile up: " << left.front();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::cout << "kills: " << kills << " in " << seconds << " s; " << killsAfterSaving
              << " after new saves; last save counter " << counter
              << "; most files left at once " << mostLeftovers << "\n";
    RecordProperty("kills", kills);
    EXPECT_GE(kills, 50);
    EXPECT_GT(killsAfterSaving, kills / 10) << "the kills should land while the engine saves";

    // A run that is not killed leaves nothing behind.
    useScript("INIT.MES");
    const pid_t last = startEngine(game_);
    ASSERT_GT(last, 0);
    const int lastStatus = test::waitOrKill(last);
    EXPECT_TRUE(WIFEXITED(lastStatus) && WEXITSTATUS(lastStatus) == 0);
    EXPECT_TRUE(leftovers(game_).empty());
    EXPECT_EQ(readFile(game_ / "SAVE03").size(), 4096u);
}

// A stop signal (a logout, a launcher's stop button, Ctrl+C, a closed
// terminal) ends the engine through its normal shut-down: the save it was
// writing is finished, nothing is left behind, and the exit status is 0. A
// second signal ends it at once, with the signal's own default action.
TEST_F(SaveKill, AStopSignalEndsTheRunThroughTheNormalShutDown) {
    useScript("INIT.MES");
    const pid_t init = startEngine(game_);
    ASSERT_GT(init, 0);
    ASSERT_EQ(test::waitOrKill(init), 0);
    useScript("LOOP.MES");
    // Starts the saving engine and waits until it has saved at least once more.
    auto startSaving = [&] {
        const uint32_t before = reg32(readFile(game_ / "SAVE03"), 60);
        const pid_t pid = startEngine(game_);
        const auto deadline = Clock::now() + std::chrono::seconds(60);
        while (pid > 0 && Clock::now() < deadline) {
            const Bytes save = readFile(game_ / "SAVE03");
            if (save.size() == 4096u && reg32(save, 60) > before) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return pid;
    };
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        const pid_t pid = startSaving();
        ASSERT_GT(pid, 0);
        ::kill(pid, signal);
        const int status = test::waitOrKill(pid, std::chrono::seconds(30));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "signal " << signal << ": wait status " << status;
        const Bytes save = readFile(game_ / "SAVE03");
        ASSERT_EQ(save.size(), 4096u);
        EXPECT_EQ(reg32(save, 61), reg32(save, 60));
        EXPECT_TRUE(leftovers(game_).empty()) << "signal " << signal;
    }
    // Both signals wait while the engine is stopped, so the second comes
    // before the shut-down could end.
    const pid_t pid = startSaving();
    ASSERT_GT(pid, 0);
    ::kill(pid, SIGSTOP);
    ::kill(pid, SIGTERM);
    ::kill(pid, SIGINT);
    ::kill(pid, SIGCONT);
    const int status = test::waitOrKill(pid, std::chrono::seconds(30));
    EXPECT_TRUE(WIFSIGNALED(status) && (WTERMSIG(status) == SIGTERM || WTERMSIG(status) == SIGINT))
        << "wait status " << status;
}

} // namespace
} // namespace fer

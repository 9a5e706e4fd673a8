// The engine's start-up: from starting the program to its exit, with a game
// whose start script ends at once (headless, and with a window under SDL's
// dummy video driver), beside a program that does nothing but is linked to
// the same libraries. Wall-clock time per start; run with
// --benchmark_repetitions=5 for medians.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// A game directory whose start script is one instruction: the end.
class EmptyGame {
  public:
    EmptyGame() {
        std::random_device rd;
        path_ = fs::temp_directory_path() / ("fer-startup-" + std::to_string(rd()));
        fs::create_directories(path_);
        std::ofstream(path_ / "MAIN.MES", std::ios::binary).put('\0');
    }
    ~EmptyGame() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string path() const { return path_.string(); }

  private:
    fs::path path_;
};

// Starts the program and waits for it; false when it could not run or failed.
bool runOnce(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return false;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void startRepeatedly(benchmark::State& state, const std::vector<std::string>& args) {
    for (auto _ : state) {
        if (!runOnce(args)) {
            state.SkipWithError("the program did not start or did not end normally");
            return;
        }
    }
}

void BM_Startup_DoNothing(benchmark::State& state) {
    startRepeatedly(state, {FER_NOTHING_PATH});
}
BENCHMARK(BM_Startup_DoNothing)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

void BM_Startup_EngineHeadless(benchmark::State& state) {
    EmptyGame game;
    startRepeatedly(state, {FER_ENGINE_PATH, "--headless", game.path()});
}
BENCHMARK(BM_Startup_EngineHeadless)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

void BM_Startup_EngineWindow(benchmark::State& state) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    EmptyGame game;
    startRepeatedly(state, {FER_ENGINE_PATH, game.path()});
}
BENCHMARK(BM_Startup_EngineWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);

} // namespace

BENCHMARK_MAIN();

#pragma once
// Runs the engine program as a player would start it: a shell command line,
// standard output captured, standard error kept in a file, the exit status
// and how long it took. A run that hangs is killed (`timeout`), so no engine
// outlives its test.

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fer::test {

struct EngineProcess {
    int status = -1; // the exit status; -1 when the program did not exit
    std::string out;
    std::string err;
    std::chrono::steady_clock::duration took{};
};

// The longest an engine run of a test may take: SIGTERM then, SIGKILL 5 s later.
inline constexpr int kEngineRunLimitSeconds = 180;
inline const std::string kEngineKillAfter =
    "timeout -k 5 " + std::to_string(kEngineRunLimitSeconds) + " ";

// Runs `engine args`; a wrapper such as "timeout 10" goes first when given.
inline EngineProcess runEngineProcess(const std::string& engine, const std::string& args,
                                      const std::string& wrapper = "") {
    namespace fs = std::filesystem;
    const fs::path errFile =
        fs::temp_directory_path() / ("fer-err-" + std::to_string(std::random_device{}()));
    const std::string command = kEngineKillAfter + (wrapper.empty() ? "" : wrapper + " ") + engine +
                                " " + args + " 2>'" + errFile.string() + "'";
    EngineProcess r;
    const auto start = std::chrono::steady_clock::now();
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
        const int status = pclose(pipe);
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    r.took = std::chrono::steady_clock::now() - start;
    std::ifstream in(errFile);
    std::stringstream s;
    s << in.rdbuf();
    r.err = s.str();
    fs::remove(errFile);
    return r;
}

// Waits for a child started without a shell; kills it when it has not ended
// within `limit`. Returns the wait status.
inline int waitOrKill(pid_t pid,
                      std::chrono::seconds limit = std::chrono::seconds(kEngineRunLimitSeconds)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (true) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) return status;
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid, SIGKILL);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            return status;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace fer::test

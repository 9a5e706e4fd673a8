#include "platform/StopSignals.h"

#include <atomic>
#include <cerrno>
#include <csignal>

namespace fer {

namespace {

// How many stop signals arrived: the one value the handler shares with the
// pump. A handler may touch nothing that takes a lock, so it must be lock-free.
std::atomic<int> stopSignalsArrived{0};
static_assert(std::atomic<int>::is_always_lock_free);

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};

// Only async-signal-safe calls: the count, and for a second signal the
// default action taken back and the signal raised again, which ends the
// process as soon as this handler returns.
extern "C" void onStopSignal(int signal) {
    if (stopSignalsArrived.fetch_add(1, std::memory_order_relaxed) == 0) return;
    const int savedErrno = errno;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    errno = savedErrno;
}

} // namespace

void StopSignals::install() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // A file write or read the signal lands in goes on: the shut-down needs it whole.
    action.sa_flags = SA_RESTART;
    for (const int signal : kStopSignals) sigaction(signal, &action, nullptr);
}

bool StopSignals::arrived() {
    return stopSignalsArrived.load(std::memory_order_relaxed) != 0;
}

bool StopSignals::take(PlatformEvent& event) {
    if (taken_ || !arrived()) return false;
    taken_ = true;
    event = PlatformEvent{};
    event.type = PlatformEvent::Type::kEndSession;
    return true;
}

} // namespace fer

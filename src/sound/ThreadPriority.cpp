#include "sound/ThreadPriority.h"

#include <algorithm>
#include <cerrno>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace fer {

namespace {

// Five nice steps per priority step: 2 (highest) is nice -10, -2 is nice 10.
constexpr int kNicePerStep = 5;

int niceFor(int32_t priority) {
    return std::clamp(-priority * kNicePerStep, -20, 19);
}

} // namespace

int32_t currentThreadId() {
    return static_cast<int32_t>(::syscall(SYS_gettid));
}

bool setThreadPriority(int32_t threadId, int32_t priority) {
    return ::setpriority(PRIO_PROCESS, static_cast<id_t>(threadId), niceFor(priority)) == 0;
}

int32_t threadPriority(int32_t threadId) {
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(threadId));
    if (nice == -1 && errno != 0) return kThreadPriorityNormal;
    // Round toward normal so that a value read back maps onto the same step.
    return static_cast<int32_t>(-nice / kNicePerStep);
}

} // namespace fer

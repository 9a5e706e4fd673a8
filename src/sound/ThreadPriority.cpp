#include "sound/ThreadPriority.h"

#include <algorithm>
#include <cerrno>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace fer {

namespace {

// Five nice steps per priority step: 2 (highest) is nice -10, -2 is nice 10.
constexpr int kNicePerStep = 5;

// Above the sound servers' own clients' default, below the kernel's threads.
constexpr int kRealtimePriority = 10;

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

SchedulingGrant raiseToRealtime() {
    // An unprivileged process may have a real-time limit of its own
    // (RLIMIT_RTPRIO); within it the kernel grants the policy directly.
    int priority = std::min(kRealtimePriority, ::sched_get_priority_max(SCHED_FIFO));
    rlimit limit{};
    if (::getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        limit.rlim_cur > 0 && static_cast<rlim_t>(priority) > limit.rlim_cur)
        priority = static_cast<int>(limit.rlim_cur);
    sched_param param{};
    param.sched_priority = priority;
    // 0 names the calling thread.
    if (::sched_setscheduler(0, SCHED_FIFO | SCHED_RESET_ON_FORK, &param) == 0)
        return SchedulingGrant::kRealtime;
    // The best nice value: -20, or what RLIMIT_NICE allows (20 - limit).
    const int32_t self = currentThreadId();
    errno = 0;
    const int now = ::getpriority(PRIO_PROCESS, static_cast<id_t>(self));
    if (now == -1 && errno != 0) return SchedulingGrant::kNormal;
    int best = -20;
    if (::getrlimit(RLIMIT_NICE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        best = std::max(best, 20 - static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 40)));
    if (best < now && ::setpriority(PRIO_PROCESS, static_cast<id_t>(self), best) == 0)
        return SchedulingGrant::kRaised;
    return now < 0 ? SchedulingGrant::kRaised : SchedulingGrant::kNormal;
}

void nameCurrentThread(const char* name) {
    pthread_setname_np(pthread_self(), name);
}

} // namespace fer

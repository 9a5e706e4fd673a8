// Thread priorities in the browser: workers have none to set, so a priority
// is remembered per thread and reported back as set.

#include "sound/ThreadPriority.h"

#include <map>
#include <mutex>

#include <pthread.h>

namespace fer {

namespace {
struct Priorities {
    std::mutex mutex;
    std::map<int32_t, int32_t> byThread;
};
Priorities& priorities() {
    static Priorities table;
    return table;
}
} // namespace

int32_t currentThreadId() {
    return static_cast<int32_t>(reinterpret_cast<uintptr_t>(pthread_self()));
}

bool setThreadPriority(int32_t threadId, int32_t priority) {
    std::lock_guard lock(priorities().mutex);
    priorities().byThread[threadId] = priority;
    return true;
}

// Workers run as the browser schedules them.
SchedulingGrant raiseToRealtime() {
    return SchedulingGrant::kNormal;
}

// Browser threads carry no names.
void nameCurrentThread(const char*) {}

int32_t threadPriority(int32_t threadId) {
    std::lock_guard lock(priorities().mutex);
    const auto it = priorities().byThread.find(threadId);
    return it == priorities().byThread.end() ? kThreadPriorityNormal : it->second;
}

} // namespace fer

#include "sound/PriorityScope.h"

#include "sound/ThreadPriority.h"

namespace fer {

PriorityScope::PriorityScope(int32_t priority)
    : threadId_(currentThreadId()), previous_(threadPriority(threadId_)) {
    setThreadPriority(threadId_, priority);
    inForce_ = threadPriority(threadId_);
}

PriorityScope::~PriorityScope() {
    if (inForce_ != previous_) setThreadPriority(threadId_, previous_);
}

} // namespace fer

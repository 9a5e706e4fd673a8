#pragma once
// Thread priorities on the scale the sound code speaks (-2 lowest, 0 normal,
// 2 highest; -15 idle and 15 time-critical at the ends), mapped to the Linux
// per-thread nice value. Raising a priority needs a privilege that a normal
// process lacks; such a failure is not an error, the thread keeps what it
// has and the read-back shows it.

#include <cstdint>

namespace fer {

constexpr int32_t kThreadPriorityLowest = -2;
constexpr int32_t kThreadPriorityNormal = 0;
constexpr int32_t kThreadPriorityHighest = 2;

// The kernel id of the calling thread.
int32_t currentThreadId();
// Sets the priority of the thread with that kernel id; false when refused.
bool setThreadPriority(int32_t threadId, int32_t priority);
// The priority of the thread with that kernel id as it is now.
int32_t threadPriority(int32_t threadId);

// How far a thread that must meet a device's deadlines got in its request.
enum class SchedulingGrant {
    kRealtime, // first-in first-out real-time scheduling
    kRaised,   // the best nice value the system allows, better than normal
    kNormal,   // both refused: it runs as it did
};

// Asks for real-time scheduling for the calling thread (first in, first out,
// at a modest real-time priority, not passed on to children), as the clients
// of a sound server do; where the system refuses it, the lowest nice value
// it allows. A refusal is no error.
SchedulingGrant raiseToRealtime();
// The words the log uses for a grant.
constexpr const char* schedulingGrantName(SchedulingGrant grant) {
    switch (grant) {
    case SchedulingGrant::kRealtime: return "real-time";
    case SchedulingGrant::kRaised: return "raised (real-time refused)";
    case SchedulingGrant::kNormal: return "normal (real-time and raised priority refused)";
    }
    return "normal";
}

// Names the calling thread for the system's tools (top -H, /proc), where the
// system keeps names.
void nameCurrentThread(const char* name);

} // namespace fer

#include "platform/ThreadSleep.h"

#include <chrono>
#include <thread>

namespace fer {

void sleepThisThread(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace fer

#include "platform/ThreadSleep.h"

#include <chrono>
#include <thread>

#include <emscripten.h>
#include <emscripten/threading.h>

namespace fer {

// The engine's main thread is the page's: it yields to the browser while it
// sleeps (ASYNCIFY unwinds and rewinds its stack). Other threads are workers
// and may block.
void sleepThisThread(int ms) {
    if (emscripten_is_main_browser_thread())
        emscripten_sleep(static_cast<unsigned>(ms < 0 ? 0 : ms));
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace fer

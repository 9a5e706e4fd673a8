#pragma once
// Chooses and builds the platform backend: headless, or the SDL2 window.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/BoxLabels.h"
#include "platform/Platform.h"
#include "platform/ScriptedInput.h"

namespace fer {

struct PlatformOptions {
    bool headless = false;
    std::vector<TimedEvent> events;      // scripted input (both backends)
    std::optional<uint64_t> quitAfterMs; // a close request after this long
    int scale = 0;                       // 0: the largest whole factor that fits the desktop
    ScaleMode scaleMode = ScaleMode::kWholeFactor;
    std::string gameDirectory; // where F12 screenshots go
    BoxLabels labels;          // the boxes' OK and Cancel, in the game's language
};

// The headless backend when asked for (or when the SDL2 backend was not
// built); otherwise the SDL2 window. Null, with the reason on stderr, when the
// window cannot be made.
std::unique_ptr<Platform> createPlatform(const PlatformOptions& options);

// Whether this build has the SDL2 backend.
bool windowBackendAvailable();

} // namespace fer

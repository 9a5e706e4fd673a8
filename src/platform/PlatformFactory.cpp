#include "platform/PlatformFactory.h"

#include <cstdio>

#include "platform/StopSignals.h"
#include "platform/headless/HeadlessPlatform.h"
#if FER_HAVE_SDL
#include "platform/sdl/SdlPlatform.h"
#endif
#if FER_HAVE_WEB
#include "platform/web/WebPlatform.h"
#endif

namespace fer {

bool windowBackendAvailable() {
    return FER_HAVE_SDL != 0 || FER_HAVE_WEB != 0;
}

std::unique_ptr<Platform> createPlatform(const PlatformOptions& options) {
    // From here on a stop signal reaches the engine through the backend's events.
    StopSignals::install();
    if (!options.headless && !windowBackendAvailable())
        std::fprintf(stderr, "engine: built without the SDL2 window; running headless\n");
    if (options.headless || !windowBackendAvailable()) {
        auto headless = std::make_unique<HeadlessPlatform>(options.events, options.quitAfterMs);
        headless->setScaleMode(options.scaleMode);
        return headless;
    }
#if FER_HAVE_WEB
    return std::make_unique<WebPlatform>();
#elif FER_HAVE_SDL
    SdlOptions sdl;
    sdl.scale = options.scale;
    sdl.scaleMode = options.scaleMode;
    sdl.events = options.events;
    sdl.quitAfterMs = options.quitAfterMs;
    sdl.labels = options.labels;
    std::string error;
    std::unique_ptr<SdlPlatform> platform = SdlPlatform::create(std::move(sdl), error);
    if (!platform) {
        std::fprintf(stderr, "engine: %s\n", error.c_str());
        return nullptr;
    }
    return platform;
#else
    return nullptr;
#endif
}

} // namespace fer

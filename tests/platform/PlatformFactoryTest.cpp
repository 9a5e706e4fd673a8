// Choosing the backend.

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/PlatformFactory.h"
#include "platform/headless/HeadlessPlatform.h"
#if FER_HAVE_SDL
#include "platform/sdl/SdlPlatform.h"
#endif

namespace fer {
namespace {

TEST(PlatformFactory, HeadlessWhenAskedWithItsScriptedInput) {
    PlatformOptions options;
    options.headless = true;
    options.quitAfterMs = 0;
    auto platform = createPlatform(options);
    ASSERT_TRUE(platform);
    EXPECT_NE(dynamic_cast<HeadlessPlatform*>(platform.get()), nullptr);
    platform->startClock();
    PlatformEvent e;
    ASSERT_TRUE(platform->nextEvent(e));
    EXPECT_EQ(e.type, PlatformEvent::Type::kClose);
}

#if FER_HAVE_SDL
TEST(PlatformFactory, WindowOtherwiseWithTheChosenScale) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    PlatformOptions options;
    options.scale = 2;
    auto platform = createPlatform(options);
    ASSERT_TRUE(platform);
    auto* sdl = dynamic_cast<SdlPlatform*>(platform.get());
    ASSERT_NE(sdl, nullptr);
    EXPECT_EQ(sdl->scaleFactor(), 2);
}

TEST(PlatformFactory, NoWindowSystemMeansNullNotACrash) {
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    PlatformOptions options;
    EXPECT_EQ(createPlatform(options), nullptr);
    setenv("SDL_VIDEODRIVER", "dummy", 1);
}
#endif

} // namespace
} // namespace fer

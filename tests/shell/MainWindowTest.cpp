#include <gtest/gtest.h>

#include "platform/headless/HeadlessPlatform.h"
#include "shell/EngineContext.h"

namespace fer {
namespace {

std::unique_ptr<EngineContext> makeContext(const CommandLine& options,
                                           std::vector<TimedEvent> events) {
    auto platform = std::make_unique<HeadlessPlatform>(std::move(events), std::nullopt);
    auto context = std::make_unique<EngineContext>(options, kGb2312Variant, std::move(platform));
    context->window.create("test", false);
    context->platform->startClock();
    return context;
}

TimedEvent at0(PlatformEvent::Type type, int code = 0) {
    TimedEvent e;
    e.event.type = type;
    e.event.code = code;
    return e;
}

TEST(MainWindow, StatesAndThePumpResult) {
    CommandLine options;
    using T = PlatformEvent::Type;
    auto c = makeContext(options, {at0(T::kKeyDown, 13), at0(T::kDeactivate), at0(T::kMinimise),
                                   at0(T::kActivate), at0(T::kClose)});
    MainWindow& w = c->window;
    EXPECT_EQ(w.pump(), 1);
    EXPECT_TRUE(w.keys().query(0));
    EXPECT_EQ(w.pump(), 1);
    EXPECT_EQ(w.state(), 1);
    EXPECT_TRUE(c->timer.paused());
    EXPECT_EQ(w.pump(), 1);
    EXPECT_EQ(w.state(), 2);
    // Re-activation resumes the timer only once the engine runs.
    EXPECT_EQ(w.pump(), 1);
    EXPECT_EQ(w.state(), 0);
    EXPECT_TRUE(c->timer.paused());
    // Closing asks for confirmation; the headless answer is OK.
    EXPECT_EQ(w.pump(), 0);
    EXPECT_EQ(w.state(), 255);
    EXPECT_EQ(w.pump(), 0);
    w.setState(3);
    EXPECT_EQ(w.pump(), 0);
}

TEST(MainWindow, ActivationResumesTheTimerOnceTheEngineRuns) {
    CommandLine options;
    using T = PlatformEvent::Type;
    auto c = makeContext(options, {at0(T::kDeactivate), at0(T::kActivate)});
    c->engineRunning = true;
    c->timer.setPaused(false);
    c->window.pump();
    EXPECT_TRUE(c->timer.paused());
    c->window.pump();
    EXPECT_FALSE(c->timer.paused());
}

TEST(MainWindow, FatalErrorClosesTheWindowAndPausesTheTimer) {
    CommandLine options;
    auto c = makeContext(options, {});
    c->timer.setPaused(false);
    testing::internal::CaptureStderr();
    c->fatalError("标题", "正文");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "标题: 正文\n");
    EXPECT_EQ(c->window.state(), 255);
    EXPECT_TRUE(c->timer.paused());
    EXPECT_TRUE(c->fatalErrorShown());
}

} // namespace
} // namespace fer

// The sound outputs pull their source at the device's pace: the headless one
// in real time on the engine's clock, measured here against the clock with
// generous bounds (the machine may be busy).

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/headless/VirtualAudioOutput.h"
#if FER_HAVE_SDL
#include "platform/sdl/SdlAudioOutput.h"
#endif

namespace fer {
namespace {

using namespace std::chrono_literals;

// Counts frames and checks that every buffer holds whole frames.
class CountingSource : public AudioSource {
  public:
    void render(std::span<int16_t> out, const AudioFormat& format) override {
        if (out.size() % static_cast<size_t>(format.channels) != 0) broken.store(true);
        frames.fetch_add(out.size() / static_cast<size_t>(format.channels));
        for (int16_t& s : out) s = 0;
    }
    std::atomic<uint64_t> frames{0};
    std::atomic<bool> broken{false};
};

TEST(VirtualAudioOutput, PullsInRealTimeAndNotWhilePaused) {
    CountingSource source;
    VirtualAudioOutput out;
    AudioFailure error;
    ASSERT_TRUE(out.open({22050, 1}, source, error)) << error.text;
    EXPECT_TRUE(out.isOpen());
    EXPECT_EQ(out.format(), (AudioFormat{22050, 1}));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(source.frames.load(), 0u); // opened paused

    const auto start = std::chrono::steady_clock::now();
    out.setPaused(false);
    std::this_thread::sleep_for(600ms);
    out.setPaused(true);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double pulled = static_cast<double>(source.frames.load()) / 22050.0;
    EXPECT_GT(pulled, 0.5 * seconds);
    EXPECT_LT(pulled, 1.2 * seconds);
    EXPECT_EQ(out.framesPulled(), source.frames.load());

    std::this_thread::sleep_for(30ms); // a pull under way ends
    const uint64_t atPause = source.frames.load();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(source.frames.load(), atPause);
    out.close();
    EXPECT_FALSE(out.isOpen());
    EXPECT_FALSE(source.broken.load());
}

TEST(VirtualAudioOutput, ClampsOddFormatsAndRefusesASecondOpen) {
    CountingSource source;
    VirtualAudioOutput out;
    AudioFailure error;
    ASSERT_TRUE(out.open({1, 99}, source, error));
    EXPECT_EQ(out.format(), (AudioFormat{8000, 8}));
    EXPECT_FALSE(out.open({48000, 2}, source, error));
    EXPECT_FALSE(error.text.empty());
    out.setPaused(false);
    std::this_thread::sleep_for(50ms);
    out.close();
    const uint64_t after = source.frames.load();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(source.frames.load(), after); // nothing is pulled after close
    EXPECT_FALSE(source.broken.load());
}

#if FER_HAVE_SDL
TEST(SdlAudioOutput, TheDummyDevicePullsWholeFrames) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    CountingSource source;
    SdlAudioOutput out;
    AudioFailure error;
    ASSERT_TRUE(out.open({48000, 2}, source, error)) << error.text;
    EXPECT_GT(out.format().sampleRate, 0);
    out.setPaused(false);
    for (int i = 0; i < 100 && source.frames.load() == 0; ++i) std::this_thread::sleep_for(10ms);
    out.close();
    EXPECT_GT(source.frames.load(), 0u);
    EXPECT_EQ(out.framesPulled(), source.frames.load());
    EXPECT_FALSE(source.broken.load());
}

TEST(SdlAudioOutput, NoDriverThatStartsIsReportedAsSuch) {
    setenv("SDL_AUDIODRIVER", "fer-no-such-driver", 1);
    CountingSource source;
    SdlAudioOutput out;
    AudioFailure failure;
    EXPECT_FALSE(out.open({22050, 1}, source, failure));
    EXPECT_EQ(failure.reason, AudioFailureReason::kNoDriver) << failure.text;
    EXPECT_FALSE(out.isOpen());
}
#endif

} // namespace
} // namespace fer

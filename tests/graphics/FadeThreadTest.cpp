// Fades advanced by a real second thread while the main thread runs palette
// commands; built into its own executable so it also runs under
// ThreadSanitizer.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "GraphicsTestSupport.h"
#include "graphics/GraphicsCommands.h"

namespace fer::test {
namespace {

// A ticking thread like the engine's timer, faster so the test is short.
class Ticker {
  public:
    explicit Ticker(PaletteManager& palette)
        : thread_([this, &palette] {
              while (!stop_.load()) {
                  palette.timerTick();
                  ticks_.fetch_add(1);
                  std::this_thread::sleep_for(std::chrono::microseconds(200));
              }
          }) {}
    ~Ticker() {
        stop_.store(true);
        thread_.join();
    }
    uint64_t ticks() const { return ticks_.load(); }

  private:
    std::atomic<bool> stop_{false};
    std::atomic<uint64_t> ticks_{0};
    std::thread thread_;
};

TEST(FadeThread, CommandsWaitForFadesRunOnTheTimerThread) {
    ScriptMachine machine;
    ScriptMemory& memory = machine.memory;
    PlaneSet planes;
    ASSERT_TRUE(planes.allocate());
    PaletteManager palette;
    FakeGraphicsHost host(&memory);
    host.onPump = [] {
        std::this_thread::yield();
        return 1;
    };
    GraphicsCommands commands(memory, planes, palette, host, ImageLoader::Format::kBitmap);
    Ticker ticker(palette);

    for (int round = 0; round < 20; ++round) {
        commands.paletteCommand(numbers({1, 255})); // fade to white and wait
        ASSERT_FALSE(palette.fadeActive());
        ASSERT_EQ(palette.current()[0].red, 255);
        commands.paletteCommand(numbers({4, 0})); // fade to black, do not wait
        // The script goes on while the fade runs; the shell shows each change.
        for (int i = 0; i < 50; ++i) commands.showPaletteChanges();
        commands.paletteCommand(numbers({6, 0, 236})); // waits for the fade first
        commands.waitFade();
        ASSERT_EQ(palette.current()[100], PaletteEntry{});
    }
    commands.showPaletteChanges();
    EXPECT_EQ(host.screen[0], PaletteEntry{});
    EXPECT_GT(ticker.ticks(), 0u);
}

} // namespace
} // namespace fer::test

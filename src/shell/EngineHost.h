#pragma once
// The script machine's view of the engine: every ScriptHost call goes to the
// object that owns it.

#include "core/CurrentFileNames.h"
#include "core/FatalErrorHandler.h"
#include "files/FileStore.h"
#include "graphics/PlaneSet.h"
#include "graphics/TextRenderer.h"
#include "platform/Platform.h"
#include "script/ScriptHost.h"
#include "script/ScriptMachine.h"
#include "shell/AppShell.h"
#include "shell/IdleDetector.h"
#include "shell/MainWindow.h"
#include "shell/PlayerSettings.h"
#include "shell/Screen.h"
#include "shell/MessageStream.h"
#include "shell/TextAssist.h"
#include "shell/TimerThread.h"

namespace fer {

struct EngineHostParts {
    MainWindow& window;
    Platform& platform;
    TimerThread& timer;
    Screen& screen;
    TextRenderer& text;
    PlaneSet& planes;
    FileStore& files;
    const ScriptMachine& machine;
    ScriptMemory& memory;
    CurrentFileNames& fileNames;
    const PlayerSettings& settings;
    AppShell& shell;
    FatalErrorHandler& errors;
};

class EngineHost : public ScriptHost {
  public:
    explicit EngineHost(EngineHostParts parts) : p_(parts) {}

    // Text drawn and the waits for the player also go to the message stream.
    void setMessageStream(MessageStream* stream) { stream_ = stream; }
    // Skip and auto mode answer the waits' questions too.
    void setTextAssist(TextAssist* assist) { assist_ = assist; }

    int pump() override;
    int windowState() const override;
    int pumpAndState() override;
    uint32_t quietPasses() const override;
    void setWindowState(int state) override;
    bool keyDown(int index) override;
    void clearKeys() override;
    void waitWhileHeld(uint32_t ticks, int index) override;
    bool shiftHeld() override;
    uint32_t tickCount() const override;
    void resetTicks() override;
    uint32_t ticks() const override;
    LocalTime localTime() const override;
    void present(int x, int y, int w, int h) override;
    void drawChar(unsigned plane, uint16_t code, int x, int y, unsigned style) override;
    void playerWaits(bool choice) override;
    void playerWaitEnds() override;
    int loadScript(std::string_view name) override;
    void setCurrentFileName(int slot, std::string_view name) override;
    int readWholeFile(std::string_view name, std::span<uint8_t> destination) override;
    int writeSaveFile(std::string_view name, std::span<const uint8_t> bytes) override;
    uint16_t moveSpeed() const override;
    void logLine(std::string_view text) override;
    void authorNote(std::string_view text) override;
    void fatalError(std::string_view title, std::string_view text) override;

  private:
    // A script that computes pumps before every instruction: what it can see
    // is looked at every few passes only (and every pass after an event or
    // while it waits), so the look costs it next to nothing.
    static constexpr uint32_t kLookEvery = 8;
    // Passes of assignments and jumps that may follow a pump that found
    // nothing, before the next pump: an event waits at most this many such
    // instructions (well under a microsecond).
    static constexpr uint32_t kQuietPasses = 32;

    EngineHostParts p_;
    MessageStream* stream_ = nullptr;
    TextAssist* assist_ = nullptr;
    IdleDetector idle_;
    uint32_t passesSinceLook_ = 0;
};

} // namespace fer

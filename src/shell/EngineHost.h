#pragma once
// The script machine's view of the engine: every ScriptHost call goes to the
// object of the engine context that owns it.

#include "script/ScriptHost.h"

namespace fer {

class EngineContext;

class EngineHost : public ScriptHost {
  public:
    explicit EngineHost(EngineContext& context) : context_(context) {}

    int pump() override;
    int windowState() const override;
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
    int loadScript(std::string_view name) override;
    void setCurrentFileName(int slot, std::string_view name) override;
    int readWholeFile(std::string_view name, std::span<uint8_t> destination) override;
    int writeSaveFile(std::string_view name, std::span<const uint8_t> bytes) override;
    uint16_t moveSpeed() const override;
    void reportFailures() override {}
    void stopSound(int) override {}
    void systemCommand(uint32_t number, const ArgumentList& args) override;
    void externalCommand(uint32_t number, const ArgumentList& args) override;
    void logLine(std::string_view text) override;
    void fatalError(std::string_view title, std::string_view text) override;

  private:
    void cursorCommand(const ArgumentList& args);

    static constexpr uint32_t kIdlePumpsBeforeSleep = 16;

    EngineContext& context_;
    uint64_t lastInstructionCount_ = 0;
    uint32_t idlePumps_ = 0;
};

} // namespace fer

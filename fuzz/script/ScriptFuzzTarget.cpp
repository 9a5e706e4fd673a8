#include "ScriptFuzzTarget.h"

#include <algorithm>
#include <memory>

#include "script/Interpreter.h"

namespace fer {

namespace {

class BoundedHost : public ScriptHost {
  public:
    BoundedHost(ScriptMemory& memory, const uint8_t* data, size_t size)
        : memory_(memory), data_(data), size_(size) {}

    int pump() override {
        ++pumps;
        if (pumps >= kFuzzPumpLimit) state_ = 255;
        // Keys change with the passes, so choices and waits see input.
        keys_ = static_cast<uint16_t>((pumps * 2654435761u) >> 7);
        return (state_ == 3 || state_ == 255) ? 0 : 1;
    }
    int windowState() const override { return state_; }
    void setWindowState(int s) override { state_ = s; }
    bool keyDown(int index) override { return index >= 0 && index < 16 && ((keys_ >> index) & 1); }
    void clearKeys() override { keys_ = 0; }
    void waitWhileHeld(uint32_t, int) override { pump(); }
    bool shiftHeld() override { return false; }
    uint32_t tickCount() const override { return static_cast<uint32_t>(pumps); }
    void resetTicks() override { tickBase_ = pumps; }
    uint32_t ticks() const override { return static_cast<uint32_t>(pumps - tickBase_); }
    LocalTime localTime() const override { return {2026, 1, 2, 3, 4, 5, 6, 7}; }
    void present(int, int, int, int) override {}
    void drawChar(unsigned, uint16_t, int, int, unsigned) override {}
    int loadScript(std::string_view) override {
        // Every script name loads the same bytes again.
        std::copy(data_, data_ + std::min<size_t>(size_, ScriptMemory::kCodeSize),
                  memory_.data() + ScriptMemory::kCodeBase);
        return 1;
    }
    void setCurrentFileName(int, std::string_view) override {}
    int readWholeFile(std::string_view, std::span<uint8_t> destination) override {
        // Every save holds the first bytes of the input.
        std::copy(data_, data_ + std::min(size_, destination.size()), destination.begin());
        return 1;
    }
    int writeSaveFile(std::string_view, std::span<const uint8_t>) override { return 1; }
    uint16_t moveSpeed() const override { return 8; }
    void logLine(std::string_view) override {}
    void fatalError(std::string_view, std::string_view) override { state_ = 255; }

    uint64_t pumps = 0;

  private:
    ScriptMemory& memory_;
    const uint8_t* data_;
    size_t size_;
    int state_ = 0;
    uint16_t keys_ = 0;
    uint64_t tickBase_ = 0;
};

struct Machine {
    Machine(const uint8_t* data, size_t size)
        : host(machine.memory, data, size), evaluator(machine, host),
          interpreter(machine, evaluator, host, (size & 1) ? kShiftJisVariant : kGb2312Variant,
                      commands, sound) {}
    ScriptMachine machine;
    BoundedHost host;
    CommandTable commands;
    SilentSound sound;
    Evaluator evaluator;
    Interpreter interpreter;
};

} // namespace

uint64_t runScriptBytes(const uint8_t* data, size_t size) {
    auto m = std::make_unique<Machine>(data, size);
    m->host.loadScript("MAIN.MES");
    m->interpreter.run();
    return m->host.pumps;
}

} // namespace fer

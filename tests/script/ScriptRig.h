#pragma once
// A script machine wired to a test double of the rest of the engine, and a
// small byte-code builder for the scripts the tests run.

#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "script/Interpreter.h"

namespace fer::test {

using Bytes = std::vector<uint8_t>;

inline Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
inline Bytes u16(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8)};
}
inline Bytes u32(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}
// An expression pushing v in the shortest form, ended by 0xFF.
inline Bytes lit(uint32_t v) {
    if (v < 0x80) return {uint8_t(v)};
    if (v <= 0xFFFF) return cat({{0xF1}, u16(v)});
    return cat({{0xF2}, u32(v)});
}
inline Bytes num(uint32_t v) {
    return cat({lit(v), {0xFF}});
}
// Argument-list entries.
inline Bytes argNum(uint32_t v) {
    return cat({{2}, num(v)});
}
inline Bytes argText(const std::string& s) {
    Bytes b(s.size() + 2, 0);
    b[0] = 1;
    for (size_t i = 0; i < s.size(); ++i) b[i + 1] = static_cast<uint8_t>(s[i]);
    return b;
}
// Instructions.
inline Bytes setReg16(uint8_t r, uint32_t v) {
    return cat({{4, r}, num(v), {0}});
}
inline Bytes setReg32(uint8_t r, uint32_t v) {
    return cat({{20, r}, num(v), {0}});
}
inline Bytes setFlag(uint16_t n, uint32_t v) {
    return cat({{3}, u16(n), num(v), {0}});
}
inline Bytes sys(uint32_t s, Bytes args = {}) {
    return cat({{11}, num(s), args, {0}});
}
inline Bytes callProc(uint32_t p) {
    return cat({{15}, argNum(p), {0}});
}
inline Bytes jump(uint32_t target) {
    return cat({{10}, u32(target)});
}

struct DrawnChar {
    unsigned plane;
    uint16_t code;
    int x, y;
    unsigned style;
};

class FakeHost : public ScriptHost, public SoundControl {
  public:
    // Called at the start of every pump with the pump's number (from 1).
    std::function<void(uint64_t)> onPump;
    uint64_t pumps = 0;
    int state = 0;
    uint16_t keys = 0; // bit (1 << index) per held key index
    bool shift = false;
    uint32_t tick = 0;
    uint32_t tickTotal = 0;
    std::vector<DrawnChar> drawn;
    std::vector<std::array<int, 4>> presents;
    std::map<std::string, Bytes> scripts;
    std::map<std::string, Bytes> files; // loose files: saves
    uint16_t speed = 8;
    std::vector<std::string> loads;
    std::vector<std::string> log;
    std::vector<std::pair<std::string, std::string>> fatals;
    std::vector<std::pair<uint32_t, std::vector<uint32_t>>> systemCalls;
    std::vector<uint32_t> externalCalls;
    std::vector<int> stops;
    std::string fileNames[5];
    ScriptMemory* memory = nullptr;

    // Passes the host lets go without the pump after a pump.
    uint32_t quiet = 0;
    // A script that never ends fails its test instead of hanging it.
    uint64_t pumpLimit = 1000000;

    int pump() override {
        ++pumps;
        if (pumps > pumpLimit) {
            if (state != 255) ADD_FAILURE() << "the script did not end";
            state = 255;
        }
        ++tick;
        ++tickTotal;
        if (onPump) onPump(pumps);
        return (state == 3 || state == 255) ? 0 : 1;
    }
    int windowState() const override { return state; }
    void setWindowState(int s) override { state = s; }
    uint32_t quietPasses() const override { return quiet; }
    bool keyDown(int index) override {
        if (index == 6) return shift;
        if (index == 8) index = 0;
        return index >= 0 && index < 16 && (keys >> index) & 1;
    }
    void clearKeys() override { keys = 0; }
    void waitWhileHeld(uint32_t limit, int index) override {
        tick = 0;
        while (pump() != 0 && tick < limit && keyDown(index)) {
        }
    }
    bool shiftHeld() override { return shift; }
    uint32_t tickCount() const override { return tickTotal; }
    void resetTicks() override { tick = 0; }
    uint32_t ticks() const override { return tick; }
    LocalTime localTime() const override { return {2026, 12, 1, 7, 21, 30, 45, 500}; }
    void present(int x, int y, int w, int h) override { presents.push_back({x, y, w, h}); }
    void drawChar(unsigned plane, uint16_t code, int x, int y, unsigned style) override {
        drawn.push_back({plane, code, x, y, style});
    }
    int loadScript(std::string_view name) override {
        loads.emplace_back(name);
        auto it = scripts.find(std::string(name));
        if (it == scripts.end()) {
            fatalError("文件打开错误", name);
            return 0;
        }
        std::copy(it->second.begin(), it->second.end(), memory->data() + ScriptMemory::kCodeBase);
        return 1;
    }
    void setCurrentFileName(int slot, std::string_view name) override {
        fileNames[slot] = std::string(name);
    }
    int readWholeFile(std::string_view name, std::span<uint8_t> destination) override {
        auto it = files.find(std::string(name));
        if (it == files.end()) {
            fatalError("文件打开错误", name);
            return 0;
        }
        std::copy_n(it->second.begin(), std::min(it->second.size(), destination.size()),
                    destination.begin());
        return 1;
    }
    int writeSaveFile(std::string_view name, std::span<const uint8_t> bytes) override {
        Bytes file(4096, 0);
        std::copy_n(bytes.begin(), std::min<size_t>(bytes.size(), 4096), file.begin());
        files[std::string(name)] = file;
        return 1;
    }
    uint16_t moveSpeed() const override { return speed; }
    // Sound: stops are recorded.
    int stop(int channel) override {
        stops.push_back(channel);
        return 0;
    }
    void reportFailures() override {}
    // Commands of the other subsystems are recorded.
    void systemCommand(uint32_t number, const ArgumentList& args) {
        std::vector<uint32_t> values;
        for (uint32_t i = 0; i < args.count(); ++i) values.push_back(args.value(i));
        systemCalls.push_back({number, values});
    }
    void externalCommand(uint32_t number, const ArgumentList&) { externalCalls.push_back(number); }
    void logLine(std::string_view text) override { log.emplace_back(text); }
    void fatalError(std::string_view title, std::string_view text) override {
        fatals.emplace_back(title, text);
        state = 255;
    }
};

class ScriptRig {
  public:
    explicit ScriptRig(const BuildVariant& variant = kGb2312Variant)
        : evaluator(machine, host), interpreter(machine, evaluator, host, variant, commands, host) {
        host.memory = &machine.memory;
        for (const TableEntry& c : operation_table::kCommands) {
            if (c.owner == Subsystem::kScript) continue;
            commands.add(c.kind, c.number, c.owner, [this, c](const ArgumentList& args) {
                if (c.kind == CommandKind::kSystem)
                    host.systemCommand(c.number, args);
                else
                    host.externalCommand(c.number, args);
            });
        }
    }

    // Places code at 0x1000 and runs the outermost loop as start-up does.
    void run(const Bytes& code) {
        load(code);
        interpreter.run();
    }
    void load(const Bytes& code, uint32_t at = ScriptMemory::kCodeBase) {
        std::copy(code.begin(), code.end(), machine.memory.data() + at);
        machine.setPc(at);
    }
    // Evaluates an expression placed at 0x1000.
    uint32_t eval(const Bytes& code) {
        load(code);
        return evaluator.evaluate();
    }

    ScriptMachine machine;
    FakeHost host;
    CommandTable commands;
    Evaluator evaluator;
    Interpreter interpreter;
};

} // namespace fer::test

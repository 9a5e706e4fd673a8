#include "shell/EngineHost.h"

#include <chrono>
#include <ctime>

#include "shell/EngineContext.h"

namespace fer {

int EngineHost::pump() {
    const int result = context_.window.pump();
    // A fade that runs while the script goes on is shown from here.
    if (context_.graphics) context_.graphics->showPaletteChanges();
    // A wait that pumps while no instruction runs and no event comes in gives
    // the processor back for a millisecond now and then, instead of spinning.
    const uint64_t executed = context_.machine.instructionCount;
    if (!context_.window.handledEvent() && executed == lastInstructionCount_) {
        if (++idlePumps_ >= kIdlePumpsBeforeSleep) {
            context_.platform->sleepMilliseconds(1);
            idlePumps_ = 0;
        }
    } else {
        idlePumps_ = 0;
    }
    lastInstructionCount_ = executed;
    return result;
}
int EngineHost::windowState() const {
    return context_.window.state();
}
void EngineHost::setWindowState(int state) {
    context_.window.setState(state);
}

bool EngineHost::keyDown(int index) {
    if (index == key::kShift) return context_.platform->shiftHeld();
    return context_.window.keys().query(index);
}

void EngineHost::clearKeys() {
    context_.window.keys().clear();
}

void EngineHost::waitWhileHeld(uint32_t limit, int index) {
    context_.timer.resetTicks();
    while (pump() != 0 && context_.timer.ticks() < limit && keyDown(index)) {
    }
}

bool EngineHost::shiftHeld() {
    return context_.platform->shiftHeld();
}
uint32_t EngineHost::tickCount() const {
    return context_.timer.ticks();
}
void EngineHost::resetTicks() {
    context_.timer.resetTicks();
}
uint32_t EngineHost::ticks() const {
    return context_.timer.ticks();
}

LocalTime EngineHost::localTime() const {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    return {static_cast<uint16_t>(tm.tm_year + 1900), static_cast<uint16_t>(tm.tm_mon + 1),
            static_cast<uint16_t>(tm.tm_wday),        static_cast<uint16_t>(tm.tm_mday),
            static_cast<uint16_t>(tm.tm_hour),        static_cast<uint16_t>(tm.tm_min),
            static_cast<uint16_t>(tm.tm_sec),         static_cast<uint16_t>(ms)};
}

void EngineHost::present(int x, int y, int w, int h) {
    context_.present(x, y, w, h);
}

void EngineHost::drawChar(unsigned plane, uint16_t code, int x, int y, unsigned style) {
    if (context_.transcript) context_.transcript->add(code, x, y);
    if (context_.text) context_.text->drawChar(context_.planes, plane, code, x, y, style);
}

int EngineHost::loadScript(std::string_view name) {
    return context_.loadScript(name);
}

void EngineHost::setCurrentFileName(int slot, std::string_view name) {
    if (slot >= 0 && slot < EngineContext::kFileNameSlots)
        context_.currentFileNames[slot] = std::string(name);
}

int EngineHost::readWholeFile(std::string_view name, std::span<uint8_t> destination) {
    return context_.files.readWholeFile(name, destination);
}

int EngineHost::writeSaveFile(std::string_view name, std::span<const uint8_t> bytes) {
    return context_.files.writeSaveFile(name, bytes);
}

uint16_t EngineHost::moveSpeed() const {
    return context_.moveSpeed;
}

void EngineHost::systemCommand(uint32_t number, const ArgumentList& args) {
    if (context_.textCommands && context_.textCommands->execute(number, args)) return;
    if (context_.graphics && context_.graphics->systemCommand(number, args)) return;
    switch (number) {
    case 2: cursorCommand(args); break;
    case 7: {
        const std::string name(args.text(0));
        context_.files.loadData(name, context_.machine.memory,
                                ScriptMemory::kCodeBase + args.value(1));
        setCurrentFileName(2, name);
        break;
    }
    case 19:
        if (args.value(0) == 1) {
            stopSound(0);
            stopSound(1);
            stopSound(2);
            context_.files.reopenArchives(static_cast<int>(args.value(1)));
        }
        break;
    default: break; // commands of subsystems still to come do nothing yet
    }
}

void EngineHost::cursorCommand(const ArgumentList& args) {
    Platform& platform = *context_.platform;
    auto coordinate = [&](size_t n) {
        return static_cast<int>(static_cast<int32_t>(args.value(n)));
    };
    switch (args.value(0)) {
    case 0:
        if (context_.cursorVisible == 0) {
            platform.showCursor(true);
            context_.cursorVisible = 1;
        }
        break;
    case 1:
        if (context_.cursorVisible == 1) {
            platform.showCursor(false);
            context_.cursorVisible = 0;
        }
        break;
    case 2:
        platform.confineCursor(coordinate(1), coordinate(2), coordinate(3), coordinate(4));
        break;
    case 3: {
        int x = 0, y = 0;
        platform.cursorPosition(x, y);
        context_.machine.memory.setReg16(30, static_cast<uint16_t>(x));
        context_.machine.memory.setReg16(31, static_cast<uint16_t>(y));
        break;
    }
    case 4: platform.moveCursor(coordinate(1), coordinate(2)); break;
    default: break; // 5, the animated cursor, comes with the animations
    }
}
void EngineHost::externalCommand(uint32_t number, const ArgumentList& args) {
    if (context_.paletteCommands) context_.paletteCommands->execute(number, args);
    // The particle switches (92, 93, 118, 119, 124, 125) come with the animations.
}

void EngineHost::logLine(std::string_view text) {
    context_.shell.logLine(text);
}

void EngineHost::fatalError(std::string_view title, std::string_view text) {
    context_.fatalError(title, text);
}

} // namespace fer

#include "shell/EngineHost.h"

#include <chrono>
#include <ctime>

namespace fer {

namespace {
// What the script can see now, and whether it waits: looked at every few
// passes, apart from the pass itself so that a pass that does not look
// costs next to nothing.
[[gnu::noinline]] bool scriptWaits(const EngineHostParts& p, IdleDetector& idle, bool event) {
    IdleDetector::Seen seen;
    seen.presents = p.screen.uploads();
    seen.ticks = p.timer.ticks();
    seen.keys = static_cast<uint16_t>(p.window.keys().word() | p.window.keys().latched());
    p.platform.cursorPosition(seen.mouseX, seen.mouseY);
    seen.shift = p.platform.shiftHeld();
    seen.windowState = p.window.state();
    return idle.waiting(event, seen, p.memory);
}
} // namespace

int EngineHost::pump() {
    const int result = p_.window.pump();
    // A script that waits (a choice, a loop over the keys or the ticks, a
    // wait without instructions) gives the processor back until the next
    // event or the next tick, when nothing it can see has changed.
    const bool event = p_.window.handledEvent();
    if (!event && !idle_.waitingNow() && ++passesSinceLook_ < kLookEvery) return result;
    passesSinceLook_ = 0;
    if (scriptWaits(p_, idle_, event) && result != 0)
        p_.platform.waitForEvent(p_.timer.millisecondsToNextTick());
    return result;
}

int EngineHost::pumpAndState() {
    EngineHost::pump();
    return p_.window.state();
}

uint32_t EngineHost::quietPasses() const {
    // After an event, while the script waits and while the window is not
    // simply active, every pass pumps.
    if (p_.window.handledEvent() || idle_.waitingNow() || p_.window.state() != window_state::kActive)
        return 0;
    return kQuietPasses;
}

int EngineHost::windowState() const {
    return p_.window.state();
}

void EngineHost::setWindowState(int state) {
    p_.window.setState(state);
}

bool EngineHost::keyDown(int index) {
    if (index == key::kShift) return shiftHeld();
    if (p_.window.keys().query(index)) return true;
    if (!assist_) return false;
    switch (index) {
    case key::kSkip: return assist_->skipping();
    case key::kDecide:
    case key::kAny: return assist_->autoDecides();
    default: return false;
    }
}

void EngineHost::clearKeys() {
    p_.window.keys().clear();
}

void EngineHost::waitWhileHeld(uint32_t limit, int index) {
    p_.timer.resetTicks();
    while (pump() != 0 && p_.timer.ticks() < limit && keyDown(index)) {
    }
}

bool EngineHost::shiftHeld() {
    return p_.platform.shiftHeld() || (assist_ && assist_->skipping());
}

uint32_t EngineHost::tickCount() const {
    return p_.timer.ticks();
}

void EngineHost::resetTicks() {
    p_.timer.resetTicks();
}

uint32_t EngineHost::ticks() const {
    return p_.timer.ticks();
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
    p_.screen.present(x, y, w, h);
}

void EngineHost::drawChar(unsigned plane, uint16_t code, int x, int y, unsigned style) {
    if (stream_) stream_->characterDrawn(code, x, y);
    p_.text.drawChar(p_.planes, plane, code, x, y, style);
}

void EngineHost::playerWaits(bool choice) {
    if (stream_) stream_->playerWaits(choice);
    if (assist_) assist_->waitBegins(choice);
}

void EngineHost::playerWaitEnds() {
    if (assist_) assist_->waitEnds();
}

int EngineHost::loadScript(std::string_view name) {
    return p_.files.loadScript(name, p_.memory, ScriptMemory::kCodeBase);
}

void EngineHost::setCurrentFileName(int slot, std::string_view name) {
    p_.fileNames.set(slot, name);
}

int EngineHost::readWholeFile(std::string_view name, std::span<uint8_t> destination) {
    return p_.files.readWholeFile(name, destination);
}

int EngineHost::writeSaveFile(std::string_view name, std::span<const uint8_t> bytes) {
    return p_.files.writeSaveFile(name, bytes);
}

uint16_t EngineHost::moveSpeed() const {
    return p_.settings.moveSpeed();
}

void EngineHost::logLine(std::string_view text) {
    p_.shell.logLine(text);
}

void EngineHost::authorNote(std::string_view text) {
    p_.shell.note(text);
}

void EngineHost::fatalError(std::string_view title, std::string_view text) {
    p_.errors.fatalError(title, text);
}

} // namespace fer

#include "platform/headless/HeadlessPlatform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>

#include "platform/ThreadSleep.h"

namespace fer {

namespace {
uint64_t coarseMilliseconds() {
    timespec ts{};
    // A system without the coarse clock (a browser's) has the fine one.
    if (clock_gettime(CLOCK_MONOTONIC_COARSE, &ts) != 0) clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000 + static_cast<uint64_t>(ts.tv_nsec) / 1000000;
}
} // namespace

HeadlessPlatform::HeadlessPlatform(std::vector<TimedEvent> events,
                                   std::optional<uint64_t> quitAfterMs)
    : script_(std::move(events), quitAfterMs) {}

bool HeadlessPlatform::openWindow(std::string_view title, const MenuModel& menu) {
    title_ = std::string(title);
    menu_ = menu;
    return true;
}

void HeadlessPlatform::setMenuCheck(int id, bool checked) {
    if (checked)
        checked_.insert(id);
    else
        checked_.erase(id);
}

bool HeadlessPlatform::menuChecked(int id) const {
    return checked_.count(id) != 0;
}

void HeadlessPlatform::helpBox(const HelpPage& page) {
    std::string text = page.keysHeading;
    for (const auto& [keys, action] : page.keys) text += "\n" + keys + ": " + action;
    text += "\n" + page.aboutHeading + "\n" + page.about;
    messageBox(page.title, text);
}

std::string HeadlessPlatform::chooseScriptFile(const std::vector<std::string>& names) {
    return names.empty() ? std::string() : names.front();
}

void HeadlessPlatform::startClock() {
    script_.start(coarseMilliseconds());
}

bool HeadlessPlatform::nextEvent(PlatformEvent& event) {
    if (stop_.take(event)) return true;
    if (!pending_.empty()) {
        event = std::move(pending_.front());
        pending_.pop_front();
        return true;
    }
    if (!script_.started() || script_.finished()) return false;
    if (!script_.next(coarseMilliseconds(), event)) return false;
    switch (event.type) {
    case PlatformEvent::Type::kKeyDown:
        if (event.code == 16) shift_ = true;
        break;
    case PlatformEvent::Type::kKeyUp:
        if (event.code == 16) shift_ = false;
        break;
    // The player changed the window's state.
    case PlatformEvent::Type::kRestore: changeWindowState(WindowShow::kRestore); break;
    case PlatformEvent::Type::kMaximise: changeWindowState(WindowShow::kMaximise); break;
    case PlatformEvent::Type::kMinimise: changeWindowState(WindowShow::kMinimise); break;
    case PlatformEvent::Type::kMouseMove:
        pointer_.moveTo(event.x, event.y);
        event.x = pointer_.x();
        event.y = pointer_.y();
        break;
    default: break;
    }
    return true;
}

void HeadlessPlatform::present(const PlaneView&, std::span<const PaletteEntry, 256>, int, int, int,
                               int) {
    ++presents_;
}

void HeadlessPlatform::showNotice(std::string_view text) {
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
}

void HeadlessPlatform::messageBox(std::string_view title, std::string_view text) {
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(),
                 static_cast<int>(text.size()), text.data());
    std::fflush(stderr);
}

bool HeadlessPlatform::confirmBox(std::string_view title, std::string_view text) {
    messageBox(title, text);
    return true;
}

void HeadlessPlatform::confineCursor(int left, int top, int right, int bottom) {
    pointer_.confine(left, top, right, bottom);
}

void HeadlessPlatform::moveCursor(int x, int y) {
    pointer_.moveTo(x, y);
}

void HeadlessPlatform::cursorPosition(int& x, int& y) const {
    x = pointer_.x();
    y = pointer_.y();
}

void HeadlessPlatform::setCursorImage(const CursorImage* image) {
    ++cursorImagesSet_;
    if (image && image->valid())
        cursorImage_ = *image;
    else
        cursorImage_.reset();
}

void HeadlessPlatform::recordDisplayCall(std::string call) {
    if (displayObserver_) displayObserver_(call);
    displayCalls_.push_back(std::move(call));
}

bool HeadlessPlatform::setDisplayMode(DisplayMode mode) {
    const bool full = mode == DisplayMode::kFullScreen;
    if (full && refuseFullScreen_) {
        recordDisplayCall("fullscreen refused");
        return false;
    }
    recordDisplayCall(full ? "fullscreen" : "windowed");
    displayMode_ = mode;
    return true;
}

std::vector<WindowSize> HeadlessPlatform::showWindow(WindowShow show) {
    static constexpr const char* kNames[] = {"restore", "maximise", "minimise"};
    recordDisplayCall(kNames[static_cast<int>(show)]);
    return changeWindowState(show);
}

std::vector<WindowSize> HeadlessPlatform::changeWindowState(WindowShow show) {
    WindowSize state = WindowSize::kRestored;
    switch (show) {
    case WindowShow::kRestore:
        // A minimised window comes back as it was before: maximised or not.
        if (windowState_ == WindowSize::kMinimised && maximisedBeforeMinimise_)
            state = WindowSize::kMaximised;
        break;
    case WindowShow::kMaximise: state = WindowSize::kMaximised; break;
    case WindowShow::kMinimise: state = WindowSize::kMinimised; break;
    }
    if (state == windowState_) return {};
    if (state == WindowSize::kMinimised)
        maximisedBeforeMinimise_ = windowState_ == WindowSize::kMaximised;
    windowState_ = state;
    return {state};
}

void HeadlessPlatform::printDebugView(DebugView& view, std::FILE* out) {
    if (const std::optional<std::string> line = view.printLine()) {
        std::fprintf(out, "%s\n", line->c_str());
    } else {
        std::fprintf(out, "%s\n", view.headerLine().c_str());
        for (const DebugCell& cell : view.cells())
            std::fprintf(out, "%d %d %s\n", cell.x, cell.y, cell.text.c_str());
        std::fputs("[END VIEW]\n", out);
    }
    std::fflush(out);
}

void HeadlessPlatform::showDebugView(DebugView& view) {
    shownViews_.insert(&view);
    printDebugView(view, stdout);
}

bool HeadlessPlatform::debugViewShown(const DebugView& view) const {
    return shownViews_.count(&view) != 0;
}

void HeadlessPlatform::refreshDebugView(DebugView& view) {
    if (debugViewShown(view)) printDebugView(view, stdout);
}

bool HeadlessPlatform::nextModalEvent(PlatformEvent& event) {
    // Nobody is there to answer before the clock starts, after the quit timer
    // or once a stop signal came.
    while (script_.started() && !script_.finished() && !script_.quitting() &&
           !StopSignals::arrived()) {
        if (script_.next(coarseMilliseconds(), event)) return true;
        sleepMilliseconds(2);
    }
    return false;
}

void HeadlessPlatform::keepForLater(PlatformEvent event) {
    using T = PlatformEvent::Type;
    // Releases and typed text belong to the view or box; mouse moves keep the position.
    if (event.type == T::kKeyUp || event.type == T::kText) return;
    if (event.type == T::kMouseMove) {
        pointer_.moveTo(event.x, event.y);
        return;
    }
    pending_.push_back(std::move(event));
}

void HeadlessPlatform::runDebugView(DebugView& view) {
    printDebugView(view, stdout);
    using T = PlatformEvent::Type;
    PlatformEvent event;
    while (nextModalEvent(event)) {
        if (event.type == T::kKeyDown) {
            if (!view.key(event.code)) return;
            // Paging draws the view again.
            if (event.code == 33 || event.code == 34) printDebugView(view, stdout);
        } else if (event.type == T::kWheel) {
            if (!view.wheel(event.code)) return;
        } else if (event.type == T::kClose) {
            keepForLater(std::move(event)); // the view closes; the engine asks next
            return;
        } else {
            keepForLater(std::move(event));
        }
    }
}

std::optional<std::string> HeadlessPlatform::askText(std::string_view title,
                                                     std::string_view prompt) {
    messageBox(title, prompt);
    using T = PlatformEvent::Type;
    std::string text;
    PlatformEvent event;
    while (nextModalEvent(event)) {
        if (event.type == T::kText) {
            text += event.text;
        } else if (event.type == T::kKeyDown && event.code == 13) {
            return text;
        } else if (event.type == T::kKeyDown && event.code == 27) {
            return std::nullopt;
        } else if (event.type == T::kClose) {
            keepForLater(std::move(event));
            return std::nullopt;
        } else if (event.type != T::kKeyDown) {
            keepForLater(std::move(event));
        }
    }
    return std::nullopt;
}

uint64_t HeadlessPlatform::milliseconds() const {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

void HeadlessPlatform::sleepMilliseconds(int ms) {
    sleepThisThread(ms);
}

void HeadlessPlatform::waitForEvent(int maxMs) {
    if (!pending_.empty() || StopSignals::arrived()) return;
    uint64_t wait = maxMs > 0 ? static_cast<uint64_t>(maxMs) : 0;
    if (const auto until = script_.untilNext(coarseMilliseconds())) wait = std::min(wait, *until);
    if (wait > 0) sleepMilliseconds(static_cast<int>(wait));
}

} // namespace fer

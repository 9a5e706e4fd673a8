#include "platform/headless/HeadlessPlatform.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <thread>

namespace fer {

namespace {
uint64_t coarseMilliseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000 + static_cast<uint64_t>(ts.tv_nsec) / 1000000;
}
} // namespace

HeadlessPlatform::HeadlessPlatform(std::vector<TimedEvent> events,
                                   std::optional<uint64_t> quitAfterMs)
    : events_(std::move(events)), quitAfter_(quitAfterMs) {}

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

void HeadlessPlatform::aboutBox(std::string_view title, std::string_view text) {
    messageBox(title, text);
}

std::string HeadlessPlatform::chooseScriptFile(const std::string& directory) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(directory, ec)) {
        std::string name = entry.path().filename().string();
        if (name.size() > 4) {
            std::string ext = name.substr(name.size() - 4);
            for (auto& ch : ext)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            if (ext == ".mes" && entry.is_regular_file(ec)) names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names.empty() ? std::string() : names.front();
}

void HeadlessPlatform::startClock() {
    started_ = true;
    startCoarse_ = coarseMilliseconds();
}

uint64_t HeadlessPlatform::elapsed() const {
    return started_ ? coarseMilliseconds() - startCoarse_ : 0;
}

bool HeadlessPlatform::nextEvent(PlatformEvent& event) {
    if (!started_) return false;
    const bool eventsLeft = nextEvent_ < events_.size();
    if (!eventsLeft && (!quitAfter_ || quitSent_)) return false;
    const uint64_t now = elapsed();
    if (eventsLeft && events_[nextEvent_].at <= now) {
        event = events_[nextEvent_++].event;
        switch (event.type) {
        case PlatformEvent::Type::kKeyDown:
            if (event.code == 16) shift_ = true;
            break;
        case PlatformEvent::Type::kKeyUp:
            if (event.code == 16) shift_ = false;
            break;
        case PlatformEvent::Type::kMouseMove:
            cursorX_ = event.x;
            cursorY_ = event.y;
            clampCursor();
            event.x = cursorX_;
            event.y = cursorY_;
            break;
        default: break;
        }
        return true;
    }
    if (quitAfter_ && !quitSent_ && now >= *quitAfter_) {
        quitSent_ = true;
        event = PlatformEvent{};
        event.type = PlatformEvent::Type::kClose;
        return true;
    }
    return false;
}

void HeadlessPlatform::present(const PlaneView&, std::span<const PaletteEntry, 256>, int, int, int,
                               int) {
    ++presents_;
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
    confined_ = true;
    clipLeft_ = left;
    clipTop_ = top;
    clipRight_ = right;
    clipBottom_ = bottom;
    clampCursor();
}

void HeadlessPlatform::clampCursor() {
    if (!confined_) return;
    cursorX_ =
        std::clamp(cursorX_, std::min(clipLeft_, clipRight_), std::max(clipLeft_, clipRight_));
    cursorY_ =
        std::clamp(cursorY_, std::min(clipTop_, clipBottom_), std::max(clipTop_, clipBottom_));
}

void HeadlessPlatform::moveCursor(int x, int y) {
    cursorX_ = x;
    cursorY_ = y;
    clampCursor();
}

void HeadlessPlatform::cursorPosition(int& x, int& y) const {
    x = cursorX_;
    y = cursorY_;
}

uint64_t HeadlessPlatform::milliseconds() const {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

void HeadlessPlatform::sleepMilliseconds(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace fer

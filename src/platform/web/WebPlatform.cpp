#include "platform/web/WebPlatform.h"

#include <algorithm>
#include <emscripten.h>

#include "platform/ThreadSleep.h"

namespace fer {

namespace {

// The page's side (web/page/engine.js: Module.ferHost).
EM_JS(void, ferHostOpen, (const char* title), { Module.ferHost.open(UTF8ToString(title)); });
EM_JS(void, ferHostMenu, (const char* json), { Module.ferHost.menu(JSON.parse(UTF8ToString(json))); });
EM_JS(void, ferHostCheck, (int id, int on), { Module.ferHost.check(id, !!on); });
// The clipboard takes text only where the page may write it (a secure page
// with the player's leave); a refusal changes nothing.
EM_JS(void, ferHostClipboard, (const char* text), {
    const value = UTF8ToString(text);
    if (navigator.clipboard) navigator.clipboard.writeText(value).catch(() => {});
});
EM_JS(void, ferHostPresent, (const uint32_t* rgba, int x, int y, int w, int h),
      { Module.ferHost.present(rgba, x, y, w, h); });
EM_JS(int, ferHostNextEvent, (int* fields, char* text, int cap), {
    const e = Module.ferHost.nextEvent();
    if (!e) return 0;
    HEAP32[(fields >> 2) + 0] = e.type;
    HEAP32[(fields >> 2) + 1] = e.code | 0;
    HEAP32[(fields >> 2) + 2] = e.x | 0;
    HEAP32[(fields >> 2) + 3] = e.y | 0;
    stringToUTF8(e.text || "", text, cap);
    return 1;
});
EM_JS(int, ferHostPending, (), { return Module.ferHost.pending() ? 1 : 0; });
EM_JS(void, ferHostBox, (int kind, const char* title, const char* text, const char* extra), {
    Module.ferHost.box(kind, UTF8ToString(title), UTF8ToString(text), UTF8ToString(extra));
});
EM_JS(int, ferHostAnswer, (), { return Module.ferHost.answer(); });
EM_JS(int, ferHostAnswerText, (char* out, int cap), {
    const t = Module.ferHost.answerText();
    if (t === null) return 0;
    stringToUTF8(t, out, cap);
    return 1;
});
EM_JS(void, ferHostNotice, (const char* text), { Module.ferHost.notice(UTF8ToString(text)); });
EM_JS(void, ferHostCursor, (int shown), { Module.ferHost.cursor(!!shown); });
EM_JS(int, ferHostFullScreen, (int on), { return Module.ferHost.fullScreen(!!on) ? 1 : 0; });
EM_JS(int, ferHostIsFullScreen, (), { return Module.ferHost.isFullScreen() ? 1 : 0; });
EM_JS(void, ferHostScale, (int mode), { Module.ferHost.scale(mode); });
EM_JS(int, ferHostShift, (), { return Module.ferHost.shift() ? 1 : 0; });
EM_JS(void, ferHostView, (int op, int id, const char* json),
      { Module.ferHost.view(op, id, op === 2 ? null : JSON.parse(UTF8ToString(json))); });

// The box kinds of ferHost.box.
enum BoxKind { kMessage = 0, kConfirm = 1, kChoose = 2, kAskText = 3, kView = 4 };

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (b < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", b);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string menuJson(const std::vector<MenuItem>& items) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) {
        const MenuItem& item = items[i];
        if (i) out += ",";
        out += "{\"text\":" + jsonString(item.text) + ",\"id\":" + std::to_string(item.id) +
               ",\"checked\":" + (item.checked ? "true" : "false") +
               ",\"items\":" + menuJson(item.items) + "}";
    }
    return out + "]";
}

std::string viewJson(DebugView& view) {
    std::string out = "{\"title\":" + jsonString(view.title()) +
                      ",\"width\":" + std::to_string(view.width()) +
                      ",\"height\":" + std::to_string(view.height()) + ",\"cells\":[";
    bool first = true;
    for (const DebugCell& cell : view.cells()) {
        if (!first) out += ",";
        first = false;
        out += "[" + std::to_string(cell.x) + "," + std::to_string(cell.y) + "," +
               jsonString(cell.text) + "," + std::to_string(cell.colour) + "]";
    }
    return out + "]}";
}

std::string cString(std::string_view text) {
    return std::string(text);
}

} // namespace

bool WebPlatform::openWindow(std::string_view title, const MenuModel& menu) {
    ferHostOpen(cString(title).c_str());
    ferHostMenu(menuJson(menu.bar).c_str());
    return true;
}

void WebPlatform::closeWindow() {}

void WebPlatform::setMenuCheck(int id, bool checked) {
    ferHostCheck(id, checked);
}

bool WebPlatform::nextEvent(PlatformEvent& event) {
    int fields[4] = {};
    char text[256];
    if (!ferHostNextEvent(fields, text, sizeof text)) return false;
    event = PlatformEvent{};
    event.type = static_cast<PlatformEvent::Type>(fields[0]);
    event.code = fields[1];
    event.x = fields[2];
    event.y = fields[3];
    event.text = text;
    if (event.type == PlatformEvent::Type::kMouseMove) {
        pointer_.moveTo(event.x, event.y);
        event.x = pointer_.x();
        event.y = pointer_.y();
    }
    return true;
}

void WebPlatform::present(const PlaneView& plane, std::span<const PaletteEntry, 256> palette, int x,
                          int y, int w, int h) {
    x = std::clamp(x, 0, std::min(plane.width, 640));
    y = std::clamp(y, 0, std::min(plane.height, 400));
    w = std::clamp(w, 0, std::min(plane.width, 640) - x);
    h = std::clamp(h, 0, std::min(plane.height, 400) - y);
    if (w == 0 || h == 0) return;
    // The converter writes 0xAARRGGBB words; with red and blue exchanged
    // their bytes are the canvas's R, G, B, A.
    std::array<PaletteEntry, 256> swapped;
    for (size_t i = 0; i < 256; ++i) {
        swapped[i] = palette[i];
        std::swap(swapped[i].red, swapped[i].blue);
    }
    converter_.setPalette(swapped, int64_t(w) * h);
    for (int row = y; row < y + h; ++row) {
        const uint8_t* source =
            plane.pixels + static_cast<size_t>(plane.height - 1 - row) * plane.stride + x;
        converter_.convertRow(source, pixels_.data() + row * 640 + x, w);
    }
    ferHostPresent(pixels_.data(), x, y, w, h);
}

int WebPlatform::awaitAnswer() {
    for (;;) {
        const int answer = ferHostAnswer();
        if (answer != -2) return answer;
        if (modalHook_) modalHook_();
        sleepThisThread(16);
    }
}

void WebPlatform::messageBox(std::string_view title, std::string_view text) {
    ferHostBox(kMessage, cString(title).c_str(), cString(text).c_str(), "");
    awaitAnswer();
}

bool WebPlatform::confirmBox(std::string_view title, std::string_view text) {
    ferHostBox(kConfirm, cString(title).c_str(), cString(text).c_str(), "");
    return awaitAnswer() == 1;
}

void WebPlatform::showNotice(std::string_view text) {
    ferHostNotice(cString(text).c_str());
}

void WebPlatform::helpBox(const HelpPage& page) {
    std::string text = page.keysHeading;
    for (const auto& [keys, action] : page.keys) text += "\n" + keys + ": " + action;
    text += "\n\n" + page.aboutHeading + "\n" + page.about;
    ferHostBox(kMessage, page.title.c_str(), text.c_str(), "");
    awaitAnswer();
}

std::string WebPlatform::chooseScriptFile(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) list += name + "\n";
    ferHostBox(kChoose, "", "", list.c_str());
    const int chosen = awaitAnswer();
    if (chosen < 0 || static_cast<size_t>(chosen) >= names.size()) return {};
    return names[static_cast<size_t>(chosen)];
}

void WebPlatform::showCursor(bool shown) {
    ferHostCursor(shown);
}

void WebPlatform::confineCursor(int left, int top, int right, int bottom) {
    pointer_.confine(left, top, right, bottom);
}

// A page cannot move the player's pointer: the engine's idea of it moves.
void WebPlatform::moveCursor(int x, int y) {
    pointer_.moveTo(x, y);
}

void WebPlatform::cursorPosition(int& x, int& y) const {
    x = pointer_.x();
    y = pointer_.y();
}

void WebPlatform::setClipboardText(std::string_view utf8) {
    ferHostClipboard(std::string(utf8).c_str());
}

// The page shows the browser's arrow.
void WebPlatform::setCursorImage(const CursorImage*) {}

bool WebPlatform::setDisplayMode(DisplayMode mode) {
    return ferHostFullScreen(mode == DisplayMode::kFullScreen) != 0;
}

DisplayMode WebPlatform::displayMode() const {
    return ferHostIsFullScreen() ? DisplayMode::kFullScreen : DisplayMode::kWindowed;
}

void WebPlatform::setScaleMode(ScaleMode mode) {
    scaleMode_ = mode;
    ferHostScale(static_cast<int>(mode));
}

// A page has one size; it is neither minimised nor maximised by the engine.
std::vector<WindowSize> WebPlatform::showWindow(WindowShow) {
    return {};
}

void WebPlatform::showDebugView(DebugView& view) {
    shownViews_.insert(&view);
    ferHostView(0, static_cast<int>(reinterpret_cast<uintptr_t>(&view)), viewJson(view).c_str());
}

void WebPlatform::hideDebugView(DebugView& view) {
    shownViews_.erase(&view);
    ferHostView(2, static_cast<int>(reinterpret_cast<uintptr_t>(&view)), "");
}

bool WebPlatform::debugViewShown(const DebugView& view) const {
    return shownViews_.count(&view) != 0;
}

void WebPlatform::refreshDebugView(DebugView& view) {
    if (debugViewShown(view))
        ferHostView(1, static_cast<int>(reinterpret_cast<uintptr_t>(&view)), viewJson(view).c_str());
}

void WebPlatform::runDebugView(DebugView& view) {
    for (;;) {
        ferHostBox(kView, view.title().c_str(), viewJson(view).c_str(), "");
        const int key = awaitAnswer();
        if (key < 0 || !view.key(key)) return;
    }
}

std::optional<std::string> WebPlatform::askText(std::string_view title, std::string_view prompt) {
    ferHostBox(kAskText, cString(title).c_str(), cString(prompt).c_str(), "");
    if (awaitAnswer() != 1) return std::nullopt;
    char text[1024];
    if (!ferHostAnswerText(text, sizeof text)) return std::nullopt;
    return std::string(text);
}

bool WebPlatform::shiftHeld() const {
    return ferHostShift() != 0;
}

uint64_t WebPlatform::milliseconds() const {
    return static_cast<uint64_t>(emscripten_get_now());
}

void WebPlatform::sleepMilliseconds(int ms) {
    sleepThisThread(ms);
}

void WebPlatform::waitForEvent(int maxMs) {
    const uint64_t until = milliseconds() + static_cast<uint64_t>(std::max(maxMs, 0));
    while (!ferHostPending()) {
        const uint64_t now = milliseconds();
        if (now >= until) return;
        sleepThisThread(static_cast<int>(std::min<uint64_t>(until - now, 8)));
    }
}

} // namespace fer

#include "platform/sdl/SdlEventTranslator.h"

#include "core/MenuIds.h"
#include "platform/sdl/KeyMapping.h"

namespace fer {

namespace {
using T = PlatformEvent::Type;

bool make(PlatformEvent& out, T type, int code = 0) {
    out = PlatformEvent{};
    out.type = type;
    out.code = code;
    return true;
}
} // namespace

bool SdlEventTranslator::translate(SDL_Event& e, PlatformEvent& out) {
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: return key(e, out);
    case SDL_MOUSEMOTION: return motion(e, out);
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return button(e, out);
    case SDL_WINDOWEVENT: return windowChange(e, out);
    case SDL_MOUSEWHEEL:
        return e.wheel.y != 0 && !imgui_.menusOpen() && make(out, T::kWheel, e.wheel.y > 0 ? 1 : -1);
    case SDL_DROPBEGIN:
    case SDL_DROPFILE:
    case SDL_DROPTEXT:
    case SDL_DROPCOMPLETE: return drop(e, out);
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
    case SDL_CONTROLLERAXISMOTION: gamepads_.handle(e); return gamepads_.next(out);
    default:
        // SDL_QUIT follows the window's close event, which is what counts.
        return false;
    }
}

bool SdlEventTranslator::key(const SDL_Event& e, PlatformEvent& out) {
    imgui_.process(e);
    framesOwed_ = kFramesAfterInput;
    const bool down = e.type == SDL_KEYDOWN;
    const SDL_Scancode code = e.key.keysym.scancode;
    const bool altKey = code == SDL_SCANCODE_LALT || code == SDL_SCANCODE_RALT;
    if (altKey) {
        if (down && !e.key.repeat) altAlone_ = true;
        if (!down && altAlone_) reveal_.toggle();
        if (!down) altAlone_ = false;
        return false;
    }
    if (down) altAlone_ = false;
    if (code == SDL_SCANCODE_F10) {
        if (down && !e.key.repeat) reveal_.toggle();
        return false;
    }
    if (code == SDL_SCANCODE_F12) return down && !e.key.repeat && make(out, T::kScreenshot);
    // F7 and F8 choose the reading aids' items: speech, the clipboard.
    if (code == SDL_SCANCODE_F7) return down && !e.key.repeat && make(out, T::kMenu, menu_id::kSpeak);
    if (code == SDL_SCANCODE_F8)
        return down && !e.key.repeat && make(out, T::kMenu, menu_id::kCopyText);
    // Alt+Enter and F11: full screen or back. The key's release is no game key either.
    const bool alt = (e.key.keysym.mod & KMOD_ALT) != 0;
    if (code == SDL_SCANCODE_F11 ||
        (alt && (code == SDL_SCANCODE_RETURN || code == SDL_SCANCODE_KP_ENTER)))
        return down && !e.key.repeat && make(out, T::kToggleFullScreen);
    const int vk = virtualKeyForScancode(e.key.keysym.scancode);
    if (vk == 0) return false;
    return make(out, down ? T::kKeyDown : T::kKeyUp, vk);
}

bool SdlEventTranslator::motion(const SDL_Event& e, PlatformEvent& out) {
    imgui_.process(e);
    framesOwed_ = kFramesAfterInput;
    reveal_.pointerAt(e.motion.y, menuHeight_, imgui_.menusOpen());
    cursor_.apply(e.motion.y, reveal_.rows(menuHeight_));
    int x = 0, y = 0;
    window_.view().toClient(e.motion.x, e.motion.y, x, y);
    cursor_.clamp(x, y);
    if (x == cursor_.x() && y == cursor_.y()) return false;
    cursor_.setPosition(x, y);
    make(out, T::kMouseMove);
    out.x = x;
    out.y = y;
    return true;
}

bool SdlEventTranslator::button(const SDL_Event& e, PlatformEvent& out) {
    imgui_.process(e);
    framesOwed_ = kFramesAfterInput;
    const bool down = e.type == SDL_MOUSEBUTTONDOWN;
    if (down) {
        altAlone_ = false;
        // Clicks on the menu bar or an open menu belong to the menus.
        if (imgui_.wantsPress(e.button.y, reveal_.rows(menuHeight_))) {
            if (drawFrame_) drawFrame_(); // let the menu see the press
            return false;
        }
        // A click on the picture sends a called-up bar away.
        reveal_.dismiss();
        int x = 0, y = 0;
        window_.view().toClient(e.button.x, e.button.y, x, y);
        cursor_.clamp(x, y);
        cursor_.setPosition(x, y);
    }
    const int message = mouseButtonMessage(e.button.button, down);
    return message != 0 && make(out, down ? T::kKeyDown : T::kKeyUp, message);
}

bool SdlEventTranslator::windowChange(const SDL_Event& e, PlatformEvent& out) {
    imgui_.process(e);
    framesOwed_ = kFramesAfterInput;
    switch (e.window.event) {
    case SDL_WINDOWEVENT_CLOSE: return make(out, T::kClose);
    case SDL_WINDOWEVENT_FOCUS_GAINED: return make(out, T::kActivate);
    case SDL_WINDOWEVENT_FOCUS_LOST: altAlone_ = false; return make(out, T::kDeactivate);
    case SDL_WINDOWEVENT_LEAVE: reveal_.pointerLeft(imgui_.menusOpen()); return false;
    case SDL_WINDOWEVENT_MINIMIZED: return sizeState(WindowSize::kMinimised, out);
    case SDL_WINDOWEVENT_MAXIMIZED: relayout(); return sizeState(WindowSize::kMaximised, out);
    case SDL_WINDOWEVENT_RESTORED:
        relayout();
        // Full screen is the window's maximised state.
        return sizeState(window_.displayMode() == DisplayMode::kFullScreen ? WindowSize::kMaximised
                                                                           : WindowSize::kRestored,
                         out);
    case SDL_WINDOWEVENT_SIZE_CHANGED: relayout(); return make(out, T::kExpose);
    case SDL_WINDOWEVENT_EXPOSED: return make(out, T::kExpose);
    default: return false;
    }
}

void SdlEventTranslator::relayout() {
    window_.layout(menuHeight_);
    cursor_.reconfine(window_.window(), window_.view());
}

bool SdlEventTranslator::sizeState(WindowSize actual, PlatformEvent& out) {
    const std::optional<WindowSize> told = states_.reported(actual);
    if (!told) return false;
    switch (*told) {
    case WindowSize::kMinimised: return make(out, T::kMinimise);
    case WindowSize::kMaximised: return make(out, T::kMaximise);
    default: return make(out, T::kRestore);
    }
}

bool SdlEventTranslator::drop(SDL_Event& e, PlatformEvent& out) {
    switch (e.type) {
    case SDL_DROPBEGIN:
        dropping_ = true;
        droppedFiles_.clear();
        return false;
    case SDL_DROPFILE: {
        std::string path = e.drop.file ? e.drop.file : "";
        SDL_free(e.drop.file);
        e.drop.file = nullptr;
        if (dropping_) {
            droppedFiles_.push_back(std::move(path));
            return false;
        }
        make(out, T::kDropFile);
        out.text = std::move(path);
        return true;
    }
    case SDL_DROPTEXT:
        SDL_free(e.drop.file);
        e.drop.file = nullptr;
        return false;
    default: // SDL_DROPCOMPLETE
        dropping_ = false;
        // Only a drop of exactly one file switches scripts.
        if (droppedFiles_.size() != 1) return false;
        make(out, T::kDropFile);
        out.text = std::move(droppedFiles_.front());
        droppedFiles_.clear();
        return true;
    }
}

} // namespace fer

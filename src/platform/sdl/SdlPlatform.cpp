#include "platform/sdl/SdlPlatform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <thread>

#include <SDL.h>

#include "platform/StopSignals.h"
#include "platform/TimedEventQueue.h"
#include "platform/sdl/ImGuiDialogs.h"
#include "platform/sdl/ImGuiLayer.h"
#include "platform/sdl/KeyMapping.h"
#include "platform/sdl/MenuBarReveal.h"
#include "platform/sdl/SdlAudioOutput.h"
#include "platform/sdl/SdlCursor.h"
#include "platform/sdl/SdlEventTranslator.h"
#include "platform/sdl/SdlGamepads.h"
#include "platform/sdl/SdlWindow.h"
#include "platform/sdl/WindowStateTracker.h"

namespace fer {

// The key mapping speaks USB HID usage ids, which are SDL's scancodes.
static_assert(scancode::kReturn == SDL_SCANCODE_RETURN &&
              scancode::kEscape == SDL_SCANCODE_ESCAPE && scancode::kSpace == SDL_SCANCODE_SPACE &&
              scancode::kF12 == SDL_SCANCODE_F12 && scancode::kPageUp == SDL_SCANCODE_PAGEUP &&
              scancode::kPageDown == SDL_SCANCODE_PAGEDOWN && scancode::kRight == SDL_SCANCODE_RIGHT &&
              scancode::kLeft == SDL_SCANCODE_LEFT && scancode::kDown == SDL_SCANCODE_DOWN &&
              scancode::kUp == SDL_SCANCODE_UP && scancode::kKeypadEnter == SDL_SCANCODE_KP_ENTER &&
              scancode::kKeypad2 == SDL_SCANCODE_KP_2 && scancode::kKeypad4 == SDL_SCANCODE_KP_4 &&
              scancode::kKeypad6 == SDL_SCANCODE_KP_6 && scancode::kKeypad8 == SDL_SCANCODE_KP_8 &&
              scancode::kLeftCtrl == SDL_SCANCODE_LCTRL &&
              scancode::kRightCtrl == SDL_SCANCODE_RCTRL &&
              scancode::kLeftShift == SDL_SCANCODE_LSHIFT &&
              scancode::kRightShift == SDL_SCANCODE_RSHIFT);
static_assert(mouse::kLeftButton == SDL_BUTTON_LEFT && mouse::kRightButton == SDL_BUTTON_RIGHT);

namespace {

using Clock = std::chrono::steady_clock;

// SDL's queue is refilled from the window system at most this often; between
// refills a pass only looks at the queue, which keeps the idle pump cheap.
constexpr auto kPumpInterval = std::chrono::microseconds(1000);
constexpr auto kFrameInterval = std::chrono::milliseconds(10);
constexpr auto kNoticeTime = std::chrono::milliseconds(2000);
constexpr auto kNoticeFade = std::chrono::milliseconds(500);
// How long a box waits for an event before it draws again.
constexpr int kBoxWaitMs = 30;

uint64_t nowMilliseconds() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
            .count());
}

PlatformEvent menuEvent(int id) {
    PlatformEvent e;
    e.type = PlatformEvent::Type::kMenu;
    e.code = id;
    return e;
}

} // namespace

struct SdlPlatform::Impl {
    // Declared in construction order; destroyed in reverse.
    SdlWindow window;
    ImGuiLayer imgui;
    SdlCursor cursor;
    SdlAudioOutput audio;
    SdlGamepads gamepads;
    WindowStateTracker states;
    MenuBarReveal reveal;
    int menuHeight = 0;
    SdlEventTranslator events{window, imgui, cursor, gamepads, states, reveal, menuHeight};

    SdlOptions options;
    TimedEventQueue script;
    StopSignals stop;
    std::deque<PlatformEvent> pending; // events produced by frames and boxes
    Clock::time_point lastPump{};
    Clock::time_point lastFrame{};
    // The notice shown last and when (it shows two seconds, then fades).
    std::string notice;
    Clock::time_point noticeAt{};
    uint64_t frames = 0;
    bool windowOpen = false;
    // The engine's work while a box waits; presents meanwhile only upload.
    std::function<void()> modalHook;
    bool inModal = false;
    // A present came within a frame interval of the last frame: its picture
    // is in the texture, shown by the next frame (at the latest when the
    // pump next runs past the interval, or before a sleep).
    bool pictureOwed = false;

    bool init(std::string& error);
    // One frame: picture, menu bar, shown views and the overlays. Returns the
    // id of a menu item chosen in this frame (0 if none). Without show, the
    // frame stays in the back buffer (to be read back).
    int renderFrame(const ImGuiLayer::Overlays& overlays = {}, bool show = true);
    // A frame whose menu choice (if any) waits in pending.
    void renderAndQueueMenu();
    // Takes one SDL event off the queue (refilling it at most every kPumpInterval).
    bool takeSdlEvent(SDL_Event& e, Clock::time_point now);
    // Runs a box or modal view until answered; events that arrive meanwhile
    // wait in pending.
    BoxAnswer runModal(ImGuiLayer::Overlays overlays, std::string_view title, std::string_view text,
                       BoxAnswer scriptedDefault);
    BoxAnswer keyAnswer(const ImGuiLayer::Overlays& o, int vk);
    void applyCursor();
    // Carries out the window state the engine asked for last.
    void applyWindowState();
    // The menus' zoom for the window's size and the display's density.
    void updateMenuZoom();
};

bool SdlPlatform::Impl::init(std::string& error) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    menuHeight = ImGuiLayer::initialMenuHeight();
    if (!window.create(options.scale, menuHeight, error)) return false;
    if (!imgui.attach(window.window(), window.renderer())) {
        error = "cannot start the menu bar (Dear ImGui)";
        return false;
    }
    SDL_StopTextInput(); // no input method over the game
    events.onMenuPress([this] { renderFrame(); });
    window.setScaleMode(options.scaleMode, menuHeight);
    return true;
}

void SdlPlatform::Impl::applyWindowState() {
    const std::optional<WindowShow> show = states.takePending();
    if (!show) return;
    SDL_Window* w = window.window();
    const Uint32 flags = SDL_GetWindowFlags(w);
    switch (*show) {
    case WindowShow::kRestore:
        if ((flags & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_MAXIMIZED)) != 0) SDL_RestoreWindow(w);
        break;
    case WindowShow::kMaximise:
        // Full screen is the maximised look already.
        if (window.displayMode() == DisplayMode::kWindowed && (flags & SDL_WINDOW_MAXIMIZED) == 0)
            SDL_MaximizeWindow(w);
        break;
    case WindowShow::kMinimise:
        if ((flags & SDL_WINDOW_MINIMIZED) == 0) SDL_MinimizeWindow(w);
        break;
    }
}

void SdlPlatform::Impl::updateMenuZoom() {
    int w = 0, h = 0;
    SDL_GetWindowSize(window.window(), &w, &h);
    float dpi = 0;
    const int display = SDL_GetWindowDisplayIndex(window.window());
    if (display < 0 || SDL_GetDisplayDPI(display, &dpi, nullptr, nullptr) != 0) dpi = 0;
    float rx = 1.0f, ry = 1.0f;
    window.pixelRatio(rx, ry);
    // The density counts in points: a high-density display's pixels are
    // already taken care of by the pixel ratio.
    imgui.setZoom(ScaledView::menuZoom(w, h, dpi / ry), rx, ry);
}

void SdlPlatform::Impl::applyCursor() {
    int my = 0;
    SDL_GetMouseState(nullptr, &my);
    cursor.apply(my, reveal.rows(menuHeight));
}

int SdlPlatform::Impl::renderFrame(const ImGuiLayer::Overlays& overlays, bool show) {
    // A size the window system changed without telling (yet) is followed.
    if (window.followSize(menuHeight)) cursor.reconfine(window.window(), window.view());
    updateMenuZoom();
    float noticeAlpha = 0.0f;
    if (!notice.empty()) {
        const auto shown = Clock::now() - noticeAt;
        if (shown < kNoticeTime) {
            noticeAlpha = 1.0f;
        } else if (shown < kNoticeTime + kNoticeFade) {
            noticeAlpha = 1.0f - std::chrono::duration<float>(shown - kNoticeTime).count() /
                                     std::chrono::duration<float>(kNoticeFade).count();
        } else {
            notice.clear();
        }
    }
    imgui.setNotice(notice, noticeAlpha);
    window.drawPicture();
    const ViewRect p = window.view().picture();
    imgui.setMenuBarShown(reveal.shown());
    const int chosen = imgui.drawFrame(overlays, p.w, p.h);
    if (chosen) reveal.dismiss();
    if (show) SDL_RenderPresent(window.renderer());
    lastFrame = Clock::now();
    pictureOwed = false;
    ++frames;
    // The bar's real height decides where the picture goes.
    const int drawn = static_cast<int>(imgui.menuBar().height() + 0.5f);
    if (drawn > 0 && drawn != menuHeight) {
        const int grow = drawn - menuHeight;
        menuHeight = drawn;
        window.growBy(grow, menuHeight);
        cursor.reconfine(window.window(), window.view());
    }
    return chosen;
}

void SdlPlatform::Impl::renderAndQueueMenu() {
    if (const int chosen = renderFrame()) pending.push_back(menuEvent(chosen));
}

bool SdlPlatform::Impl::takeSdlEvent(SDL_Event& e, Clock::time_point now) {
    if (now - lastPump >= kPumpInterval) {
        SDL_PumpEvents();
        lastPump = now;
    }
    return SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1;
}

BoxAnswer SdlPlatform::Impl::keyAnswer(const ImGuiLayer::Overlays& o, int vk) {
    if (o.box) return o.box->key(vk);
    if (o.chooser) return o.chooser->key(vk);
    if (o.entry) return o.entry->key(vk);
    if (o.help) return o.help->key(vk);
    if (o.modalView) return o.modalView->key(vk) ? BoxAnswer::kNone : BoxAnswer::kCancel;
    return BoxAnswer::kNone;
}

BoxAnswer SdlPlatform::Impl::runModal(ImGuiLayer::Overlays o, std::string_view title,
                                      std::string_view text, BoxAnswer scriptedDefault) {
    // After the quit timer fired nobody is there to answer: take the default
    // answer at once and say what was asked, as the headless backend does.
    // After a stop signal the box is cancelled.
    const bool stopped = StopSignals::arrived();
    if (script.quitting() || !windowOpen || stopped) {
        std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(),
                     static_cast<int>(text.size()), text.data());
        std::fflush(stderr);
        return stopped ? BoxAnswer::kCancel : scriptedDefault;
    }
    cursor.setInBox(true);
    cursor.apply(0, menuHeight);
    const bool outerModal = inModal;
    inModal = true;
    BoxAnswer answer = BoxAnswer::kNone;
    o.answer = &answer;
    // Two frames: the first opens the popup, the second sizes it.
    renderFrame(o);
    while (answer == BoxAnswer::kNone) {
        // A stop signal cancels the box; the pump takes the stop up after it.
        if (StopSignals::arrived()) {
            answer = BoxAnswer::kCancel;
            break;
        }
        PlatformEvent scripted;
        if (script.started() && script.next(nowMilliseconds(), scripted)) {
            if (scripted.type == PlatformEvent::Type::kKeyDown)
                answer = keyAnswer(o, scripted.code);
            else if (scripted.type == PlatformEvent::Type::kText && o.entry)
                o.entry->type(scripted.text);
            else if (scripted.type == PlatformEvent::Type::kClose && script.quitting())
                answer = scriptedDefault;
            else if (scripted.type != PlatformEvent::Type::kKeyUp)
                pending.push_back(std::move(scripted));
            if (answer != BoxAnswer::kNone) break;
            continue;
        }
        SDL_Event e;
        if (SDL_WaitEventTimeout(&e, kBoxWaitMs) == 1) {
            PlatformEvent out;
            if (e.type == SDL_KEYDOWN) {
                imgui.process(e);
                const int vk = virtualKeyForScancode(e.key.keysym.scancode);
                if (vk != 0) answer = keyAnswer(o, vk);
            } else if (o.entry && (e.type == SDL_TEXTINPUT || e.type == SDL_KEYUP)) {
                imgui.process(e); // typing in the text field
                if (e.type == SDL_KEYUP && events.translate(e, out)) pending.push_back(std::move(out));
            } else if (e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEWHEEL) {
                imgui.process(e); // a click on the box's buttons
            } else if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE) {
                answer = BoxAnswer::kCancel; // closing the window cancels the box
            } else if (events.translate(e, out) && out.type != PlatformEvent::Type::kMouseMove) {
                // Releases, focus changes, resizes and drops reach the engine
                // after the box, so no input stays held and no state is lost.
                pending.push_back(std::move(out));
            }
            if (answer != BoxAnswer::kNone) break;
        }
        // The timer's work goes on behind the box (not from inside a nested box).
        if (modalHook && !outerModal) modalHook();
        BoxAnswer clicked = BoxAnswer::kNone;
        o.answer = &clicked;
        renderFrame(o);
        o.answer = &answer;
        if (clicked != BoxAnswer::kNone) answer = clicked;
        if (o.modalView && imgui.modalClosed()) answer = BoxAnswer::kCancel;
    }
    inModal = outerModal;
    cursor.setInBox(false);
    // One more frame closes the popup.
    renderFrame();
    applyCursor();
    return answer;
}

std::unique_ptr<SdlPlatform> SdlPlatform::create(SdlOptions options, std::string& error) {
    auto impl = std::make_unique<Impl>();
    impl->script = TimedEventQueue(options.events, options.quitAfterMs);
    impl->options = std::move(options);
    if (!impl->init(error)) return nullptr;
    return std::unique_ptr<SdlPlatform>(new SdlPlatform(std::move(impl)));
}

SdlPlatform::SdlPlatform(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

SdlPlatform::~SdlPlatform() = default;

bool SdlPlatform::openWindow(std::string_view title, const MenuModel& menu) {
    Impl& m = *impl_;
    m.imgui.setMenu(menu, title);
    m.imgui.addTexts(m.options.labels.ok, m.options.labels.cancel);
    m.window.show(title);
    m.windowOpen = true;
    m.window.layout(m.menuHeight);
    m.renderFrame();
    return true;
}

void SdlPlatform::closeWindow() {
    Impl& m = *impl_;
    if (!m.windowOpen) return;
    m.windowOpen = false;
    m.window.hide();
}

void SdlPlatform::setMenuCheck(int id, bool checked) {
    if (impl_->imgui.menuBar().setCheck(id, checked)) impl_->events.framesOwed() = 1;
}

bool SdlPlatform::menuChecked(int id) const {
    return impl_->imgui.menuBar().checked(id);
}

bool SdlPlatform::nextEvent(PlatformEvent& event) {
    Impl& m = *impl_;
    if (m.stop.take(event)) return true;
    if (!m.pending.empty()) {
        event = std::move(m.pending.front());
        m.pending.pop_front();
        return true;
    }
    m.applyWindowState();
    const Clock::time_point now = Clock::now();
    if (m.pictureOwed && m.windowOpen && now - m.lastFrame >= kFrameInterval) {
        m.renderAndQueueMenu();
        if (!m.pending.empty()) return nextEvent(event);
    }
    if (m.gamepads.next(event)) return true;
    if (m.script.started() && !m.script.finished() && m.script.next(nowMilliseconds(), event)) {
        if (event.type == PlatformEvent::Type::kMouseMove) {
            m.cursor.clamp(event.x, event.y);
            m.cursor.setPosition(event.x, event.y);
        }
        return true;
    }
    SDL_Event e;
    if (m.takeSdlEvent(e, now) && m.events.translate(e, event)) {
        // Menus answer clicks and keys in the next frame.
        if (e.type != SDL_MOUSEMOTION && m.windowOpen) m.renderAndQueueMenu();
        return true;
    }
    int& owed = m.events.framesOwed();
    if (!m.notice.empty()) owed = std::max(owed, 1); // the notice fades frame by frame
    if (owed > 0 && m.windowOpen && now - m.lastFrame >= kFrameInterval) {
        --owed;
        if (const int chosen = m.renderFrame()) {
            event = menuEvent(chosen);
            return true;
        }
    }
    return false;
}

void SdlPlatform::present(const PlaneView& plane, std::span<const PaletteEntry, 256> palette, int x,
                          int y, int w, int h) {
    Impl& m = *impl_;
    m.window.upload(plane, palette, x, y, w, h);
    // Inside a box the box's next frame shows the new picture.
    if (!m.windowOpen || m.inModal) return;
    // At most one frame per frame interval: presents in between only convert
    // their rectangle into the texture, and the frame that follows shows them.
    if (Clock::now() - m.lastFrame >= kFrameInterval) {
        m.renderAndQueueMenu();
    } else {
        m.pictureOwed = true;
    }
}

void SdlPlatform::setModalHook(std::function<void()> hook) {
    impl_->modalHook = std::move(hook);
}

void SdlPlatform::messageBox(std::string_view title, std::string_view text) {
    Impl& m = *impl_;
    // Before the window exists (a failed start), a player who started the
    // game from a launcher still sees why: the system's own box. Runs driven
    // by scripted input or a quit timer have nobody to close it.
    if (!m.windowOpen && m.options.events.empty() && !m.options.quitAfterMs) {
        std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(),
                     static_cast<int>(text.size()), text.data());
        std::fflush(stderr);
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, std::string(title).c_str(),
                                 std::string(text).c_str(), nullptr);
        return;
    }
    impl_->imgui.addTexts(title, text);
    MessageBoxView box{std::string(title), std::string(text), false, m.options.labels};
    ImGuiLayer::Overlays o;
    o.box = &box;
    impl_->runModal(o, title, text, BoxAnswer::kOk);
}

bool SdlPlatform::confirmBox(std::string_view title, std::string_view text) {
    impl_->imgui.addTexts(title, text);
    MessageBoxView box{std::string(title), std::string(text), true, impl_->options.labels};
    ImGuiLayer::Overlays o;
    o.box = &box;
    return impl_->runModal(o, title, text, BoxAnswer::kOk) == BoxAnswer::kOk;
}

void SdlPlatform::showNotice(std::string_view text) {
    Impl& m = *impl_;
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    m.imgui.addTexts(text, {});
    m.notice = std::string(text);
    m.noticeAt = Clock::now();
    m.events.framesOwed() = std::max(m.events.framesOwed(), 1);
}

void SdlPlatform::helpBox(const HelpPage& page) {
    Impl& m = *impl_;
    m.imgui.addTexts(page.title, page.keysHeading);
    for (const auto& [keys, action] : page.keys) m.imgui.addTexts(keys, action);
    m.imgui.addTexts(page.aboutHeading, page.about);
    m.imgui.addTexts(page.ok, {});
    HelpBoxView help{page};
    ImGuiLayer::Overlays o;
    o.help = &help;
    m.runModal(o, page.title, page.about, BoxAnswer::kOk);
}

std::string SdlPlatform::chooseScriptFile(const std::vector<std::string>& names) {
    for (const auto& name : names) impl_->imgui.addTexts(name, {});
    ScriptChooserView chooser{names, impl_->options.labels};
    ImGuiLayer::Overlays o;
    o.chooser = &chooser;
    // Without a player the choice is the first file, as in the headless backend.
    const BoxAnswer answer =
        impl_->runModal(o, "*.MES", names.empty() ? "" : names.front(), names.empty() ? BoxAnswer::kCancel : BoxAnswer::kOk);
    return answer == BoxAnswer::kOk ? chooser.selected() : std::string();
}

void SdlPlatform::showCursor(bool shown) {
    impl_->cursor.setShown(shown);
    impl_->applyCursor();
}

void SdlPlatform::confineCursor(int left, int top, int right, int bottom) {
    Impl& m = *impl_;
    m.cursor.confine(m.window.window(), m.window.view(), left, top, right, bottom);
}

void SdlPlatform::releaseCursor() {
    impl_->cursor.release(impl_->window.window());
}

void SdlPlatform::moveCursor(int x, int y) {
    Impl& m = *impl_;
    m.cursor.clamp(x, y);
    m.cursor.setPosition(x, y);
    int wx = 0, wy = 0;
    m.window.view().toWindow(x, y, wx, wy);
    if (m.windowOpen) SDL_WarpMouseInWindow(m.window.window(), wx, wy);
}

void SdlPlatform::cursorPosition(int& x, int& y) const {
    x = impl_->cursor.x();
    y = impl_->cursor.y();
}

void SdlPlatform::setCursorImage(const CursorImage* image) {
    if (!impl_->cursor.setImage(image) && image)
        std::fprintf(stderr, "engine: the cursor image cannot be used: %s\n", SDL_GetError());
}

bool SdlPlatform::hasCursorImage() const {
    return impl_->cursor.hasImage();
}

bool SdlPlatform::setDisplayMode(DisplayMode mode) {
    Impl& m = *impl_;
    const bool done = m.window.setDisplayMode(mode, m.menuHeight);
    if (!done) return false;
    m.reveal.setFullScreen(m.window.displayMode() == DisplayMode::kFullScreen);
    // The cursor keeps its confinement, and its look, in the new layout.
    m.cursor.reconfine(m.window.window(), m.window.view());
    if (m.windowOpen) {
        m.renderFrame();
        m.applyCursor();
    }
    return true;
}

std::vector<WindowSize> SdlPlatform::showWindow(WindowShow show) {
    impl_->states.request(show);
    return {};
}

bool SdlPlatform::windowMaximised() const {
    return (SDL_GetWindowFlags(impl_->window.window()) & SDL_WINDOW_MAXIMIZED) != 0;
}

DisplayMode SdlPlatform::displayMode() const {
    return impl_->window.displayMode();
}

void SdlPlatform::setScaleMode(ScaleMode mode) {
    Impl& m = *impl_;
    m.window.setScaleMode(mode, m.menuHeight);
    if (m.windowOpen) m.renderFrame();
}

ScaleMode SdlPlatform::scaleMode() const {
    return impl_->window.scaleMode();
}

void SdlPlatform::setClipboardText(std::string_view utf8) {
    // SDL keeps its own copy and serves it to other programs while its events are pumped.
    const std::string text(utf8);
    if (SDL_SetClipboardText(text.c_str()) != 0)
        std::fprintf(stderr, "engine: the clipboard cannot be set: %s\n", SDL_GetError());
}

AudioOutput& SdlPlatform::audio() {
    return impl_->audio;
}

void SdlPlatform::showDebugView(DebugView& view) {
    impl_->imgui.showView(view);
    impl_->events.framesOwed() = 1;
}

void SdlPlatform::hideDebugView(DebugView& view) {
    impl_->imgui.hideView(view);
    impl_->events.framesOwed() = 1;
}

bool SdlPlatform::debugViewShown(const DebugView& view) const {
    return impl_->imgui.viewShown(view);
}

void SdlPlatform::refreshDebugView(DebugView& view) {
    if (impl_->imgui.viewShown(view)) impl_->events.framesOwed() = 1;
}

std::optional<std::string> SdlPlatform::askText(std::string_view title, std::string_view prompt) {
    impl_->imgui.addTexts(title, prompt);
    TextEntryView entry{std::string(title), std::string(prompt)};
    ImGuiLayer::Overlays o;
    o.entry = &entry;
    SDL_StartTextInput();
    const BoxAnswer answer = impl_->runModal(o, title, prompt, BoxAnswer::kCancel);
    SDL_StopTextInput();
    if (answer != BoxAnswer::kOk) return std::nullopt;
    return entry.text();
}

void SdlPlatform::runDebugView(DebugView& view) {
    impl_->imgui.addViewTexts(view);
    ImGuiLayer::Overlays o;
    o.modalView = &view;
    impl_->runModal(o, view.title(), "", BoxAnswer::kCancel);
}

bool SdlPlatform::shiftHeld() const {
    return (SDL_GetModState() & KMOD_SHIFT) != 0;
}

uint64_t SdlPlatform::milliseconds() const {
    return nowMilliseconds();
}

void SdlPlatform::sleepMilliseconds(int ms) {
    // What was presented is on the screen while the engine sleeps.
    Impl& m = *impl_;
    if (m.pictureOwed && m.windowOpen) m.renderAndQueueMenu();
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SdlPlatform::waitForEvent(int maxMs) {
    Impl& m = *impl_;
    if (!m.pending.empty() || StopSignals::arrived()) return;
    auto wait = std::chrono::milliseconds(maxMs);
    // A menu frame that is owed, and scripted input, come on time.
    if (m.events.framesOwed() > 0 && m.windowOpen) {
        const auto sinceFrame = Clock::now() - m.lastFrame;
        if (sinceFrame >= kFrameInterval) return;
        wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(kFrameInterval - sinceFrame));
    }
    if (const auto until = m.script.untilNext(nowMilliseconds()))
        wait = std::min(wait, std::chrono::milliseconds(*until));
    if (wait.count() > 0) SDL_WaitEventTimeout(nullptr, static_cast<int>(wait.count()));
}

void SdlPlatform::startClock() {
    impl_->script.start(milliseconds());
}

int SdlPlatform::scaleFactor() const {
    return impl_->window.view().factor();
}

int SdlPlatform::menuBarHeight() const {
    return impl_->menuHeight;
}

bool SdlPlatform::menuBarShown() const {
    return impl_->reveal.shown();
}

void SdlPlatform::windowSize(int& width, int& height) const {
    SDL_GetWindowSize(impl_->window.window(), &width, &height);
}

void SdlPlatform::setWindowSize(int width, int height) {
    SDL_SetWindowSize(impl_->window.window(), width, height);
    impl_->window.layout(impl_->menuHeight);
}

void SdlPlatform::pictureOrigin(int& x, int& y) const {
    x = impl_->window.view().picture().x;
    y = impl_->window.view().picture().y;
}

uint32_t SdlPlatform::windowId() const {
    return SDL_GetWindowID(impl_->window.window());
}

uint32_t SdlPlatform::shownPixel(int windowX, int windowY) const {
    // Reads the back buffer as last drawn: draw the frame again first.
    Impl& m = *impl_;
    m.renderFrame({}, false);
    const SDL_Rect rect{windowX, windowY, 1, 1};
    uint32_t argb = 0;
    SDL_RenderReadPixels(m.window.renderer(), &rect, SDL_PIXELFORMAT_ARGB8888, &argb, 4);
    SDL_RenderPresent(m.window.renderer());
    return argb & 0xFFFFFFu;
}

bool SdlPlatform::mouseConfinement(int& x, int& y, int& w, int& h) const {
    const SDL_Rect* rect = SDL_GetWindowMouseRect(impl_->window.window());
    if (!rect) return false;
    x = rect->x;
    y = rect->y;
    w = rect->w;
    h = rect->h;
    return true;
}

bool SdlPlatform::cursorShownNow() const {
    return SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE;
}

int SdlPlatform::menuZoom() const {
    return impl_->imgui.zoom();
}

size_t SdlPlatform::gamepads() const {
    return impl_->gamepads.count();
}

uint64_t SdlPlatform::frames() const {
    return impl_->frames;
}

} // namespace fer

#include "platform/sdl/SdlPlatform.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <thread>

#include <SDL.h>
#include <imgui.h>
#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>

#include "platform/ScriptFiles.h"
#include "platform/sdl/ImGuiDialogs.h"
#include "platform/sdl/ImGuiMenuBar.h"
#include "platform/sdl/KeyMapping.h"
#include "platform/sdl/MenuFont.h"
#include "platform/sdl/MenuGlyphs.h"
#include "platform/sdl/ScaledView.h"
#include "platform/sdl/TimedEventQueue.h"

namespace fer {

// The key mapping speaks USB HID usage ids, which are SDL's scancodes.
static_assert(scancode::kReturn == SDL_SCANCODE_RETURN &&
              scancode::kEscape == SDL_SCANCODE_ESCAPE && scancode::kSpace == SDL_SCANCODE_SPACE &&
              scancode::kF12 == SDL_SCANCODE_F12 && scancode::kRight == SDL_SCANCODE_RIGHT &&
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
// After input, a few more ImGui frames let menus open and highlights settle.
constexpr int kFramesAfterInput = 3;
constexpr auto kFrameInterval = std::chrono::milliseconds(10);
// Room for the window's title bar and frame when the default scale is chosen.
constexpr int kFrameAllowance = 48;
// How long a box waits for an event before it draws again.
constexpr int kBoxWaitMs = 30;

struct WindowDeleter {
    void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
};
struct RendererDeleter {
    void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
};
struct TextureDeleter {
    void operator()(SDL_Texture* t) const { SDL_DestroyTexture(t); }
};

// Starts SDL's video subsystem and stops it again (other subsystems, such as
// audio, are counted separately by SDL).
class VideoSubsystem {
  public:
    VideoSubsystem() { ok_ = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0; }
    ~VideoSubsystem() {
        if (ok_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    VideoSubsystem(const VideoSubsystem&) = delete;
    VideoSubsystem& operator=(const VideoSubsystem&) = delete;
    bool ok() const { return ok_; }

  private:
    bool ok_ = false;
};

// The ImGui context with its SDL platform and renderer backends.
class ImGuiSession {
  public:
    ImGuiSession() {
        IMGUI_CHECKVERSION();
        context_ = ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr; // no imgui.ini in the game directory
        io.LogFilename = nullptr;
        // The engine decides whether the cursor is shown.
        io.ConfigFlags |= ImGuiConfigFlags_NoMouseCursorChange;
        ImGui::StyleColorsDark();
        ImGuiStyle& style = ImGui::GetStyle();
        style.WindowRounding = 0;
        style.PopupRounding = 0;
        style.FrameRounding = 0;
        style.Colors[ImGuiCol_ModalWindowDimBg] = ImVec4(0, 0, 0, 0.4f); // darken, not fog
    }
    ~ImGuiSession() {
        if (renderer_) ImGui_ImplSDLRenderer_Shutdown();
        if (platform_) ImGui_ImplSDL2_Shutdown();
        ImGui::DestroyContext(context_);
    }
    ImGuiSession(const ImGuiSession&) = delete;
    ImGuiSession& operator=(const ImGuiSession&) = delete;

    bool attach(SDL_Window* window, SDL_Renderer* renderer) {
        platform_ = ImGui_ImplSDL2_InitForSDLRenderer(window);
        renderer_ = platform_ && ImGui_ImplSDLRenderer_Init(renderer);
        return platform_ && renderer_;
    }

  private:
    ImGuiContext* context_ = nullptr;
    bool platform_ = false;
    bool renderer_ = false;
};

uint64_t nowMilliseconds() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
            .count());
}

uint32_t toArgb(const PaletteEntry& e) {
    return 0xFF000000u | (uint32_t{e.red} << 16) | (uint32_t{e.green} << 8) | e.blue;
}

} // namespace

struct SdlPlatform::Impl {
    // Declared in construction order; destroyed in reverse.
    VideoSubsystem video;
    std::unique_ptr<SDL_Window, WindowDeleter> window;
    std::unique_ptr<SDL_Renderer, RendererDeleter> renderer;
    std::unique_ptr<SDL_Texture, TextureDeleter> texture;
    ImGuiSession imgui;

    SdlOptions options;
    TimedEventQueue script;
    ScaledView view;
    ImGuiMenuBar menuBar;
    MenuGlyphs glyphs;
    MenuFont font;
    std::string fontPath;
    int menuHeight = 0;
    int factor = 1;
    bool windowOpen = false;

    std::deque<PlatformEvent> pending; // events produced by frames and boxes
    Clock::time_point lastPump{};
    Clock::time_point lastFrame{};
    int framesOwed = 0;
    uint64_t frames = 0;
    bool inBox = false;

    // Files of a drop in progress (between begin and complete).
    bool dropping = false;
    std::vector<std::string> droppedFiles;

    // The cursor in client coordinates, and the confinement.
    int cursorX = 0;
    int cursorY = 0;
    bool cursorShown = true;
    bool confined = false;
    int clipLeft = 0, clipTop = 0, clipRight = ScaledView::kWidth - 1,
        clipBottom = ScaledView::kHeight - 1;

    bool init(std::string& error);
    void layout();
    void rebuildFontIfNeeded(std::string_view a, std::string_view b);
    void applyCursorVisibility(int windowY);
    void clampCursor(int& x, int& y) const;

    // One frame: picture, menu bar and the box (if any). Returns the id of a
    // menu item chosen in this frame (0 if none).
    // Without show, the frame stays in the back buffer (to be read back).
    int renderFrame(MessageBoxView* box, ScriptChooserView* chooser, BoxAnswer* answer,
                    bool show = true);
    // Takes one SDL event off the queue (refilling it at most every kPumpInterval).
    bool takeSdlEvent(SDL_Event& e, Clock::time_point now);
    // Translates one SDL event; true when it produced an engine event.
    bool translate(SDL_Event& e, PlatformEvent& out);
    // Runs a box until answered; events that arrive meanwhile wait in pending.
    BoxAnswer runBox(MessageBoxView* box, ScriptChooserView* chooser, std::string_view title,
                     std::string_view text, BoxAnswer scriptedDefault);
};

bool SdlPlatform::Impl::init(std::string& error) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    if (!video.ok()) {
        error = std::string("cannot start SDL video: ") + SDL_GetError();
        return false;
    }
    // The bar is one line of the 16-pixel font with the frame padding above and below.
    menuHeight = static_cast<int>(MenuFont::kPixelSize + 2 * ImGui::GetStyle().FramePadding.y);
    if (options.scale > 0) {
        factor = std::clamp(options.scale, 1, ScaledView::kMaxFactor);
    } else {
        SDL_Rect usable{0, 0, ScaledView::kWidth, ScaledView::kHeight + menuHeight};
        if (SDL_GetDisplayUsableBounds(0, &usable) != 0) SDL_GetDisplayBounds(0, &usable);
        factor = ScaledView::largestFactor(usable.w, usable.h - kFrameAllowance, menuHeight);
    }
    window.reset(SDL_CreateWindow(
        "", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, ScaledView::kWidth * factor,
        menuHeight + ScaledView::kHeight * factor, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE));
    if (!window) {
        error = std::string("cannot create the window: ") + SDL_GetError();
        return false;
    }
    renderer.reset(SDL_CreateRenderer(window.get(), -1, 0));
    if (!renderer) renderer.reset(SDL_CreateRenderer(window.get(), -1, SDL_RENDERER_SOFTWARE));
    if (!renderer) {
        error = std::string("cannot create a renderer: ") + SDL_GetError();
        return false;
    }
    texture.reset(SDL_CreateTexture(renderer.get(), SDL_PIXELFORMAT_ARGB8888,
                                    SDL_TEXTUREACCESS_STREAMING, ScaledView::kWidth,
                                    ScaledView::kHeight));
    if (!texture) {
        error = std::string("cannot create the picture texture: ") + SDL_GetError();
        return false;
    }
    SDL_SetTextureScaleMode(texture.get(), SDL_ScaleModeNearest);
    // The picture starts black.
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture.get(), nullptr, &pixels, &pitch) == 0) {
        for (int row = 0; row < ScaledView::kHeight; ++row) {
            auto* line = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) + row * pitch);
            std::fill(line, line + ScaledView::kWidth, 0xFF000000u);
        }
        SDL_UnlockTexture(texture.get());
    }
    if (!imgui.attach(window.get(), renderer.get())) {
        error = "cannot start the menu bar (Dear ImGui)";
        return false;
    }
    SDL_StopTextInput(); // no input method over the game
    SDL_SetWindowMinimumSize(window.get(), ScaledView::kWidth, menuHeight + ScaledView::kHeight);
    fontPath = MenuFont::findFile();
    if (!font.build(fontPath, glyphs))
        std::fprintf(stderr, "engine: no CJK font found for the menus (install fonts-unifont)\n");
    layout();
    return true;
}

void SdlPlatform::Impl::layout() {
    int w = 0, h = 0;
    SDL_GetWindowSize(window.get(), &w, &h);
    view.resize(w, h, menuHeight);
}

void SdlPlatform::Impl::rebuildFontIfNeeded(std::string_view a, std::string_view b) {
    bool added = glyphs.add(a);
    added |= glyphs.add(b);
    if (!added) return;
    font.build(fontPath, glyphs);
    ImGui_ImplSDLRenderer_DestroyFontsTexture();
    ImGui_ImplSDLRenderer_CreateFontsTexture();
}

void SdlPlatform::Impl::applyCursorVisibility(int windowY) {
    // The menu bar always has a cursor, even while the game hides it.
    const bool show = cursorShown || inBox || windowY < menuHeight;
    if ((SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE) != show)
        SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void SdlPlatform::Impl::clampCursor(int& x, int& y) const {
    x = std::clamp(x, 0, ScaledView::kWidth - 1);
    y = std::clamp(y, 0, ScaledView::kHeight - 1);
    if (!confined) return;
    x = std::clamp(x, std::min(clipLeft, clipRight), std::max(clipLeft, clipRight));
    y = std::clamp(y, std::min(clipTop, clipBottom), std::max(clipTop, clipBottom));
}

int SdlPlatform::Impl::renderFrame(MessageBoxView* box, ScriptChooserView* chooser,
                                   BoxAnswer* answer, bool show) {
    SDL_Renderer* r = renderer.get();
    ImGui_ImplSDLRenderer_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    ImGui::NewFrame();
    const int chosen = menuBar.draw(box == nullptr && chooser == nullptr);
    BoxAnswer given = BoxAnswer::kNone;
    if (box) given = box->draw();
    if (chooser) given = chooser->draw();
    if (answer) *answer = given;
    ImGui::Render();

    SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
    SDL_RenderClear(r);
    const ViewRect p = view.picture();
    const SDL_Rect dst{p.x, p.y, p.w, p.h};
    SDL_RenderCopy(r, texture.get(), nullptr, &dst);
    ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
    if (show) SDL_RenderPresent(r);
    lastFrame = Clock::now();
    ++frames;

    // The bar's real height decides where the picture goes.
    const int drawn = static_cast<int>(menuBar.height() + 0.5f);
    if (drawn > 0 && drawn != menuHeight) {
        const int grow = drawn - menuHeight;
        menuHeight = drawn;
        int w = 0, h = 0;
        SDL_GetWindowSize(window.get(), &w, &h);
        SDL_SetWindowMinimumSize(window.get(), ScaledView::kWidth,
                                 menuHeight + ScaledView::kHeight);
        SDL_SetWindowSize(window.get(), w, h + grow);
        layout();
    }
    return chosen;
}

bool SdlPlatform::Impl::takeSdlEvent(SDL_Event& e, Clock::time_point now) {
    if (now - lastPump >= kPumpInterval) {
        SDL_PumpEvents();
        lastPump = now;
    }
    return SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1;
}

bool SdlPlatform::Impl::translate(SDL_Event& e, PlatformEvent& out) {
    using T = PlatformEvent::Type;
    auto make = [&out](T type, int code = 0) {
        out = PlatformEvent{};
        out.type = type;
        out.code = code;
        return true;
    };
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        ImGui_ImplSDL2_ProcessEvent(&e);
        framesOwed = kFramesAfterInput;
        const bool down = e.type == SDL_KEYDOWN;
        if (e.key.keysym.scancode == SDL_SCANCODE_F12)
            return down && !e.key.repeat && make(T::kScreenshot);
        const int vk = virtualKeyForScancode(e.key.keysym.scancode);
        if (vk == 0) return false;
        return make(down ? T::kKeyDown : T::kKeyUp, vk);
    }
    case SDL_MOUSEMOTION: {
        ImGui_ImplSDL2_ProcessEvent(&e);
        framesOwed = kFramesAfterInput;
        applyCursorVisibility(e.motion.y);
        int x = 0, y = 0;
        view.toClient(e.motion.x, e.motion.y, x, y);
        clampCursor(x, y);
        if (x == cursorX && y == cursorY) return false;
        cursorX = x;
        cursorY = y;
        make(T::kMouseMove);
        out.x = x;
        out.y = y;
        return true;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        ImGui_ImplSDL2_ProcessEvent(&e);
        framesOwed = kFramesAfterInput;
        const bool down = e.type == SDL_MOUSEBUTTONDOWN;
        if (down) {
            // Clicks on the menu bar or an open menu belong to the menus.
            const bool forMenus = e.button.y < menuHeight || ImGui::GetIO().WantCaptureMouse ||
                                  ImGui::IsPopupOpen(nullptr, ImGuiPopupFlags_AnyPopup);
            if (forMenus) {
                renderFrame(nullptr, nullptr, nullptr); // let the menu see the press
                return false;
            }
            int x = 0, y = 0;
            view.toClient(e.button.x, e.button.y, x, y);
            clampCursor(x, y);
            cursorX = x;
            cursorY = y;
        }
        const int message = mouseButtonMessage(e.button.button, down);
        return message != 0 && make(down ? T::kKeyDown : T::kKeyUp, message);
    }
    case SDL_WINDOWEVENT:
        ImGui_ImplSDL2_ProcessEvent(&e);
        framesOwed = kFramesAfterInput;
        switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE: return make(T::kClose);
        case SDL_WINDOWEVENT_FOCUS_GAINED: return make(T::kActivate);
        case SDL_WINDOWEVENT_FOCUS_LOST: return make(T::kDeactivate);
        case SDL_WINDOWEVENT_MINIMIZED: return make(T::kMinimise);
        case SDL_WINDOWEVENT_RESTORED: layout(); return make(T::kRestore);
        case SDL_WINDOWEVENT_SIZE_CHANGED: layout(); return make(T::kExpose);
        case SDL_WINDOWEVENT_EXPOSED: return make(T::kExpose);
        default: return false;
        }
    case SDL_DROPBEGIN:
        dropping = true;
        droppedFiles.clear();
        return false;
    case SDL_DROPFILE: {
        std::string path = e.drop.file ? e.drop.file : "";
        SDL_free(e.drop.file);
        e.drop.file = nullptr;
        if (dropping) {
            droppedFiles.push_back(std::move(path));
            return false;
        }
        make(T::kDropFile);
        out.text = std::move(path);
        return true;
    }
    case SDL_DROPTEXT:
        SDL_free(e.drop.file);
        e.drop.file = nullptr;
        return false;
    case SDL_DROPCOMPLETE:
        dropping = false;
        // Only a drop of exactly one file switches scripts.
        if (droppedFiles.size() != 1) return false;
        make(T::kDropFile);
        out.text = std::move(droppedFiles.front());
        droppedFiles.clear();
        return true;
    default:
        // SDL_QUIT follows the window's close event, which is what counts.
        return false;
    }
}

BoxAnswer SdlPlatform::Impl::runBox(MessageBoxView* box, ScriptChooserView* chooser,
                                    std::string_view title, std::string_view text,
                                    BoxAnswer scriptedDefault) {
    // After the quit timer fired nobody is there to answer: take the default
    // answer at once and say what was asked, as the headless backend does.
    if (script.quitting() || !windowOpen) {
        std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(),
                     static_cast<int>(text.size()), text.data());
        std::fflush(stderr);
        return scriptedDefault;
    }
    inBox = true;
    applyCursorVisibility(0);
    // Two frames: the first opens the popup, the second sizes it.
    BoxAnswer answer = BoxAnswer::kNone;
    renderFrame(box, chooser, &answer);
    auto keyAnswer = [&](int vk) { return box ? box->key(vk) : chooser->key(vk); };
    while (answer == BoxAnswer::kNone) {
        PlatformEvent scripted;
        if (script.started() && script.next(nowMilliseconds(), scripted)) {
            if (scripted.type == PlatformEvent::Type::kKeyDown)
                answer = keyAnswer(scripted.code);
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
                ImGui_ImplSDL2_ProcessEvent(&e);
                const int vk = virtualKeyForScancode(e.key.keysym.scancode);
                if (vk != 0) answer = keyAnswer(vk);
            } else if (e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEWHEEL) {
                ImGui_ImplSDL2_ProcessEvent(&e); // a click on the box's buttons
            } else if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE) {
                answer = BoxAnswer::kCancel; // closing the window cancels the box
            } else if (translate(e, out) && out.type != PlatformEvent::Type::kMouseMove) {
                // Releases, focus changes, resizes and drops reach the engine
                // after the box, so no input stays held and no state is lost.
                pending.push_back(std::move(out));
            }
            if (answer != BoxAnswer::kNone) break;
        }
        BoxAnswer clicked = BoxAnswer::kNone;
        renderFrame(box, chooser, &clicked);
        if (clicked != BoxAnswer::kNone) answer = clicked;
    }
    inBox = false;
    // One more frame closes the popup.
    renderFrame(nullptr, nullptr, nullptr);
    int my = 0;
    SDL_GetMouseState(nullptr, &my);
    applyCursorVisibility(my);
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
    m.menuBar.setModel(menu);
    m.glyphs.add(title);
    m.glyphs.add(menu);
    m.font.build(m.fontPath, m.glyphs);
    ImGui_ImplSDLRenderer_DestroyFontsTexture();
    ImGui_ImplSDLRenderer_CreateFontsTexture();
    SDL_SetWindowTitle(m.window.get(), std::string(title).c_str());
    SDL_ShowWindow(m.window.get());
    SDL_RaiseWindow(m.window.get());
    m.windowOpen = true;
    m.layout();
    m.renderFrame(nullptr, nullptr, nullptr);
    return true;
}

void SdlPlatform::closeWindow() {
    Impl& m = *impl_;
    if (!m.windowOpen) return;
    m.windowOpen = false;
    SDL_SetWindowMouseRect(m.window.get(), nullptr);
    SDL_HideWindow(m.window.get());
}

void SdlPlatform::setMenuCheck(int id, bool checked) {
    if (impl_->menuBar.setCheck(id, checked)) impl_->framesOwed = 1;
}

bool SdlPlatform::menuChecked(int id) const {
    return impl_->menuBar.checked(id);
}

bool SdlPlatform::nextEvent(PlatformEvent& event) {
    Impl& m = *impl_;
    if (!m.pending.empty()) {
        event = std::move(m.pending.front());
        m.pending.pop_front();
        return true;
    }
    const Clock::time_point now = Clock::now();
    if (m.script.started() && !m.script.finished() && m.script.next(nowMilliseconds(), event)) {
        if (event.type == PlatformEvent::Type::kMouseMove) {
            m.clampCursor(event.x, event.y);
            m.cursorX = event.x;
            m.cursorY = event.y;
        }
        return true;
    }
    SDL_Event e;
    if (m.takeSdlEvent(e, now)) {
        if (m.translate(e, event)) {
            if (e.type != SDL_MOUSEMOTION && m.windowOpen) {
                // Menus answer clicks and keys in the next frame.
                if (const int chosen = m.renderFrame(nullptr, nullptr, nullptr)) {
                    PlatformEvent menuEvent;
                    menuEvent.type = PlatformEvent::Type::kMenu;
                    menuEvent.code = chosen;
                    m.pending.push_back(menuEvent);
                }
            }
            return true;
        }
    }
    if (m.framesOwed > 0 && m.windowOpen && now - m.lastFrame >= kFrameInterval) {
        --m.framesOwed;
        if (const int chosen = m.renderFrame(nullptr, nullptr, nullptr)) {
            event = PlatformEvent{};
            event.type = PlatformEvent::Type::kMenu;
            event.code = chosen;
            return true;
        }
    }
    return false;
}

void SdlPlatform::present(const PlaneView& plane, std::span<const PaletteEntry, 256> palette, int x,
                          int y, int w, int h) {
    Impl& m = *impl_;
    // Clip to the picture and the plane; a bad rectangle shows nothing new.
    const int right = std::min({x + std::max(w, 0), ScaledView::kWidth, plane.width});
    const int bottom = std::min({y + std::max(h, 0), ScaledView::kHeight, plane.height});
    x = std::max(x, 0);
    y = std::max(y, 0);
    if (plane.pixels && plane.stride >= plane.width && right > x && bottom > y) {
        uint32_t lookup[256];
        for (int i = 0; i < 256; ++i) lookup[i] = toArgb(palette[static_cast<size_t>(i)]);
        const SDL_Rect rect{x, y, right - x, bottom - y};
        void* pixels = nullptr;
        int pitch = 0;
        if (SDL_LockTexture(m.texture.get(), &rect, &pixels, &pitch) == 0) {
            for (int row = 0; row < rect.h; ++row) {
                // Plane rows are stored bottom-up.
                const uint8_t* src = plane.pixels +
                                     static_cast<size_t>(plane.height - 1 - (y + row)) *
                                         static_cast<size_t>(plane.stride) +
                                     static_cast<size_t>(x);
                auto* dst = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) +
                                                        static_cast<ptrdiff_t>(row) * pitch);
                for (int col = 0; col < rect.w; ++col) dst[col] = lookup[src[col]];
            }
            SDL_UnlockTexture(m.texture.get());
        }
    }
    if (!m.windowOpen) return;
    if (const int chosen = m.renderFrame(nullptr, nullptr, nullptr)) {
        PlatformEvent menuEvent;
        menuEvent.type = PlatformEvent::Type::kMenu;
        menuEvent.code = chosen;
        m.pending.push_back(menuEvent);
    }
}

void SdlPlatform::messageBox(std::string_view title, std::string_view text) {
    impl_->rebuildFontIfNeeded(title, text);
    MessageBoxView box{std::string(title), std::string(text), false};
    impl_->runBox(&box, nullptr, title, text, BoxAnswer::kOk);
}

bool SdlPlatform::confirmBox(std::string_view title, std::string_view text) {
    impl_->rebuildFontIfNeeded(title, text);
    MessageBoxView box{std::string(title), std::string(text), true};
    return impl_->runBox(&box, nullptr, title, text, BoxAnswer::kOk) == BoxAnswer::kOk;
}

void SdlPlatform::aboutBox(std::string_view title, std::string_view text) {
    messageBox(title, text);
}

std::string SdlPlatform::chooseScriptFile(const std::string& directory) {
    std::vector<std::string> names = scriptFilesIn(directory);
    for (const auto& name : names) impl_->rebuildFontIfNeeded(name, {});
    ScriptChooserView chooser{names};
    // Without a player the choice is the first file, as in the headless backend.
    const BoxAnswer answer = impl_->runBox(nullptr, &chooser, "*.MES", directory,
                                           names.empty() ? BoxAnswer::kCancel : BoxAnswer::kOk);
    return answer == BoxAnswer::kOk ? chooser.selected() : std::string();
}

void SdlPlatform::showCursor(bool shown) {
    impl_->cursorShown = shown;
    int my = 0;
    SDL_GetMouseState(nullptr, &my);
    impl_->applyCursorVisibility(my);
}

void SdlPlatform::confineCursor(int left, int top, int right, int bottom) {
    Impl& m = *impl_;
    m.confined = true;
    m.clipLeft = left;
    m.clipTop = top;
    m.clipRight = right;
    m.clipBottom = bottom;
    m.clampCursor(m.cursorX, m.cursorY);
    // Also ask the window system, which does not always honour it.
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    m.view.toWindow(std::min(left, right), std::min(top, bottom), x1, y1);
    m.view.toWindow(std::max(left, right), std::max(top, bottom), x2, y2);
    const int half = m.view.factor() / 2;
    const SDL_Rect rect{x1 - half, y1 - half, x2 - x1 + m.view.factor(), y2 - y1 + m.view.factor()};
    SDL_SetWindowMouseRect(m.window.get(), &rect);
}

void SdlPlatform::releaseCursor() {
    impl_->confined = false;
    SDL_SetWindowMouseRect(impl_->window.get(), nullptr);
}

void SdlPlatform::moveCursor(int x, int y) {
    Impl& m = *impl_;
    m.clampCursor(x, y);
    m.cursorX = x;
    m.cursorY = y;
    int wx = 0, wy = 0;
    m.view.toWindow(x, y, wx, wy);
    if (m.windowOpen) SDL_WarpMouseInWindow(m.window.get(), wx, wy);
}

void SdlPlatform::cursorPosition(int& x, int& y) const {
    x = impl_->cursorX;
    y = impl_->cursorY;
}

bool SdlPlatform::shiftHeld() const {
    return (SDL_GetModState() & KMOD_SHIFT) != 0;
}

uint64_t SdlPlatform::milliseconds() const {
    return nowMilliseconds();
}

void SdlPlatform::sleepMilliseconds(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void SdlPlatform::startClock() {
    impl_->script.start(milliseconds());
}

int SdlPlatform::scaleFactor() const {
    return impl_->view.factor();
}

int SdlPlatform::menuBarHeight() const {
    return impl_->menuHeight;
}

void SdlPlatform::windowSize(int& width, int& height) const {
    SDL_GetWindowSize(impl_->window.get(), &width, &height);
}

void SdlPlatform::setWindowSize(int width, int height) {
    SDL_SetWindowSize(impl_->window.get(), width, height);
    impl_->layout();
}

void SdlPlatform::pictureOrigin(int& x, int& y) const {
    x = impl_->view.picture().x;
    y = impl_->view.picture().y;
}

uint32_t SdlPlatform::windowId() const {
    return SDL_GetWindowID(impl_->window.get());
}

uint32_t SdlPlatform::shownPixel(int windowX, int windowY) const {
    // Reads the back buffer as last drawn: draw the frame again first.
    Impl& m = *impl_;
    m.renderFrame(nullptr, nullptr, nullptr, false);
    const SDL_Rect rect{windowX, windowY, 1, 1};
    uint32_t argb = 0;
    SDL_RenderReadPixels(m.renderer.get(), &rect, SDL_PIXELFORMAT_ARGB8888, &argb, 4);
    SDL_RenderPresent(m.renderer.get());
    return argb & 0xFFFFFFu;
}

uint64_t SdlPlatform::frames() const {
    return impl_->frames;
}

} // namespace fer

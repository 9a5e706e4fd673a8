#include "platform/sdl/SdlWindow.h"

#include <algorithm>
#include <string_view>

#include "platform/WindowPlacement.h"

namespace fer {

namespace {
// Room for the window's title bar and frame when the default scale is chosen.
constexpr int kFrameAllowance = 48;
// How long leaving full screen waits for a window manager to frame the window again.
constexpr int kFrameWaitMs = 150;
} // namespace

SdlWindow::SdlWindow() {
    // Other subsystems, such as audio, are counted separately by SDL.
    videoStarted_ = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

SdlWindow::~SdlWindow() {
    texture_.reset();
    renderer_.reset();
    window_.reset();
    if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlWindow::create(int scale, int menuHeight, std::string& error) {
    if (!videoStarted_) {
        error = std::string("cannot start SDL video: ") + SDL_GetError();
        return false;
    }
    // A scale that does not fit the desktop is lowered to the largest that
    // does, and the window opens on the desktop, its title bar included.
    SDL_Rect usable{0, 0, 16 * ScaledView::kWidth, 16 * ScaledView::kHeight + menuHeight};
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0 && SDL_GetDisplayBounds(0, &usable) != 0)
        usable = {0, 0, 16 * ScaledView::kWidth, 16 * ScaledView::kHeight + menuHeight};
    // The dummy driver (tests, no display) has no real desktop to fit: the
    // scale asked for is kept there.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (scale > 0 && driver && std::string_view(driver) == "dummy")
        usable = {0, 0, 16 * ScaledView::kWidth, 16 * ScaledView::kHeight + menuHeight + kFrameAllowance};
    const WindowPlacement place =
        placeWindow(scale, usable.x, usable.y, usable.w, usable.h, menuHeight, kFrameAllowance);
    factor_ = place.factor;
    window_.reset(SDL_CreateWindow("", place.x, place.y, place.width, place.height,
                                   SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE |
                                       SDL_WINDOW_ALLOW_HIGHDPI));
    if (!window_) {
        error = std::string("cannot create the window: ") + SDL_GetError();
        return false;
    }
    renderer_.reset(SDL_CreateRenderer(window_.get(), -1, 0));
    if (!renderer_) renderer_.reset(SDL_CreateRenderer(window_.get(), -1, SDL_RENDERER_SOFTWARE));
    if (!renderer_) {
        error = std::string("cannot create a renderer: ") + SDL_GetError();
        return false;
    }
    texture_.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_ARGB8888,
                                     SDL_TEXTUREACCESS_STREAMING, ScaledView::kWidth,
                                     ScaledView::kHeight));
    if (!texture_) {
        error = std::string("cannot create the picture texture: ") + SDL_GetError();
        return false;
    }
    SDL_SetTextureScaleMode(texture_.get(), SDL_ScaleModeNearest);
    // The picture starts black.
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture_.get(), nullptr, &pixels, &pitch) == 0) {
        for (int row = 0; row < ScaledView::kHeight; ++row) {
            auto* line = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) + row * pitch);
            std::fill(line, line + ScaledView::kWidth, 0xFF000000u);
        }
        SDL_UnlockTexture(texture_.get());
    }
    setMinimumSize(menuHeight);
    layout(menuHeight);
    return true;
}

void SdlWindow::show(std::string_view title) {
    SDL_SetWindowTitle(window_.get(), std::string(title).c_str());
    SDL_ShowWindow(window_.get());
    SDL_RaiseWindow(window_.get());
    shown_ = true;
}

void SdlWindow::hide() {
    if (!shown_) return;
    shown_ = false;
    SDL_SetWindowMouseRect(window_.get(), nullptr);
    SDL_HideWindow(window_.get());
}

void SdlWindow::pixelRatio(float& x, float& y) const {
    int w = 0, h = 0, pw = 0, ph = 0;
    SDL_GetWindowSize(window_.get(), &w, &h);
    if (!renderer_ || SDL_GetRendererOutputSize(renderer_.get(), &pw, &ph) != 0 || w <= 0 ||
        h <= 0 || pw <= 0 || ph <= 0) {
        x = y = 1.0f;
        return;
    }
    x = static_cast<float>(pw) / static_cast<float>(w);
    y = static_cast<float>(ph) / static_cast<float>(h);
}

void SdlWindow::layout(int menuHeight) {
    // Without a window manager nothing keeps the minimum size: the window
    // grows back to it.
    if (mode_ == DisplayMode::kWindowed && window_ &&
        !(SDL_GetWindowFlags(window_.get()) & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_MAXIMIZED))) {
        int cw = 0, ch = 0;
        SDL_GetWindowSize(window_.get(), &cw, &ch);
        const int minW = ScaledView::kWidth, minH = menuHeight + ScaledView::kHeight;
        if (cw > 0 && ch > 0 && (cw < minW || ch < minH))
            SDL_SetWindowSize(window_.get(), std::max(cw, minW), std::max(ch, minH));
    }
    // Drawn at the window's real pixel size: on a high-density display
    // there are more pixels than points. The size is the one the drawable
    // has now, not the one asked for: a window system may give another, or
    // none (without a window manager nobody answers a request for full screen).
    int w = 0, h = 0;
    SDL_GetWindowSize(window_.get(), &w, &h);
    float rx = 1.0f, ry = 1.0f;
    pixelRatio(rx, ry);
    if (renderer_) SDL_GetRendererOutputSize(renderer_.get(), &w, &h);
    laidOutWidth_ = w;
    laidOutHeight_ = h;
    // In full screen the menu bar is drawn over the picture when called up.
    const int bar = mode_ == DisplayMode::kFullScreen ? 0 : menuHeight;
    view_.resize(w, h, static_cast<int>(static_cast<float>(bar) * ry + 0.5f), rx, ry);
}

bool SdlWindow::followSize(int menuHeight) {
    int w = 0, h = 0;
    if (!renderer_ || SDL_GetRendererOutputSize(renderer_.get(), &w, &h) != 0) return false;
    if (w == laidOutWidth_ && h == laidOutHeight_) return false;
    layout(menuHeight);
    return true;
}

void SdlWindow::setMinimumSize(int menuHeight) {
    SDL_SetWindowMinimumSize(window_.get(), ScaledView::kWidth, menuHeight + ScaledView::kHeight);
}

void SdlWindow::growBy(int grow, int menuHeight) {
    int w = 0, h = 0;
    SDL_GetWindowSize(window_.get(), &w, &h);
    setMinimumSize(menuHeight);
    // In full screen the bar lies over the picture; the window it returns
    // to grows instead.
    if (mode_ == DisplayMode::kWindowed)
        SDL_SetWindowSize(window_.get(), w, h + grow);
    else if (windowed_.h > 0)
        windowed_.h += grow;
    layout(menuHeight);
}

void SdlWindow::upload(const PlaneView& plane, std::span<const PaletteEntry, 256> palette, int x,
                       int y, int w, int h) {
    // Clip to the picture and the plane; a bad rectangle shows nothing new.
    const int right = std::min({x + std::max(w, 0), ScaledView::kWidth, plane.width});
    const int bottom = std::min({y + std::max(h, 0), ScaledView::kHeight, plane.height});
    x = std::max(x, 0);
    y = std::max(y, 0);
    if (!plane.pixels || plane.stride < plane.width || right <= x || bottom <= y) return;
    const SDL_Rect rect{x, y, right - x, bottom - y};
    converter_.setPalette(palette, int64_t{rect.w} * rect.h);
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture_.get(), &rect, &pixels, &pitch) != 0) return;
    for (int row = 0; row < rect.h; ++row) {
        // Plane rows are stored bottom-up.
        const uint8_t* src =
            plane.pixels +
            static_cast<size_t>(plane.height - 1 - (y + row)) * static_cast<size_t>(plane.stride) +
            static_cast<size_t>(x);
        auto* dst = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(pixels) +
                                                static_cast<ptrdiff_t>(row) * pitch);
        converter_.convertRow(src, dst, rect.w);
    }
    SDL_UnlockTexture(texture_.get());
}

void SdlWindow::drawPicture() {
    SDL_Renderer* r = renderer_.get();
    SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
    SDL_RenderClear(r);
    const ViewRect p = view_.picture();
    const SDL_Rect dst{p.x, p.y, p.w, p.h};
    SDL_RenderCopy(r, texture_.get(), nullptr, &dst);
}

bool SdlWindow::setDisplayMode(DisplayMode mode, int menuHeight) {
    if (mode == mode_) return true;
    SDL_Window* w = window_.get();
    if (mode == DisplayMode::kFullScreen) {
        // A window the window manager maximised is first brought back to its
        // normal size, which is where leaving full screen returns to.
        if ((SDL_GetWindowFlags(w) & SDL_WINDOW_MAXIMIZED) != 0) SDL_RestoreWindow(w);
        SDL_GetWindowPosition(w, &windowed_.x, &windowed_.y);
        SDL_GetWindowSize(w, &windowed_.w, &windowed_.h);
        // A window without a frame has no window manager yet (a kiosk, a
        // bare X session), and the request for full screen below may go
        // unanswered: the window covers its display itself first.
        int top = 0;
        covered_ = SDL_GetWindowBordersSize(w, &top, nullptr, nullptr, nullptr) != 0 || top <= 0;
        SDL_Rect bounds{};
        const int display = std::max(SDL_GetWindowDisplayIndex(w), 0);
        if (covered_ && SDL_GetDisplayBounds(display, &bounds) == 0 && bounds.w > 0 &&
            bounds.h > 0) {
            SDL_SetWindowBordered(w, SDL_FALSE);
            SDL_SetWindowPosition(w, bounds.x, bounds.y);
            SDL_SetWindowSize(w, bounds.w, bounds.h);
        }
        if (SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
            restoreWindowed();
            layout(menuHeight);
            return false;
        }
    } else {
        // Leaving full screen cannot be refused: the window keeps what it has.
        SDL_SetWindowFullscreen(w, 0);
        restoreWindowed();
    }
    mode_ = mode;
    layout(menuHeight);
    return true;
}

void SdlWindow::restoreWindowed() {
    SDL_Window* w = window_.get();
    if (covered_) {
        SDL_SetWindowBordered(w, SDL_TRUE);
        // A window manager that came meanwhile frames the window again; the
        // place is that of the client area, so its frame must be known first.
        int top = 0;
        for (int waited = 0; waited < kFrameWaitMs; waited += 10) {
            SDL_PumpEvents();
            if (SDL_GetWindowBordersSize(w, &top, nullptr, nullptr, nullptr) == 0 && top > 0) break;
            SDL_Delay(10);
        }
        covered_ = false;
    }
    if (windowed_.w <= 0 || windowed_.h <= 0) return;
    SDL_SetWindowSize(w, windowed_.w, windowed_.h);
    SDL_SetWindowPosition(w, windowed_.x, windowed_.y);
}

void SdlWindow::setScaleMode(ScaleMode mode, int menuHeight) {
    view_.setMode(mode);
    // Whole factors keep every pixel sharp; other scales are smoothed.
    SDL_SetTextureScaleMode(texture_.get(), mode == ScaleMode::kWholeFactor ? SDL_ScaleModeNearest
                                                                            : SDL_ScaleModeLinear);
    layout(menuHeight);
}

} // namespace fer

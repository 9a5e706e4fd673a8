#include "platform/sdl/SdlWindow.h"

#include <algorithm>
#include <string_view>

#include "platform/WindowPlacement.h"

namespace fer {

namespace {
// Room for the window's title bar and frame when the default scale is chosen.
constexpr int kFrameAllowance = 48;
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
    // there are more pixels than points.
    int w = 0, h = 0;
    SDL_GetWindowSize(window_.get(), &w, &h);
    float rx = 1.0f, ry = 1.0f;
    pixelRatio(rx, ry);
    if (renderer_) SDL_GetRendererOutputSize(renderer_.get(), &w, &h);
    // In full screen the menu bar is drawn over the picture when called up.
    const int bar = mode_ == DisplayMode::kFullScreen ? 0 : menuHeight;
    view_.resize(w, h, static_cast<int>(static_cast<float>(bar) * ry + 0.5f), rx, ry);
}

void SdlWindow::setMinimumSize(int menuHeight) {
    SDL_SetWindowMinimumSize(window_.get(), ScaledView::kWidth, menuHeight + ScaledView::kHeight);
}

void SdlWindow::growBy(int grow, int menuHeight) {
    int w = 0, h = 0;
    SDL_GetWindowSize(window_.get(), &w, &h);
    setMinimumSize(menuHeight);
    if (mode_ == DisplayMode::kWindowed) SDL_SetWindowSize(window_.get(), w, h + grow);
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
    // A window the window manager maximised is first brought back to its
    // normal size, which is where leaving full screen returns to.
    if (mode == DisplayMode::kFullScreen &&
        (SDL_GetWindowFlags(window_.get()) & SDL_WINDOW_MAXIMIZED) != 0)
        SDL_RestoreWindow(window_.get());
    const Uint32 flags = mode == DisplayMode::kFullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0;
    if (SDL_SetWindowFullscreen(window_.get(), flags) != 0) {
        // Leaving full screen cannot be refused: the window keeps what it has.
        if (mode == DisplayMode::kFullScreen) return false;
    }
    mode_ = mode;
    if (mode == DisplayMode::kWindowed) {
        SDL_Rect usable{0, 0, ScaledView::kWidth * factor_,
                        menuHeight + ScaledView::kHeight * factor_ + kFrameAllowance};
        if (SDL_GetDisplayUsableBounds(SDL_GetWindowDisplayIndex(window_.get()), &usable) != 0)
            SDL_GetDisplayBounds(0, &usable);
        const WindowPlacement place = placeWindow(factor_, usable.x, usable.y, usable.w, usable.h,
                                                  menuHeight, kFrameAllowance);
        SDL_SetWindowSize(window_.get(), place.width, place.height);
        SDL_SetWindowPosition(window_.get(), place.x, place.y);
    }
    layout(menuHeight);
    return true;
}

void SdlWindow::setScaleMode(ScaleMode mode, int menuHeight) {
    view_.setMode(mode);
    // Whole factors keep every pixel sharp; other scales are smoothed.
    SDL_SetTextureScaleMode(texture_.get(), mode == ScaleMode::kWholeFactor ? SDL_ScaleModeNearest
                                                                            : SDL_ScaleModeLinear);
    layout(menuHeight);
}

} // namespace fer

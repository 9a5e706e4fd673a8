#pragma once
// The SDL window and its renderer: the 640x400 picture as a streaming
// texture, laid out by the scaled view at the window's real pixel size,
// under the menu bar in a window, or over the whole screen (a borderless
// window over the display, the picture scaled and centred on all of it, the
// menu bar drawn over it when called up). A frame is the picture plus
// whatever the ImGui layer draws over it.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include <SDL.h>

#include "core/PaletteEntry.h"
#include "platform/DisplayMode.h"
#include "platform/PaletteConverter.h"
#include "platform/Platform.h"
#include "platform/sdl/ScaledView.h"

namespace fer {

class SdlWindow {
  public:
    SdlWindow();
    ~SdlWindow();
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    // Starts SDL's video and creates the hidden window (scale 0: the largest
    // whole factor that fits the desktop), its renderer and the black
    // picture. False with the reason in error.
    bool create(int scale, int menuHeight, std::string& error);

    SDL_Window* window() const { return window_.get(); }
    SDL_Renderer* renderer() const { return renderer_.get(); }
    const ScaledView& view() const { return view_; }
    int factor() const { return factor_; }

    void show(std::string_view title);
    void hide();
    bool shown() const { return shown_; }

    // Lays the picture out again for the size the window's drawable has now
    // and the menu bar's height (in points; the layout is in pixels; full
    // screen leaves no room for the bar).
    void layout(int menuHeight);
    // Lays the picture out again if the drawable's size is no longer the one
    // it was laid out for (a change the window system told late or not at
    // all); true when it did.
    bool followSize(int menuHeight);
    // Pixels per point of the window (1 but on high-density displays).
    void pixelRatio(float& x, float& y) const;
    // Keeps room for the menu bar and the picture at factor 1.
    void setMinimumSize(int menuHeight);
    // The menu bar grew by `grow` pixels: the window grows with it.
    void growBy(int grow, int menuHeight);

    // Converts the rectangle (x, y, w, h; y from the top) of the plane
    // through the palette into the picture, clipped to both.
    void upload(const PlaneView& plane, std::span<const PaletteEntry, 256> palette, int x, int y,
                int w, int h);
    // Clears the frame and draws the picture; the caller draws over it and
    // then shows it with SDL_RenderPresent.
    void drawPicture();

    bool setDisplayMode(DisplayMode mode, int menuHeight);
    DisplayMode displayMode() const { return mode_; }
    void setScaleMode(ScaleMode mode, int menuHeight);
    ScaleMode scaleMode() const { return view_.mode(); }

  private:
    // The window's frame, size and place from before full screen.
    void restoreWindowed();

    struct WindowDeleter {
        void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
    };
    struct RendererDeleter {
        void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
    };
    struct TextureDeleter {
        void operator()(SDL_Texture* t) const { SDL_DestroyTexture(t); }
    };

    bool videoStarted_ = false;
    std::unique_ptr<SDL_Window, WindowDeleter> window_;
    std::unique_ptr<SDL_Renderer, RendererDeleter> renderer_;
    std::unique_ptr<SDL_Texture, TextureDeleter> texture_;
    PaletteConverter converter_;
    ScaledView view_;
    int factor_ = 1;
    bool shown_ = false;
    DisplayMode mode_ = DisplayMode::kWindowed;
    // The drawable's size the picture was laid out for.
    int laidOutWidth_ = 0, laidOutHeight_ = 0;
    // The window's own place and size before full screen, where leaving it returns.
    SDL_Rect windowed_{0, 0, 0, 0};
    // Full screen made the window frameless and had it cover the display itself.
    bool covered_ = false;
};

} // namespace fer

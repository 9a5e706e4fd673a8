#pragma once
// The mouse cursor in the window: its position in 640x400 client
// coordinates, whether the game shows it (the menu bar and boxes always
// have one), its confinement, and the game's cursor image.

#include <memory>

#include <SDL.h>

#include "platform/CursorImage.h"
#include "platform/sdl/ScaledView.h"

namespace fer {

class SdlCursor {
  public:
    SdlCursor() = default;
    ~SdlCursor();
    SdlCursor(const SdlCursor&) = delete;
    SdlCursor& operator=(const SdlCursor&) = delete;

    int x() const { return x_; }
    int y() const { return y_; }
    // Keeps a client point inside the picture and the confinement.
    void clamp(int& x, int& y) const;
    // Moves the recorded position (already clamped).
    void setPosition(int x, int y) {
        x_ = x;
        y_ = y;
    }

    // Whether the game shows the cursor; inBox: a box or modal view is up.
    void setShown(bool shown) { shown_ = shown; }
    void setInBox(bool inBox) { inBox_ = inBox; }
    // Shows or hides the system cursor for a pointer at window row windowY.
    void apply(int windowY, int menuHeight) const;

    void confine(SDL_Window* window, const ScaledView& view, int left, int top, int right,
                 int bottom);
    void release(SDL_Window* window);
    // The picture moved (a new size or display mode): a confinement follows it.
    void reconfine(SDL_Window* window, const ScaledView& view);

    // The game's image as a colour cursor, or the system arrow (nullptr).
    // False when SDL cannot make the cursor (the arrow stays).
    bool setImage(const CursorImage* image);
    bool hasImage() const { return image_ != nullptr; }

  private:
    struct CursorDeleter {
        void operator()(SDL_Cursor* c) const { SDL_FreeCursor(c); }
    };

    int x_ = 0;
    int y_ = 0;
    bool shown_ = true;
    bool inBox_ = false;
    bool confined_ = false;
    int clipLeft_ = 0, clipTop_ = 0, clipRight_ = ScaledView::kWidth - 1,
        clipBottom_ = ScaledView::kHeight - 1;
    std::unique_ptr<SDL_Cursor, CursorDeleter> image_;
};

} // namespace fer

#include "platform/sdl/SdlCursor.h"

#include <algorithm>
#include <cstring>

namespace fer {

SdlCursor::~SdlCursor() {
    if (image_) SDL_SetCursor(SDL_GetDefaultCursor());
}

void SdlCursor::clamp(int& x, int& y) const {
    x = std::clamp(x, 0, ScaledView::kWidth - 1);
    y = std::clamp(y, 0, ScaledView::kHeight - 1);
    if (!confined_) return;
    x = std::clamp(x, std::min(clipLeft_, clipRight_), std::max(clipLeft_, clipRight_));
    y = std::clamp(y, std::min(clipTop_, clipBottom_), std::max(clipTop_, clipBottom_));
}

void SdlCursor::apply(int windowY, int menuHeight) const {
    // The menu bar always has a cursor, even while the game hides it.
    const bool show = shown_ || inBox_ || windowY < menuHeight;
    if ((SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE) != show)
        SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void SdlCursor::confine(SDL_Window* window, const ScaledView& view, int left, int top, int right,
                        int bottom) {
    confined_ = true;
    clipLeft_ = left;
    clipTop_ = top;
    clipRight_ = right;
    clipBottom_ = bottom;
    clamp(x_, y_);
    // Also ask the window system, which does not always honour it.
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    view.toWindow(std::min(left, right), std::min(top, bottom), x1, y1);
    view.toWindow(std::max(left, right), std::max(top, bottom), x2, y2);
    const int half = view.factor() / 2;
    const SDL_Rect rect{x1 - half, y1 - half, x2 - x1 + view.factor(), y2 - y1 + view.factor()};
    SDL_SetWindowMouseRect(window, &rect);
}

void SdlCursor::reconfine(SDL_Window* window, const ScaledView& view) {
    if (confined_) confine(window, view, clipLeft_, clipTop_, clipRight_, clipBottom_);
}

void SdlCursor::release(SDL_Window* window) {
    confined_ = false;
    SDL_SetWindowMouseRect(window, nullptr);
}

bool SdlCursor::setImage(const CursorImage* image) {
    if (!image || !image->valid()) {
        SDL_SetCursor(SDL_GetDefaultCursor());
        image_.reset();
        return image == nullptr;
    }
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, image->width, image->height, 32,
                                                          SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return false;
    for (int row = 0; row < image->height; ++row) {
        auto* line = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) +
                                                 static_cast<ptrdiff_t>(row) * surface->pitch);
        for (int col = 0; col < image->width; ++col) {
            const uint8_t index = image->pixels[static_cast<size_t>(row) * image->width + col];
            const PaletteEntry& e = image->palette[index];
            const uint32_t alpha = index == image->transparent ? 0u : 0xFF000000u;
            line[col] = alpha | (uint32_t{e.red} << 16) | (uint32_t{e.green} << 8) | e.blue;
        }
    }
    SDL_Cursor* cursor = SDL_CreateColorCursor(surface, image->hotX, image->hotY);
    SDL_FreeSurface(surface);
    if (!cursor) return false;
    SDL_SetCursor(cursor);
    image_.reset(cursor);
    return true;
}

} // namespace fer

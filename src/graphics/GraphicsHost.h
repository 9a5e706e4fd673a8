#pragma once
// What the graphics commands need of the rest of the engine: the screen, the
// message pump, a millisecond sleep, the picture files and the current file
// names. The engine implements it in its shell; tests use a double.

#include <cstdint>
#include <string_view>

#include "core/PaletteEntry.h"
#include "core/FatalErrorHandler.h"

namespace fer {

class GraphicsHost : public FatalErrorHandler {
  public:
    static constexpr int kPictureNameSlot = 1;

    // Shows the rectangle (x, y, w, h) of plane 0 through the screen palette
    // before it returns. The values are unsigned 16-bit; the host clips them.
    virtual void present(int x, int y, int w, int h) = 0;
    // The palette the screen shows from now on (entries 236 to 255 are
    // always black). Followed by a present when the picture must change.
    virtual void setScreenPalette(const Palette& colours) = 0;
    virtual void sleepMilliseconds(uint32_t ms) = 0;
    // One round of the message pump; 0 once the window is closing (or a new
    // script was chosen from outside): every wait ends then.
    virtual int pump() = 0;
    // Reads the named picture file into script memory at offset: 1, or 0
    // after the failure was reported.
    virtual int loadPicture(std::string_view name, uint32_t offset) = 0;
    // Records the name of the file loaded last in a slot of the current file
    // names and has the file-name view repaint.
    virtual void setCurrentFileName(int slot, std::string_view name) = 0;
    // The text renderer takes the colours the screen shows now
    // (TextRenderer::refreshTextColours).
    virtual void refreshTextColours(const Palette& onScreen) = 0;
};

} // namespace fer

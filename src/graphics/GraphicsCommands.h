#pragma once
// System commands 8 (load image), 9 (palette) and 10 (block transfer), and
// the graphics device's palette operations they are built on.
//
// Registers (16-bit): 27 drawing plane, 38 colour pair, 45/46 picture
// position (0xFFFF = the one stored in the file), 47..50 the rectangle of the
// last picture, 51 transparent key; 32-bit register 26 places the picture
// file in script memory (counted from 0x1000). Control word bits: 0x01 take
// the picture's palette / copy the saved palette back, 0x02 save the working
// palette first, 0x20 present block transfers into plane 0.

#include <cstdint>

#include "files/PrintableName.h"
#include "graphics/BlockTransfer.h"
#include "graphics/GraphicsHost.h"
#include "graphics/ImageLoader.h"
#include "core/PaletteEntry.h"
#include "graphics/PaletteManager.h"
#include "graphics/PlaneSet.h"
#include "core/ArgumentList.h"
#include "core/CommandTable.h"
#include "core/ScriptMemory.h"

namespace fer {

class GraphicsCommands {
  public:
    static constexpr uint32_t kLoadImage = 8;
    static constexpr uint32_t kPalette = 9;
    static constexpr uint32_t kBlockTransfer = 10;
    static constexpr uint8_t kInitialFadeSpeed = 16;

    // format: the picture format chosen once at start-up
    // (ImageLoader::formatFromSettings); nameCharset: the build's code page,
    // for file names in messages.
    GraphicsCommands(ScriptMemory& memory, PlaneSet& planes, PaletteManager& palette,
                     GraphicsHost& host, ImageLoader::Format format,
                     NameCharset nameCharset = NameCharset::kGbk);

    // Registers system commands 8, 9 and 10.
    void registerWith(CommandTable& table);

    // The commands. loadImage returns 1, or 0 when the file could not be read
    // (nothing else changes then).
    int loadImage(const ArgumentList& args);
    void paletteCommand(const ArgumentList& args);
    void blockTransferCommand(const ArgumentList& args);

    // Main thread: when the fade (or a palette change) altered the screen
    // colours, hands them to the host and re-presents plane 0. Called every
    // pump round by the fade waits; the shell calls it from its pump too, so
    // fades that run while the script goes on are shown.
    void showPaletteChanges() {
        if (palette_.changePending()) showPaletteChangesNow();
    }

    // The graphics device's palette operations (main thread).
    void setNow(uint32_t first, uint32_t count);
    void setFadeSpeed(uint8_t speed) { palette_.computeSteps(speed); }
    void fadeAndWait(uint32_t first, uint32_t count);
    void startFade(uint32_t first, uint32_t count) { palette_.startFade(first, count); }
    void waitFade();

    // The fade-speed setting used by palette modes 4 and 6 (external
    // commands set it).
    uint8_t fadeSpeedSetting() const { return fadeSpeed_; }
    void setFadeSpeedSetting(uint8_t speed) { fadeSpeed_ = speed; }

    // The working palette W and the saved palette S.
    Palette& working() { return working_; }
    Palette& saved() { return saved_; }

    ImageLoader& imageLoader() { return loader_; }
    BlockTransfer& rectangles() { return blocks_; }

  private:
    void showPaletteChangesNow();
    void waitWhileFading();

    ScriptMemory& memory_;
    PlaneSet& planes_;
    PaletteManager& palette_;
    GraphicsHost& host_;
    NameCharset nameCharset_; // for names in messages
    ImageLoader loader_;
    BlockTransfer blocks_;
    Palette working_{};
    Palette saved_{};
    Palette screen_{};
    uint8_t fadeSpeed_ = kInitialFadeSpeed;
};

} // namespace fer

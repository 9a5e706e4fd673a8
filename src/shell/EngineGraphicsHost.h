#pragma once
// The graphics commands' view of the engine: the screen, the palette shown,
// the pump, picture files and the text colours, each reached through the
// object of the engine context that owns it.

#include "graphics/GraphicsHost.h"

namespace fer {

class EngineContext;

class EngineGraphicsHost : public GraphicsHost {
  public:
    explicit EngineGraphicsHost(EngineContext& context) : context_(context) {}

    void present(int x, int y, int w, int h) override;
    void setScreenPalette(const Palette& colours) override;
    void sleepMilliseconds(uint32_t ms) override;
    int pump() override;
    int loadPicture(std::string_view name, uint32_t offset) override;
    void setCurrentFileName(int slot, std::string_view name) override;
    void refreshTextColours(const Palette& onScreen) override;
    void fatalError(std::string_view title, std::string_view text) override;

  private:
    EngineContext& context_;
};

} // namespace fer

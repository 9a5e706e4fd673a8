#pragma once
// A graphics host with nobody watching: presents, palettes and pumps go
// nowhere and pictures never load. Benchmarks and fuzz targets draw with it.

#include "graphics/GraphicsHost.h"

namespace fer {

class NullGraphicsHost : public GraphicsHost {
  public:
    void fatalError(std::string_view, std::string_view) override {}
    void present(int, int, int, int) override {}
    void setScreenPalette(const Palette&) override {}
    void sleepMilliseconds(uint32_t) override {}
    int pump() override { return 1; }
    int loadPicture(std::string_view, uint32_t) override { return 0; }
    void setCurrentFileName(int, std::string_view) override {}
    void refreshTextColours(const Palette&) override {}
};

} // namespace fer

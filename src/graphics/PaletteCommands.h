#pragma once
// The palette presets and transitions among the external commands (94..96,
// 102, 104..106, 109, 110, 112..115, 117, 120..123): copies between the
// working palette W, the saved palette S and the built-in palettes, and the
// fades that show them. Copies move the three colour bytes and leave the
// fourth alone. The first "reserved" entries (10 when flag 2024 is 1, else
// 16) are the ones some presets keep.

#include <cstdint>

#include "graphics/BuiltinPalettes.h"
#include "graphics/GraphicsCommands.h"
#include "graphics/GraphicsHost.h"
#include "graphics/PaletteManager.h"
#include "graphics/PlaneSet.h"
#include "core/ArgumentList.h"
#include "core/CommandTable.h"
#include "core/ScriptMemory.h"

namespace fer {

class PaletteCommands {
  public:
    PaletteCommands(ScriptMemory& memory, PlaneSet& planes, PaletteManager& palette,
                    GraphicsCommands& graphics, GraphicsHost& host, const BuiltinPalettes& builtin)
        : memory_(memory), planes_(planes), palette_(palette), graphics_(graphics), host_(host),
          builtin_(builtin) {}

    // Registers the external commands listed for the palette presets.
    void registerWith(CommandTable& table);
    // Runs external command n; false when n is not one of these.
    bool execute(uint32_t n, const ArgumentList& args);

    uint32_t reserved() const;

  private:
    // Copies the colour bytes of entries first..last from one table to another.
    static void copyColours(const Palette& from, Palette& to, size_t first, size_t last);
    static void fillBlack(Palette& p, size_t first, size_t last);
    static bool sameColours(const Palette& a, const Palette& b, size_t first, size_t last);
    void showAndFade(Palette& w, uint8_t speed);
    // The three transitions: through black, to the saved palette, through black with 10 reserved.
    void transition(uint32_t n);

    ScriptMemory& memory_;
    PlaneSet& planes_;
    PaletteManager& palette_;
    GraphicsCommands& graphics_;
    GraphicsHost& host_;
    const BuiltinPalettes& builtin_;
};

} // namespace fer

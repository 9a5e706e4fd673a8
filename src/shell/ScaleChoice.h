#pragma once
// How large the picture is shown, as the command line (--scale) and the
// setting "Scale" in section "FerKite" give it: a whole factor 1 to 16 for
// the window (sharp pixels), "fit" (as large as the window allows, shape
// kept) or "stretch" (over the whole window). The setting also takes 0:
// the largest whole factor that fits the desktop.

#include <optional>
#include <string>
#include <string_view>

#include "platform/DisplayMode.h"

namespace fer {

struct ScaleChoice {
    static constexpr int kMaxFactor = 16;
    static constexpr const char* kSection = "FerKite";
    static constexpr const char* kKey = "Scale";

    int factor = 0; // the window's whole factor; 0: the largest that fits
    ScaleMode mode = ScaleMode::kWholeFactor;

    // "1".."16", "fit" or "stretch" (any letter case); with allowZero also
    // "0". Nothing for anything else.
    static std::optional<ScaleChoice> parse(std::string_view text, bool allowZero = false);
    // The text parse reads back.
    std::string text() const;
};

} // namespace fer

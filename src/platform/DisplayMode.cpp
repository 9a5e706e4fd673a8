#include "platform/DisplayMode.h"

#include <cctype>

namespace fer {

namespace {
bool sameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != b[i]) return false;
    return true;
}
} // namespace

std::optional<ScaleMode> scaleModeNamed(std::string_view name) {
    if (sameLetters(name, "fit")) return ScaleMode::kFit;
    if (sameLetters(name, "stretch")) return ScaleMode::kStretch;
    return std::nullopt;
}

std::string_view scaleModeName(ScaleMode mode) {
    switch (mode) {
    case ScaleMode::kFit: return "fit";
    case ScaleMode::kStretch: return "stretch";
    default: return "whole";
    }
}

} // namespace fer

#include "shell/ScaleChoice.h"

#include <charconv>

namespace fer {

std::optional<ScaleChoice> ScaleChoice::parse(std::string_view text, bool allowZero) {
    ScaleChoice choice;
    if (const auto mode = scaleModeNamed(text)) {
        choice.mode = *mode;
        return choice;
    }
    int n = -1;
    const char* end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, n);
    if (text.empty() || ec != std::errc() || p != end) return std::nullopt;
    if (n > kMaxFactor || n < (allowZero ? 0 : 1)) return std::nullopt;
    choice.factor = n;
    return choice;
}

std::string ScaleChoice::text() const {
    if (mode != ScaleMode::kWholeFactor) return std::string(scaleModeName(mode));
    return std::to_string(factor);
}

} // namespace fer

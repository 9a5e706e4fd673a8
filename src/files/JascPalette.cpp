#include "files/JascPalette.h"

#include <charconv>

namespace fer {

namespace {

// Reads the next line without its line end; false at the end of the text.
bool nextLine(std::string_view& text, std::string_view& line) {
    if (text.empty()) return false;
    const size_t end = text.find('\n');
    line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
}

bool readNumbers(std::string_view line, int* values, int count) {
    const char* p = line.data();
    const char* end = line.data() + line.size();
    for (int i = 0; i < count; ++i) {
        while (p < end && (*p == ' ' || *p == '\t')) ++p;
        auto [next, ec] = std::from_chars(p, end, values[i]);
        if (ec != std::errc()) return false;
        p = next;
    }
    while (p < end && (*p == ' ' || *p == '\t')) ++p;
    return p == end;
}

} // namespace

std::optional<std::vector<RgbColour>> parseJascPalette(std::string_view text) {
    if (text.size() >= 3 && static_cast<uint8_t>(text[0]) == 0xEF &&
        static_cast<uint8_t>(text[1]) == 0xBB && static_cast<uint8_t>(text[2]) == 0xBF)
        text.remove_prefix(3);
    std::string_view line;
    if (!nextLine(text, line) || line != "JASC-PAL") return std::nullopt;
    if (!nextLine(text, line) || line != "0100") return std::nullopt;
    int count = 0;
    if (!nextLine(text, line) || !readNumbers(line, &count, 1) || count < 0 || count > 256)
        return std::nullopt;
    std::vector<RgbColour> colours;
    colours.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        int rgb[3];
        if (!nextLine(text, line) || !readNumbers(line, rgb, 3)) return std::nullopt;
        for (int v : rgb)
            if (v < 0 || v > 255) return std::nullopt;
        colours.push_back({uint8_t(rgb[0]), uint8_t(rgb[1]), uint8_t(rgb[2])});
    }
    return colours;
}

} // namespace fer

#include "sound/SoundDeviceCheck.h"

#include <algorithm>
#include <cctype>

namespace fer {

namespace {
bool mentions(std::string_view text, std::string_view word) {
    auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    return std::search(text.begin(), text.end(), word.begin(), word.end(),
                       [&](char a, char b) { return lower(a) == lower(b); }) != text.end();
}
} // namespace

std::string soundDeviceFailureBox(std::string_view error) {
    if (mentions(error, "out of memory"))
        return "因为存储器不足  DirectSound的初期化失败了        ";
    if (mentions(error, "busy") || mentions(error, "in use"))
        return "别的应用占有          DirectSound了              ";
    return "";
}

} // namespace fer

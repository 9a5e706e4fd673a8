#pragma once
// The text subsystem's fatal-error caption and text, exactly as the message
// box shows them; the font loader adds a line that says what to install.

namespace fer::text_text {

inline constexpr const char* kFontCreateFailedTitle = "字体的作成失败了";
inline constexpr const char* kFontHandle = "是字体句柄";

} // namespace fer::text_text

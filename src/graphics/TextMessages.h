#pragma once
// The text subsystem's fatal-error captions and texts, exactly as the message
// boxes show them.

namespace fer::text_text {

inline constexpr const char* kMemoryErrorTitle = "存储器错误";
inline constexpr const char* kFontRecordAllocFailed = "存储器的取得失败了。";
inline constexpr const char* kFontReplaceNoMemory = "存储器不够。";
inline constexpr const char* kFontCreateFailedTitle = "字体的作成失败了";
inline constexpr const char* kFontHandle = "是字体句柄";
inline constexpr const char* kObjectDeleteFailedTitle = "客观的削除失败了";

} // namespace fer::text_text

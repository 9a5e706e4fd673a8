#pragma once
// The map's error captions and texts.

namespace fer::map_message {

inline constexpr const char* kMapErrorTitle = "DUZ错误";
inline constexpr const char* kWriteSubFailed = "WriteSub 发生错误了";
inline constexpr const char* kMoveErrorTitle = "DUZＭＯＶＥ错误";
inline constexpr const char* kRandomMoveMissing = "随机移动没有容纳";
inline constexpr const char* kReservedCode = "用系统被预约";

} // namespace fer::map_message

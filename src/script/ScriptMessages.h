#pragma once
// The script engine's fatal-error captions and texts, with their trailing
// blanks as the message boxes show them.

namespace fer::script_text {

inline constexpr const char* kLogOverflowTitle = "ＭＥＳ保存缓冲器泄出            ";
inline constexpr const char* kStackOverflowTitle = "堆栈泄出              ";
inline constexpr const char* kStackOverflowText = "堆栈缓冲器泄出了                        ";
inline constexpr const char* kStackErrorTitle = "堆栈错误      ";
inline constexpr const char* kStackEmptyText = "完全没被堆栈保存。                  ";
inline constexpr const char* kStackLeftText = "堆栈剩下数据了。              ";
inline constexpr const char* kChangeErrorTitle = "change 错误  ";
inline constexpr const char* kCallMesErrorTitle = "callmes 错误  ";
inline constexpr const char* kBadArgumentsText = "参数的指定不正当          ";
inline constexpr const char* kCallErrorTitle = "call 错误  ";
inline constexpr const char* kUnknownExternalText =
    "真相没被做的外部指令被叫出了                  ";

// Our own texts for failures the machine guards against.
inline constexpr const char* kScriptErrorTitle = "脚本错误";
inline constexpr const char* kBadOpcodeFormat = "无效的指令代码 0x%02X（地址 0x%06X）";
inline constexpr const char* kPcOutsideText = "执行位置超出了脚本存储器";
inline constexpr const char* kTooDeepText = "过程的嵌套太深了";

} // namespace fer::script_text

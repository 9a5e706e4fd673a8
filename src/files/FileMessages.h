#pragma once
// The file services' fatal-error captions and texts, exactly as the message
// boxes show them.

namespace fer::file_text {

inline constexpr const char* kLookupErrorTitle = "文件检索错误";
inline constexpr const char* kReadFailed = "文件的读入失败了。";
inline constexpr const char* kFileErrorTitle = "文件错误";
inline constexpr const char* kOpenErrorTitle = "文件打开错误";
inline constexpr const char* kSizeFailedTitle = "文件大小的取得失败了。";
inline constexpr const char* kCloseFailed = "文件的关闭失败了。";
inline constexpr const char* kMesArcCloseFailed = "MESARC 文件的关闭失败了。";
inline constexpr const char* kBgArcCloseFailed = "BGARC 文件的关闭失败了。";
inline constexpr const char* kDataArcCloseFailed = "DATAARC 文件的关闭失败了。";
inline constexpr const char* kBgmArcCloseFailed = "BGMARC 文件的关闭失败了。";
inline constexpr const char* kVoiceArcCloseFailed = "VOICEARC 文件的关闭失败了。";

} // namespace fer::file_text

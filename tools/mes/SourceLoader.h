#pragma once
// Where the assembler reads its source files from: the file system, or a
// table of texts (for tests).

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace fer::mes {

using SourceLoader = std::function<std::optional<std::string>(const std::string& path)>;

// Source files above this size are not read.
inline constexpr uint64_t kMaxSourceFile = 64u << 20;

// Regular files only: a pipe, socket, device or directory reads as missing.
SourceLoader fileSourceLoader();
SourceLoader memorySourceLoader(std::map<std::string, std::string> files);

} // namespace fer::mes

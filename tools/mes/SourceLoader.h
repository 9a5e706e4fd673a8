#pragma once
// Where the assembler reads its source files from: the file system, or a
// table of texts (for tests).

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace fer::mes {

using SourceLoader = std::function<std::optional<std::string>(const std::string& path)>;

SourceLoader fileSourceLoader();
SourceLoader memorySourceLoader(std::map<std::string, std::string> files);

} // namespace fer::mes

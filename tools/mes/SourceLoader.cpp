#include "SourceLoader.h"

#include "files/FileText.h"

namespace fer::mes {

SourceLoader fileSourceLoader() {
    return [](const std::string& path) -> std::optional<std::string> {
        // Only regular files, so that a pipe or a device named by an include
        // cannot stall the assembler or fill its memory.
        std::string text;
        if (readFileText(path, kMaxSourceFile, text) != ReadFailure::kNone) return std::nullopt;
        return text;
    };
}

SourceLoader memorySourceLoader(std::map<std::string, std::string> files) {
    return [files = std::move(files)](const std::string& path) -> std::optional<std::string> {
        auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second;
    };
}

} // namespace fer::mes

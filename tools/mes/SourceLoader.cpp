#include "SourceLoader.h"

#include <fstream>
#include <sstream>

namespace fer::mes {

SourceLoader fileSourceLoader() {
    return [](const std::string& path) -> std::optional<std::string> {
        std::ifstream in(path, std::ios::binary);
        if (!in) return std::nullopt;
        std::ostringstream text;
        text << in.rdbuf();
        if (in.bad()) return std::nullopt;
        return text.str();
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

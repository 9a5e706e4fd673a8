#include "platform/ScriptFiles.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace fer {

std::vector<std::string> scriptFilesIn(const std::string& directory) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(directory, ec)) {
        std::string name = entry.path().filename().string();
        if (name.size() <= 4) continue;
        std::string ext = name.substr(name.size() - 4);
        for (auto& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        std::error_code fileEc;
        if (ext == ".mes" && entry.is_regular_file(fileEc)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace fer

#include "files/UserDataFolder.h"

#include <cstdlib>
#include <system_error>
#include <unistd.h>

namespace fer {

bool UserDataFolder::writable(const std::filesystem::path& folder) {
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string UserDataFolder::componentFor(std::string_view name) {
    std::string out(name.substr(0, 255));
    for (char& c : out) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || b < 0x20 || b == 0x7F) c = '_';
    }
    if (!out.empty() && out[0] == '.') out[0] = '_';
    return out;
}

std::optional<std::filesystem::path> UserDataFolder::forGame(std::string_view title,
                                                             const std::filesystem::path& gameFolder) {
    std::filesystem::path base;
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (data && data[0] == '/') {
        base = data;
    } else if (home && home[0] == '/') {
        base = std::filesystem::path(home) / ".local" / "share";
    } else {
        return std::nullopt;
    }
    std::string name = componentFor(title);
    if (name.empty()) {
        std::error_code ec;
        const auto absolute = std::filesystem::weakly_canonical(gameFolder, ec);
        name = componentFor((ec ? gameFolder : absolute).filename().string());
    }
    if (name.empty()) name = "game";
    return base / kEngineFolder / name;
}

bool UserDataFolder::create(const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) return false;
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace, ec);
    return std::filesystem::is_directory(folder, ec);
}

} // namespace fer

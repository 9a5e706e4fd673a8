#include "files/DiscDrive.h"

#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

#include "files/GameFolder.h"

namespace fer {
namespace {

// Mount tables write blanks and a few other bytes as backslash and three
// octal digits ("\040" for a blank).
std::string unescapeMountField(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
            field[i + 1] <= '3' && field[i + 2] >= '0' && field[i + 2] <= '7' &&
            field[i + 3] >= '0' && field[i + 3] <= '7') {
            out.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                            (field[i + 3] - '0')));
            i += 3;
        } else {
            out.push_back(field[i]);
        }
    }
    return out;
}

} // namespace

std::vector<std::filesystem::path>
findDiscMounts(const std::filesystem::path& mountTable) noexcept {
    std::vector<std::filesystem::path> mounts;
    try {
        std::ifstream in(mountTable);
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string device, mountPoint, type;
            if (!(fields >> device >> mountPoint >> type)) continue;
            if (type == "iso9660" || type == "udf")
                mounts.push_back(unescapeMountField(mountPoint));
        }
    } catch (...) {
        mounts.clear();
    }
    return mounts;
}

std::filesystem::path findDiscMount(const std::filesystem::path& mountTable) noexcept {
    auto mounts = findDiscMounts(mountTable);
    return mounts.empty() ? std::filesystem::path{} : mounts.front();
}

namespace {

// A directory the setting may name: one inside the game directory, or a
// mounted disc. Anywhere else would open the whole machine to game names.
bool allowedDiscRoot(const std::filesystem::path& named, const std::filesystem::path& gameDirectory,
                     const std::filesystem::path& mountTable) {
    namespace fs = std::filesystem;
    const GameFolder game(gameDirectory);
    std::error_code error;
    const fs::path real = fs::canonical(named, error);
    if (error) return false;
    if (real == game.root() || game.holds(real)) return true;
    for (const fs::path& mount : findDiscMounts(mountTable)) {
        const fs::path mounted = fs::canonical(mount, error);
        if (!error && mounted == real) return true;
    }
    return false;
}

} // namespace

std::filesystem::path chooseDiscRoot(std::string_view setting,
                                     const std::filesystem::path& gameDirectory,
                                     const std::filesystem::path& mountTable) noexcept {
    try {
        if (!setting.empty()) {
            std::filesystem::path named(std::string{setting});
            if (named.is_relative()) named = gameDirectory / named;
            std::error_code error;
            if (std::filesystem::is_directory(named, error) &&
                allowedDiscRoot(named, gameDirectory, mountTable))
                return named;
        }
        return findDiscMount(mountTable);
    } catch (...) {
        return {};
    }
}

} // namespace fer

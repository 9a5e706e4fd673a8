#include "files/DiscDrive.h"

#include <fstream>
#include <sstream>
#include <string>
#include <system_error>

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

std::filesystem::path findDiscMount(const std::filesystem::path& mountTable) noexcept {
    try {
        std::ifstream in(mountTable);
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string device, mountPoint, type;
            if (!(fields >> device >> mountPoint >> type)) continue;
            if (type == "iso9660" || type == "udf") return unescapeMountField(mountPoint);
        }
    } catch (...) {
    }
    return {};
}

std::filesystem::path chooseDiscRoot(std::string_view setting,
                                     const std::filesystem::path& gameDirectory,
                                     const std::filesystem::path& mountTable) noexcept {
    try {
        if (!setting.empty()) {
            std::filesystem::path named(std::string{setting});
            if (named.is_relative()) named = gameDirectory / named;
            std::error_code error;
            if (std::filesystem::is_directory(named, error)) return named;
        }
        return findDiscMount(mountTable);
    } catch (...) {
        return {};
    }
}

} // namespace fer

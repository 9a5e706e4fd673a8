#include "files/CaseInsensitivePath.h"

#include <string>
#include <system_error>

namespace fer {
namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

bool isRegularFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace

std::string toSlashes(std::string_view name) {
    std::string out(name);
    for (char& c : out)
        if (c == '\\') c = '/';
    return out;
}

std::optional<std::filesystem::path> findIgnoringCase(const std::filesystem::path& base,
                                                      std::string_view name) noexcept {
    try {
        namespace fs = std::filesystem;
        if (name.empty()) return std::nullopt;
        const fs::path relative(toSlashes(name));
        fs::path exact = relative.is_absolute() ? relative : base / relative;
        if (isRegularFile(exact)) return exact;

        fs::path current = relative.is_absolute() ? relative.root_path() : base;
        fs::path rest = relative.is_absolute() ? relative.relative_path() : relative;
        for (const fs::path& part : rest) {
            const std::string wanted = part.string();
            if (wanted.empty() || wanted == "." || wanted == "..") {
                current /= part;
                continue;
            }
            std::error_code error;
            if (fs::exists(current / part, error)) {
                current /= part;
                continue;
            }
            std::optional<std::string> found;
            for (fs::directory_iterator it(current.empty() ? fs::path(".") : current, error), end;
                 !error && it != end; it.increment(error)) {
                std::string candidate = it->path().filename().string();
                if (sameIgnoringCase(candidate, wanted) && (!found || candidate < *found)) {
                    found = std::move(candidate);
                }
            }
            if (!found) return std::nullopt;
            current /= *found;
        }
        if (isRegularFile(current)) return current;
        return std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace fer

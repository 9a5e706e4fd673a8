#include "files/CaseInsensitivePath.h"

#include <string>
#include <system_error>

namespace fer {
namespace {

// Calls visit(offset, length) for each character of name in turn.
template <typename Visit>
void forEachCharacter(std::string_view name, NameCharset charset, Visit visit) {
    for (size_t at = 0; at < name.size();) {
        const size_t length = characterLength(name, at, charset);
        visit(at, length);
        at += length;
    }
}

bool isRegularFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

} // namespace

std::string toSlashes(std::string_view name, NameCharset charset) {
    std::string out(name);
    forEachCharacter(name, charset, [&](size_t at, size_t length) {
        if (length == 1 && out[at] == '\\') out[at] = '/';
    });
    return out;
}

std::string upperCased(std::string_view name, NameCharset charset) {
    std::string out(name);
    forEachCharacter(name, charset, [&](size_t at, size_t length) {
        if (length == 1 && out[at] >= 'a' && out[at] <= 'z')
            out[at] = static_cast<char>(out[at] - 'a' + 'A');
    });
    return out;
}

std::optional<std::filesystem::path> findIgnoringCase(const std::filesystem::path& base,
                                                      std::string_view name,
                                                      NameCharset charset) noexcept {
    try {
        namespace fs = std::filesystem;
        if (name.empty()) return std::nullopt;
        const fs::path relative(toSlashes(name, charset));
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
            const std::string wantedUpper = upperCased(wanted, charset);
            std::optional<std::string> found;
            for (fs::directory_iterator it(current.empty() ? fs::path(".") : current, error), end;
                 !error && it != end; it.increment(error)) {
                std::string candidate = it->path().filename().string();
                if (candidate.size() == wanted.size() &&
                    upperCased(candidate, charset) == wantedUpper &&
                    (!found || candidate < *found)) {
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

std::filesystem::path pathIgnoringCase(const std::filesystem::path& folder, std::string_view name,
                                       NameCharset charset) {
    return findIgnoringCase(folder, name, charset).value_or(folder / std::string(name));
}

} // namespace fer

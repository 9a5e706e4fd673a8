#include "files/GameFolder.h"

#include <cstdio>
#include <sys/stat.h>
#include <system_error>

#include "files/CaseInsensitivePath.h"

namespace fer {
namespace {

namespace fs = std::filesystem;

std::optional<fs::path> realPath(const fs::path& path) {
    std::error_code error;
    fs::path real = fs::canonical(path, error);
    if (error) return std::nullopt;
    return real;
}

} // namespace

GameFolder::GameFolder(const fs::path& root, NameCharset charset) : charset_(charset) {
    try {
        std::error_code error;
        fs::path absolute = fs::absolute(root, error);
        if (error) return;
        fs::path real = fs::weakly_canonical(absolute, error);
        root_ = error ? absolute.lexically_normal() : real;
        // "/game/" and "/game" are the same folder.
        if (root_.has_relative_path() && !root_.has_filename()) root_ = root_.parent_path();
    } catch (...) {
        root_.clear();
    }
}

std::optional<std::string> GameFolder::relativeName(std::string_view name) const {
    try {
        if (root_.empty() || name.empty() || name.find('\0') != std::string_view::npos)
            return std::nullopt;
        const std::string slashed = toSlashes(name, charset_);
        const fs::path path(slashed);
        if (path.is_absolute()) {
            const fs::path relative = path.lexically_normal().lexically_relative(root_);
            if (relative.empty() || *relative.begin() == "." || *relative.begin() == "..")
                return std::nullopt;
            return relative.generic_string();
        }
        int depth = 0;
        for (const fs::path& part : path) {
            if (part.empty() || part == ".") continue;
            depth += part == ".." ? -1 : 1;
            if (depth < 0) return std::nullopt;
        }
        if (depth == 0) return std::nullopt; // the folder itself
        return slashed;
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<fs::path> GameFolder::find(std::string_view name) const {
    const auto relative = relativeName(name);
    if (!relative) return std::nullopt;
    auto found = findIgnoringCase(root_, *relative, charset_);
    if (!found || !holds(*found)) return std::nullopt;
    return found;
}

File GameFolder::openForRead(std::string_view name, OpenError* error) const {
    auto fail = [&](OpenError why) {
        if (error) *error = why;
        return File{};
    };
    try {
        const auto relative = relativeName(name);
        if (!relative) return fail(OpenError::kOutside);
        fs::path path;
        if (auto found = findIgnoringCase(root_, *relative, charset_)) {
            path = std::move(*found);
        } else {
            // Not a regular file under any spelling: say what the exact
            // spelling is, if anything.
            path = root_ / *relative;
        }
        OpenError why = OpenError::kNone;
        File file = File::openForRead(path, &why);
        if (!file.isOpen()) return fail(why);
        if (!holds(file, path)) return fail(OpenError::kOutside);
        if (error) *error = OpenError::kNone;
        return file;
    } catch (...) {
        return fail(OpenError::kMissing);
    }
}

bool GameFolder::inside(const std::string& real) const {
    const std::string& root = root_.native();
    if (root.empty()) return false;
    if (root == "/") return real.size() > 1 && real.front() == '/';
    return real.size() > root.size() + 1 && real.compare(0, root.size(), root) == 0 &&
           real[root.size()] == '/';
}

bool GameFolder::holds(const fs::path& path) const {
    const auto real = realPath(path);
    return real && inside(real->native());
}

bool GameFolder::holds(const File& file, const fs::path& path) const {
    if (!file.isOpen()) return false;
    try {
        // Where the descriptor really leads, whatever became of the path.
        char link[64];
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", file.descriptor());
        std::error_code error;
        const fs::path opened = fs::read_symlink(link, error);
        if (!error && opened.is_absolute()) return inside(opened.native());
        // Without /proc: the path's real location, if the file there is the
        // one that is open.
        const auto real = realPath(path);
        struct stat atPath {
        }, open{};
        return real && inside(real->native()) && ::stat(real->c_str(), &atPath) == 0 &&
               ::fstat(file.descriptor(), &open) == 0 && atPath.st_dev == open.st_dev &&
               atPath.st_ino == open.st_ino;
    } catch (...) {
        return false;
    }
}

std::optional<fs::path> GameFolder::placeForWrite(std::string_view name) const {
    try {
        const auto relative = relativeName(name);
        if (!relative) return std::nullopt;
        // An existing file of another letter case is replaced, not doubled.
        auto existing = findIgnoringCase(root_, *relative, charset_);
        fs::path target = existing ? *existing : root_ / *relative;
        const auto directory = realPath(target.parent_path());
        if (!directory || (*directory != root_ && !inside(directory->native())))
            return std::nullopt;
        return target;
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace fer

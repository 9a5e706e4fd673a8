#pragma once
// A folder that names from game data cannot leave. Scripts, archives,
// settings and save files name files relative to the game folder, with
// either slash or backslash between directories and in any letter case;
// such a name is refused when it is empty, when it is absolute and does not
// start with the folder's own path, or when a ".." in it climbs above the
// folder. What a name finally opens is checked as well: a symbolic link in
// the folder that leads out of it is refused, however the name is spelt and
// whatever happens to the directories between the look-up and the open.
// Names are taken character by character in the build's code page (see
// NameCharset.h): a backslash that is a trail byte belongs to its character.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "files/File.h"
#include "files/NameCharset.h"

namespace fer {

class GameFolder {
  public:
    // A folder that holds nothing: every name is refused.
    GameFolder() = default;
    // root is made absolute and its symbolic links resolved when it exists;
    // names are in charset's code page.
    explicit GameFolder(const std::filesystem::path& root,
                        NameCharset charset = NameCharset::kGbk);

    bool empty() const { return root_.empty(); }
    const std::filesystem::path& root() const { return root_; }

    // The name as a path relative to the folder, when its spelling stays
    // inside it; nullopt when it is refused.
    std::optional<std::string> relativeName(std::string_view name) const;

    // The existing regular file name leads to (any letter case, see
    // CaseInsensitivePath.h); nullopt when it is refused or missing.
    std::optional<std::filesystem::path> find(std::string_view name) const;

    // Opens name for reading. A closed File, with the reason in error when
    // given, when the name is refused, the file is missing or not a regular
    // file, or the file opened lies outside the folder.
    File openForRead(std::string_view name, OpenError* error = nullptr) const;

    // Whether path (existing, with symbolic links followed) lies inside the folder.
    bool holds(const std::filesystem::path& path) const;
    // Whether the file open as file, which was opened as path, lies inside
    // the folder.
    bool holds(const File& file, const std::filesystem::path& path) const;

    // Where to create or replace name: an existing file of that name in any
    // letter case, else the name under the folder. nullopt when the name is
    // refused or its directory does not lie inside the folder.
    std::optional<std::filesystem::path> placeForWrite(std::string_view name) const;

  private:
    bool inside(const std::string& realPath) const;

    std::filesystem::path root_;
    NameCharset charset_ = NameCharset::kGbk;
};

} // namespace fer

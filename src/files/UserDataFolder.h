#pragma once
// Where the engine keeps what it writes (saves, the log, the settings the
// player changes) when the game folder cannot be written, as a game
// installed for the whole system never can: a folder of the player's own,
// $XDG_DATA_HOME/FerKite/<game>/ ($XDG_DATA_HOME defaulting to
// ~/.local/share), created when something is first written there. <game> is
// the game's title (UTF-8) or, without one, the game folder's name.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace fer {

class UserDataFolder {
  public:
    static constexpr const char* kEngineFolder = "FerKite";

    // Whether this process may create files in folder (as access() answers,
    // so also for a read-only file system when run as root).
    static bool writable(const std::filesystem::path& folder);

    // The folder for a game with this title (empty: none) in gameFolder;
    // nullopt when neither $XDG_DATA_HOME nor $HOME is set to an absolute path.
    static std::optional<std::filesystem::path> forGame(std::string_view title,
                                                        const std::filesystem::path& gameFolder);

    // A title or folder name made into one safe path component: '/', control
    // characters and a leading '.' become '_'; empty stays empty.
    static std::string componentFor(std::string_view name);

    // Creates the folder and its parents (private to the player); false on failure.
    static bool create(const std::filesystem::path& folder);
};

} // namespace fer

// What the page asks of the engine before it starts it: where the engine
// keeps a game's saves, settings and log, so that the page can put back what
// an earlier visit wrote there. The same rule as the engine's own placement
// of its writes when the game folder is read-only.

#include <cstring>
#include <string>

#include <emscripten.h>

#include "core/BuildVariant.h"
#include "files/SettingsFile.h"
#include "files/UserDataFolder.h"
#include "shell/GameTitle.h"

extern "C" EMSCRIPTEN_KEEPALIVE int ferUserDataFolder(const char* gameFolder, char* out, int cap) {
    const fer::BuildVariant& variant = fer::kGb2312Variant;
    const std::filesystem::path folder(gameFolder);
    const fer::SettingsFile settings(folder / variant.settingsFileName);
    const std::string title =
        fer::gameTitleInUtf8(settings.getText("Config", "TITLE", "", 127), variant);
    const auto place = fer::UserDataFolder::forGame(title, folder);
    if (!place || cap <= 0) return 0;
    const std::string path = place->string();
    if (path.size() + 1 > static_cast<size_t>(cap)) return 0;
    std::memcpy(out, path.c_str(), path.size() + 1);
    return 1;
}

// The settings file as read from disk: any file answers every lookup, and an
// edit changes that one value and nothing the other lookups see.

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "files/SettingsFile.h"

namespace {

// Files are written for every input: in memory where the system has a
// place for that, so the engine's flushes to disk cost nothing.
std::filesystem::path scratchDirectory() {
    std::error_code error;
    if (std::filesystem::is_directory("/dev/shm", error)) return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

// The folder of this process's settings file, removed at its end.
struct ScratchFolder {
    ScratchFolder()
        : path(scratchDirectory() / ("fer-fuzz-settings-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder() {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
    std::filesystem::path path;
};

const std::filesystem::path& settingsPath() {
    static const ScratchFolder folder;
    static const std::filesystem::path path = folder.path / "KITE5HAN.INI";
    return path;
}

// The keys the engine reads at start-up and while it runs.
struct Key {
    const char* section;
    const char* key;
};
constexpr Key kKeys[] = {{"Config", "TITLE"},    {"Config", "MOVE"},   {"Config", "SCREEN"},
                         {"Config", "MUSIC"},    {"Config", "VOICE"},  {"FILE", "bARCMES"},
                         {"FILE", "ARCMESNAME"}, {"FILE", "CDDRV"},    {"MES", "bMESTYPE"},
                         {"DATA", "bDATATYPE"},  {"Debug", "DEBUG"},   {"Config", "FONT"}};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto& path = settingsPath();
    {
        std::ofstream f(path, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    fer::SettingsFile settings(path);
    int32_t before[std::size(kKeys)];
    for (size_t i = 0; i < std::size(kKeys); ++i) {
        before[i] = settings.getInt(kKeys[i].section, kKeys[i].key, -7);
        settings.getText(kKeys[i].section, kKeys[i].key, "none", 260);
    }
    const size_t pick = size == 0 ? 0 : data[0] % std::size(kKeys);
    const Key& key = kKeys[pick];
    if (settings.putInt(key.section, key.key, 12345)) {
        if (settings.getInt(key.section, key.key, 0) != 12345) __builtin_trap();
        for (size_t i = 0; i < std::size(kKeys); ++i)
            if (i != pick && settings.getInt(kKeys[i].section, kKeys[i].key, -7) != before[i])
                __builtin_trap();
    }
    {
        fer::SettingsFile::Held held(settings);
        settings.putText("Config", "TITLE", "kite");
        if (settings.getText("Config", "TITLE", "", 260) != "kite") __builtin_trap();
    }
    return 0;
}

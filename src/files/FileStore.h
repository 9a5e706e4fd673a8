#pragma once
// The only way the engine reads or writes files after start-up. A script
// names a file by its bare name; the settings decide whether it comes from
// its kind's archive or from a loose file, whether it is LZSS-coded, and
// whether a loose file missing from the game directory is looked for on the
// disc. Every failure is reported through the fatal error handler with the
// file's name; operations then return 0 (or no stream).
//
// Destinations are checked: a file or entry that does not fit, or that
// decodes past its destination, fails with the read error instead of
// writing beyond the script memory. Coded files are staged in script memory
// at 32-bit register 26 + 4096 and must not overlap what they decode into.
//
// Names from game data stay inside the game folder, and on the disc inside
// the disc root (see GameFolder.h); files the player chose are admitted by
// their whole path (admitChosenFile). Only regular files are read: a pipe,
// socket, device or directory in a file's place fails as a missing file
// would. Names in messages are shown with unprintable bytes escaped.

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "core/ByteSource.h"
#include "core/EngineStrings.h"
#include "core/FatalErrorHandler.h"
#include "core/ScriptMemory.h"
#include "files/ArcArchive.h"
#include "files/File.h"
#include "files/GameFolder.h"
#include "files/Lzss.h"
#include "files/PrintableName.h"
#include "files/SettingsFile.h"

namespace fer {

enum class ArchiveSlot : uint32_t { kMes = 0, kBg = 1, kData = 2, kBgm = 3, kVoice = 4 };

struct FileStoreOptions {
    // Relative names are looked for here (the engine's start directory).
    std::filesystem::path gameDirectory = ".";
    // Searched for a mounted disc when "CDDRV" names no directory.
    std::filesystem::path mountTable = "/proc/self/mounts";
    // How many archive files may stay open between loads (see setUp).
    uint32_t handleBudget = 5;
    // The code page of names, for showing them in messages.
    NameCharset nameCharset = NameCharset::kGbk;
    // The language of the line that says why an archive cannot be opened.
    EngineLanguage language = EngineLanguage::kChinese;
};

class FileStore {
  public:
    static constexpr uint32_t kSaveFileSize = ScriptMemory::kSaveSize;
    static constexpr uint32_t kStagingGap = 4096; // staging = register 26 + this

    FileStore(FatalErrorHandler& errors, const SettingsFile& settings,
              FileStoreOptions options = {});
    ~FileStore();
    FileStore(const FileStore&) = delete;
    FileStore& operator=(const FileStore&) = delete;

    // Reads the file settings, chooses the disc root, creates the decoder and
    // opens the enabled archives (MES, BG, DATA, BGM). 0 when one fails.
    int setUp();
    // After setUp failed: which file and why, in a line for the player
    // ("/games/kite 中的 BG.ARC：不存在。"); empty when nothing is known.
    const std::string& setUpFailure() const { return setUpFailure_; }

    // Whether the script name can be loaded: in the script archive when
    // scripts come from it, else as a loose file. Nothing is reported.
    bool hasScript(std::string_view name);
    // When scripts come from their archive: the names a switch can load from
    // it, sorted, each once. nullopt when scripts are loose files.
    std::optional<std::vector<std::string>> archivedScripts() const;
    // Whether files of the slot's kind come from its archive.
    bool fromArchive(ArchiveSlot slot) const { return slots_[static_cast<size_t>(slot)].enabled; }

    // Opens name for reading: a file the player chose by its whole path;
    // else in the game directory (any letter case), then, with "bCDROM" = 1,
    // under the disc root. No message; the reason in error when given.
    File openForRead(std::string_view name, OpenError* error = nullptr) const;

    // Admits a file the player chose (dropped on the window or picked from
    // the file choice): for the rest of the run, path names that file
    // wherever it lies. A save made while it runs holds the path as its
    // script name, so loading that save in this run finds the file again.
    void admitChosenFile(std::string_view path);

    // The names, upper-cased, of everything at the top of the places
    // openForRead looks in (the game directory, and the disc root when that
    // is used): a plain name missing here is missing for openForRead too.
    // Nothing when a place cannot be listed.
    std::optional<std::set<std::string, std::less<>>> topLevelNames() const;

    // Loads a file of its kind to memory at offset. 1 or 0.
    int loadScript(std::string_view name, ScriptMemory& memory, uint32_t offset);
    int loadData(std::string_view name, ScriptMemory& memory, uint32_t offset);
    int loadPicture(std::string_view name, ScriptMemory& memory, uint32_t offset);

    // Reads a loose file as stored into destination (save files); a file
    // longer than destination gives its first destination.size() bytes.
    int readWholeFile(std::string_view name, std::span<uint8_t> destination);
    // Replaces the loose file name with exactly 4096 bytes: source, cut or
    // padded with zeros. The old file stays intact until the new one is
    // complete on disk.
    int writeSaveFile(std::string_view name, std::span<const uint8_t> source);

    // Kind 0 or 1: music; 2: voice. The sound's bytes (a loose file, or its
    // archive entry) through a descriptor of their own, for any thread to
    // read; they stay readable after closeStream, reopenArchives, shutDown
    // and the store's end. nullptr after a failure (reported for music,
    // silent for voice) and for any other kind.
    std::unique_ptr<ByteSource> openStream(std::string_view name, int kind);
    // Gives back the store's own handles of a kind's stream; streams already
    // handed out are not affected. 1.
    int closeStream(int kind);

    // Closes and re-opens the archives; the result of opening the BGM archive.
    int reopenArchives(int unused);
    void shutDown();

    const std::filesystem::path& discRoot() const { return discRoot_; }
    const GameFolder& gameFolder() const { return game_; }

    // Saves are written to folder (created with the first save) rather than
    // the game folder, and looked for there first, then in the game folder.
    void setSaveFolder(std::filesystem::path folder) { saveFolder_ = std::move(folder); }
    const std::filesystem::path& saveFolder() const { return saveFolder_; }
    uint32_t handleBudget() const { return options_.handleBudget; }
    const ArcArchive& archive(ArchiveSlot slot) const { return slots_[index(slot)].archive; }

  private:
    struct Slot {
        ArcArchive archive;
        std::string name;
        bool enabled = false; // the kind's archive setting is 1
    };
    static constexpr size_t index(ArchiveSlot slot) { return static_cast<size_t>(slot); }

    int loadKind(ArchiveSlot slot, bool fromArchive, bool coded, std::string_view name,
                 ScriptMemory& memory, uint32_t offset);
    int loadFromArchive(ArchiveSlot slot, bool coded, std::string_view name, ScriptMemory& memory,
                        uint32_t offset);
    int loadLoose(bool coded, std::string_view name, ScriptMemory& memory, uint32_t offset);
    // Reads size bytes from file into memory (staged and decoded when coded).
    bool readInto(File& file, uint32_t size, bool coded, ScriptMemory& memory, uint32_t offset);
    int openArchive(ArchiveSlot slot, std::string_view name);
    void closeArchive(ArchiveSlot slot);
    bool ensureHandle(ArchiveSlot slot);
    // Looks name up and positions the slot's file at the entry.
    std::optional<ArcEntry> seekEntry(ArchiveSlot slot, std::string& name, bool report);
    bool keepsOpenAfterLoad(ArchiveSlot slot) const;
    std::unique_ptr<ByteSource> openLooseStream(std::string_view name, bool report);
    std::unique_ptr<ByteSource> openMusicArchive(std::string_view name);
    std::unique_ptr<ByteSource> openVoiceArchive(std::string_view name);
    std::optional<ArcEntry> tryVoiceArchive(std::string_view archiveName, std::string& name);
    // name as messages show it.
    std::string shown(std::string_view name) const;

    FatalErrorHandler& errors_;
    const SettingsFile& settings_;
    FileStoreOptions options_;
    GameFolder game_;
    std::filesystem::path saveFolder_; // empty: saves live in the game folder
    std::string setUpFailure_;
    GameFolder disc_;
    std::set<std::string, std::less<>> chosen_;
    std::unique_ptr<LzssDecoder> decoder_;
    std::array<Slot, 5> slots_;
    std::filesystem::path discRoot_;
    bool useDisc_ = false;
    bool mesCoded_ = false;
    bool dataCoded_ = false;
};

} // namespace fer

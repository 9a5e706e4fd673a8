#include "files/FileStore.h"

#include <algorithm>
#include <new>
#include <vector>

#include "files/AtomicFileWriter.h"
#include "files/CaseInsensitivePath.h"
#include "files/DiscDrive.h"
#include "files/FileMessages.h"
#include "files/FileSlice.h"
#include "files/UserDataFolder.h"

namespace fer {
namespace {

constexpr const char* kFileSection = "FILE";
constexpr size_t kMaxNameLength = 255;
constexpr size_t kMaxVoicePrefix = 1024;

// Archive kinds stay open after a load or a finished stream with at least
// this many handles, and after their directory is read with more than
// openAfterDirectory.
struct Budget {
    uint32_t afterLoad;
    uint32_t afterDirectory; // kept when budget > this
};
constexpr Budget kBudgets[] = {{2, 1}, {3, 2}, {4, 3}, {3, 4}, {0, 0}};

constexpr const char* kCloseTexts[] = {
    file_text::kMesArcCloseFailed, file_text::kBgArcCloseFailed, file_text::kDataArcCloseFailed,
    file_text::kBgmArcCloseFailed, file_text::kVoiceArcCloseFailed};

} // namespace

FileStore::FileStore(FatalErrorHandler& errors, const SettingsFile& settings,
                     FileStoreOptions options)
    : errors_(errors), settings_(settings), options_(std::move(options)),
      game_(options_.gameDirectory, options_.nameCharset) {}

FileStore::~FileStore() {
    shutDown();
}

int FileStore::setUp() {
    setUpFailure_.clear();
    auto flag = [&](const char* section, const char* key) {
        return settings_.getInt(section, key, 0) == 1;
    };
    std::string drive = settings_.getText(kFileSection, "CDDRV", "NOCD", kMaxNameLength);
    discRoot_ = chooseDiscRoot(drive, options_.gameDirectory, options_.mountTable);
    disc_ = discRoot_.empty() ? GameFolder{} : GameFolder(discRoot_, options_.nameCharset);
    useDisc_ = settings_.getInt(kFileSection, "bCDROM", 1) == 1;
    slots_[index(ArchiveSlot::kMes)].enabled = flag(kFileSection, "bARCMES");
    slots_[index(ArchiveSlot::kBg)].enabled = flag(kFileSection, "bARCBG");
    slots_[index(ArchiveSlot::kBgm)].enabled = flag(kFileSection, "bARCBGM");
    slots_[index(ArchiveSlot::kVoice)].enabled = flag(kFileSection, "bARCVOICE");
    slots_[index(ArchiveSlot::kData)].enabled = flag(kFileSection, "bARCDATA");
    mesCoded_ = flag("MES", "bMESTYPE");
    dataCoded_ = flag("DATA", "bDATATYPE");
    slots_[index(ArchiveSlot::kMes)].name =
        settings_.getText(kFileSection, "ARCMESNAME", "MES.ARC", kMaxNameLength);
    slots_[index(ArchiveSlot::kBg)].name =
        settings_.getText(kFileSection, "ARCBGNAME", "BG.ARC", kMaxNameLength);
    slots_[index(ArchiveSlot::kBgm)].name =
        settings_.getText(kFileSection, "ARCBGMNAME", "BGM.ARC", kMaxNameLength);
    slots_[index(ArchiveSlot::kData)].name =
        settings_.getText(kFileSection, "ARCDATANAME", "DATA.ARC", kMaxNameLength);

    decoder_.reset(new (std::nothrow) LzssDecoder());
    if (!decoder_) return 0;

    for (ArchiveSlot slot :
         {ArchiveSlot::kMes, ArchiveSlot::kBg, ArchiveSlot::kData, ArchiveSlot::kBgm}) {
        Slot& s = slots_[index(slot)];
        if (s.enabled && !openArchive(slot, s.name)) return 0;
    }
    return 1;
}

bool FileStore::hasScript(std::string_view name) {
    Slot& s = slots_[index(ArchiveSlot::kMes)];
    if (s.enabled) {
        std::string upper(name);
        return s.archive.lookup(upper).has_value();
    }
    // Only a script that is not there at all counts as missing; one that
    // cannot be read is reported when it is loaded.
    OpenError why = OpenError::kNone;
    return openForRead(name, &why).isOpen() || why != OpenError::kMissing || game_.find(name);
}

std::optional<std::vector<std::string>> FileStore::archivedScripts() const {
    const Slot& s = slots_[index(ArchiveSlot::kMes)];
    if (!s.enabled) return std::nullopt;
    std::vector<std::string> names = s.archive.names();
    // A lookup upper-cases the name it is given: an entry named with a
    // lower-case letter, or with no name, is never found.
    std::erase_if(names, [](const std::string& name) {
        return name.empty() ||
               std::any_of(name.begin(), name.end(), [](char c) { return c >= 'a' && c <= 'z'; });
    });
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

File FileStore::openForRead(std::string_view name, OpenError* error) const {
    try {
        if (chosen_.find(name) != chosen_.end())
            return File::openForRead(std::filesystem::path(std::string(name)), error);
        OpenError why = OpenError::kMissing;
        File file = game_.openForRead(name, &why);
        if (!file.isOpen() && useDisc_ && !disc_.empty()) {
            OpenError discWhy = OpenError::kMissing;
            file = disc_.openForRead(name, &discWhy);
            if (why == OpenError::kMissing) why = discWhy;
        }
        if (error) *error = file.isOpen() ? OpenError::kNone : why;
        return file;
    } catch (...) {
        if (error) *error = OpenError::kMissing;
        return File{};
    }
}

std::optional<std::set<std::string, std::less<>>> FileStore::topLevelNames() const {
    try {
        std::set<std::string, std::less<>> names;
        auto list = [&](const GameFolder& folder) {
            if (folder.empty()) return false;
            std::error_code error;
            for (std::filesystem::directory_iterator it(folder.root(), error), end;
                 !error && it != end; it.increment(error)) {
                names.insert(upperCased(it->path().filename().string(), options_.nameCharset));
            }
            return !error;
        };
        if (!list(game_)) return std::nullopt;
        if (useDisc_ && !disc_.empty() && !list(disc_)) return std::nullopt;
        return names;
    } catch (...) {
        return std::nullopt;
    }
}

void FileStore::admitChosenFile(std::string_view path) {
    if (!path.empty()) chosen_.emplace(path);
}

std::string FileStore::shown(std::string_view name) const {
    return printableName(name, options_.nameCharset);
}

int FileStore::openArchive(ArchiveSlot slot, std::string_view name) {
    Slot& s = slots_[index(slot)];
    OpenError openError = OpenError::kNone;
    File file = openForRead(name, &openError);
    ArcLoadError loadError = ArcLoadError::kNone;
    if (!file.isOpen() || !s.archive.load(std::move(file), &loadError)) {
        EngineString why = EngineString::kArchiveUnreadable;
        if (openError == OpenError::kMissing && !game_.find(name)) why = EngineString::kArchiveMissing;
        else if (openError == OpenError::kNotRegular) why = EngineString::kArchiveNotAFile;
        else if (openError == OpenError::kOutside) why = EngineString::kArchiveOutside;
        else if (loadError == ArcLoadError::kNotArchive) why = EngineString::kArchiveTooShort;
        else if (loadError == ArcLoadError::kDamagedDirectory) why = EngineString::kArchiveDamaged;
        else if (loadError == ArcLoadError::kNoMemory) why = EngineString::kArchiveNoMemory;
        const EngineLanguage language = options_.language;
        setUpFailure_ = engineText(language, EngineString::kArchiveFailure,
                                   {shown(name), game_.root().string(), engineString(language, why)});
        return 0;
    }
    const uint32_t budget = options_.handleBudget;
    const bool keep = slot == ArchiveSlot::kVoice || budget > kBudgets[index(slot)].afterDirectory;
    if (!keep) s.archive.closeHandle();
    return 1;
}

void FileStore::closeArchive(ArchiveSlot slot) {
    Slot& s = slots_[index(slot)];
    if (!s.enabled) return;
    if (!s.archive.close())
        errors_.fatalError(file_text::kFileErrorTitle, kCloseTexts[index(slot)]);
}

bool FileStore::ensureHandle(ArchiveSlot slot) {
    Slot& s = slots_[index(slot)];
    if (s.archive.hasHandle()) return true;
    File file = openForRead(s.name);
    if (!file.isOpen()) return false;
    s.archive.attach(std::move(file));
    return true;
}

std::optional<ArcEntry> FileStore::seekEntry(ArchiveSlot slot, std::string& name, bool report) {
    ArcArchive& archive = slots_[index(slot)].archive;
    auto entry = archive.lookup(name);
    if (!entry) {
        if (report) errors_.fatalError(file_text::kLookupErrorTitle, shown(name));
        return std::nullopt;
    }
    if (!archive.handle().seek(entry->offset)) return std::nullopt;
    return entry;
}

bool FileStore::keepsOpenAfterLoad(ArchiveSlot slot) const {
    return options_.handleBudget >= kBudgets[index(slot)].afterLoad;
}

int FileStore::loadScript(std::string_view name, ScriptMemory& memory, uint32_t offset) {
    return loadKind(ArchiveSlot::kMes, slots_[index(ArchiveSlot::kMes)].enabled, mesCoded_, name,
                    memory, offset);
}

int FileStore::loadData(std::string_view name, ScriptMemory& memory, uint32_t offset) {
    return loadKind(ArchiveSlot::kData, slots_[index(ArchiveSlot::kData)].enabled, dataCoded_, name,
                    memory, offset);
}

int FileStore::loadPicture(std::string_view name, ScriptMemory& memory, uint32_t offset) {
    return loadKind(ArchiveSlot::kBg, slots_[index(ArchiveSlot::kBg)].enabled, false, name, memory,
                    offset);
}

int FileStore::loadKind(ArchiveSlot slot, bool fromArchive, bool coded, std::string_view name,
                        ScriptMemory& memory, uint32_t offset) {
    try {
        if (fromArchive) return loadFromArchive(slot, coded, name, memory, offset);
        return loadLoose(coded, name, memory, offset);
    } catch (...) {
        errors_.fatalError(file_text::kReadFailed, shown(name));
        return 0;
    }
}

int FileStore::loadFromArchive(ArchiveSlot slot, bool coded, std::string_view name,
                               ScriptMemory& memory, uint32_t offset) {
    Slot& s = slots_[index(slot)];
    if (!ensureHandle(slot)) {
        errors_.fatalError(file_text::kOpenErrorTitle, shown(s.name));
        return 0;
    }
    std::string wanted(name);
    auto entry = seekEntry(slot, wanted, true);
    if (!entry) return 0;
    auto archiveSize = s.archive.handle().size();
    if (!archiveSize || uint64_t{entry->offset} + entry->size > *archiveSize ||
        !readInto(s.archive.handle(), entry->size, coded, memory, offset)) {
        errors_.fatalError(file_text::kReadFailed, shown(wanted));
        return 0;
    }
    if (!keepsOpenAfterLoad(slot)) s.archive.closeHandle();
    return 1;
}

int FileStore::loadLoose(bool coded, std::string_view name, ScriptMemory& memory, uint32_t offset) {
    File file = openForRead(name);
    if (!file.isOpen()) {
        errors_.fatalError(file_text::kOpenErrorTitle, shown(name));
        return 0;
    }
    auto size = file.size();
    if (!size) {
        errors_.fatalError(file_text::kSizeFailedTitle, shown(name));
        return 0;
    }
    if (*size > ScriptMemory::kSize ||
        !readInto(file, static_cast<uint32_t>(*size), coded, memory, offset)) {
        errors_.fatalError(file_text::kReadFailed, shown(name));
        return 0;
    }
    if (!file.close()) {
        errors_.fatalError(file_text::kCloseFailed, shown(name));
        return 0;
    }
    return 1;
}

bool FileStore::readInto(File& file, uint32_t size, bool coded, ScriptMemory& memory,
                         uint32_t offset) {
    if (offset > ScriptMemory::kSize) return false;
    if (!coded) {
        if (size > ScriptMemory::kSize - offset) return false;
        return file.readExact(memory.bytes().subspan(offset, size));
    }
    if (!decoder_) return false;
    const uint64_t staging = uint64_t{memory.reg32(reg32::kPictureOffset)} + kStagingGap;
    if (!ScriptMemory::fits(staging, size)) return false;
    // The decoded bytes must not run into the staged ones they come from.
    uint64_t capacity = ScriptMemory::kSize - offset;
    if (staging >= offset) {
        capacity = std::min<uint64_t>(capacity, staging - offset);
    } else if (staging + size > offset) {
        return false;
    }
    auto stage = memory.bytes().subspan(static_cast<size_t>(staging), size);
    if (!file.readExact(stage)) return false;
    LzssResult result =
        decoder_->decode(stage, memory.bytes().subspan(offset, static_cast<size_t>(capacity)));
    return !result.overflow;
}

int FileStore::readWholeFile(std::string_view name, std::span<uint8_t> destination) {
    File file;
    if (!saveFolder_.empty())
        file = GameFolder(saveFolder_, options_.nameCharset).openForRead(name);
    if (!file.isOpen()) file = openForRead(name);
    if (!file.isOpen()) {
        errors_.fatalError(file_text::kOpenErrorTitle, shown(name));
        return 0;
    }
    auto size = file.size();
    if (!size) {
        errors_.fatalError(file_text::kSizeFailedTitle, shown(name));
        return 0;
    }
    // A longer file (a save written by another tool) gives its first bytes.
    const uint64_t length = std::min<uint64_t>(*size, destination.size());
    if (!file.readExact(destination.first(static_cast<size_t>(length)))) {
        errors_.fatalError(file_text::kReadFailed, shown(name));
        return 0;
    }
    if (!file.close()) {
        errors_.fatalError(file_text::kCloseFailed, shown(name));
        return 0;
    }
    return 1;
}

int FileStore::writeSaveFile(std::string_view name, std::span<const uint8_t> source) {
    std::array<uint8_t, kSaveFileSize> bytes{};
    std::copy_n(source.begin(), std::min<size_t>(source.size(), bytes.size()), bytes.begin());
    // A save that cannot be written is shown, and the game goes on.
    std::optional<std::filesystem::path> target;
    if (saveFolder_.empty()) {
        target = game_.placeForWrite(name);
    } else if (UserDataFolder::create(saveFolder_)) {
        target = GameFolder(saveFolder_, options_.nameCharset).placeForWrite(name);
    }
    if (!target) {
        errors_.failureNotice(file_text::kOpenErrorTitle, shown(name));
        return 0;
    }
    switch (replaceFileAtomically(*target, bytes)) {
    case WriteOutcome::kDone: return 1;
    case WriteOutcome::kIsLink:     // never written through
    case WriteOutcome::kNotRegular: // nor put in the place of a folder or a pipe
    case WriteOutcome::kCreateFailed:
        errors_.failureNotice(file_text::kOpenErrorTitle, shown(name));
        break;
    case WriteOutcome::kWriteFailed:
        errors_.failureNotice(file_text::kFileErrorTitle, file_text::kReadFailed);
        break;
    case WriteOutcome::kCloseFailed:
        errors_.failureNotice(file_text::kFileErrorTitle, file_text::kCloseFailed);
        break;
    }
    return 0;
}

std::unique_ptr<ByteSource> FileStore::openStream(std::string_view name, int kind) {
    // Nothing here throws but allocation: the path searches report through
    // error codes.
    if (kind == 0 || kind == 1) {
        if (!slots_[index(ArchiveSlot::kBgm)].enabled) return openLooseStream(name, true);
        return openMusicArchive(name);
    }
    if (kind == 2) {
        if (slots_[index(ArchiveSlot::kVoice)].enabled) return openVoiceArchive(name);
        return openLooseStream(name, false);
    }
    return nullptr;
}

std::unique_ptr<ByteSource> FileStore::openLooseStream(std::string_view name, bool report) {
    File file = openForRead(name);
    if (!file.isOpen()) {
        if (report) errors_.fatalError(file_text::kOpenErrorTitle, shown(name));
        return nullptr;
    }
    auto size = file.size();
    if (!size) {
        if (report) errors_.fatalError(file_text::kSizeFailedTitle, shown(name));
        return nullptr;
    }
    return std::make_unique<FileSlice>(std::move(file), 0, *size);
}

std::unique_ptr<ByteSource> FileStore::openMusicArchive(std::string_view name) {
    Slot& s = slots_[index(ArchiveSlot::kBgm)];
    std::string wanted(name);
    if (ensureHandle(ArchiveSlot::kBgm)) {
        if (auto entry = seekEntry(ArchiveSlot::kBgm, wanted, true)) {
            auto slice = FileSlice::duplicate(s.archive.handle(), entry->offset, entry->size);
            if (slice) return slice;
        }
    }
    errors_.fatalError(file_text::kOpenErrorTitle, shown(s.name));
    return nullptr;
}

std::optional<ArcEntry> FileStore::tryVoiceArchive(std::string_view archiveName,
                                                   std::string& name) {
    if (!openArchive(ArchiveSlot::kVoice, archiveName)) return std::nullopt;
    return seekEntry(ArchiveSlot::kVoice, name, false);
}

std::unique_ptr<ByteSource> FileStore::openVoiceArchive(std::string_view name) {
    std::string wanted(name);
    size_t prefix = 0;
    while (prefix < wanted.size() && prefix < kMaxVoicePrefix &&
           !(wanted[prefix] >= '0' && wanted[prefix] <= '9')) {
        ++prefix;
    }
    Slot& voice = slots_[index(ArchiveSlot::kVoice)];
    std::optional<ArcEntry> entry;
    if (prefix == 1) {
        entry = tryVoiceArchive("GIRL.ARC", wanted);
        if (!entry) {
            closeArchive(ArchiveSlot::kVoice);
            entry = tryVoiceArchive("BOY.ARC", wanted);
        }
    } else if (prefix >= 2) {
        entry = tryVoiceArchive(wanted.substr(0, prefix - 1) + ".ARC", wanted);
    }
    if (entry) {
        auto slice = FileSlice::duplicate(voice.archive.handle(), entry->offset, entry->size);
        if (slice) return slice;
    }
    closeArchive(ArchiveSlot::kVoice);
    return nullptr;
}

int FileStore::closeStream(int kind) {
    if (kind == 0 || kind == 1) {
        Slot& s = slots_[index(ArchiveSlot::kBgm)];
        // A loose file belongs to its stream alone.
        if (s.enabled && !keepsOpenAfterLoad(ArchiveSlot::kBgm)) s.archive.closeHandle();
    } else if (kind == 2) {
        if (slots_[index(ArchiveSlot::kVoice)].enabled) closeArchive(ArchiveSlot::kVoice);
    }
    return 1;
}

int FileStore::reopenArchives(int) {
    for (ArchiveSlot slot : {ArchiveSlot::kMes, ArchiveSlot::kBg, ArchiveSlot::kBgm,
                             ArchiveSlot::kVoice, ArchiveSlot::kData}) {
        closeArchive(slot);
    }
    int result = 0;
    for (ArchiveSlot slot :
         {ArchiveSlot::kMes, ArchiveSlot::kBg, ArchiveSlot::kData, ArchiveSlot::kBgm}) {
        result = openArchive(slot, slots_[index(slot)].name);
    }
    return result;
}

void FileStore::shutDown() {
    decoder_.reset();
    for (ArchiveSlot slot : {ArchiveSlot::kMes, ArchiveSlot::kBg, ArchiveSlot::kBgm,
                             ArchiveSlot::kVoice, ArchiveSlot::kData}) {
        if (slots_[index(slot)].archive.isLoaded() || slots_[index(slot)].archive.hasHandle()) {
            closeArchive(slot);
        }
    }
}

} // namespace fer

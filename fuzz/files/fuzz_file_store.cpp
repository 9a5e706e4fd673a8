// The file store over a game folder made from the input: archive loading,
// LZSS staging in script memory and the letter-case-blind lookup of names.
//
// Input: three control bytes, then the bytes written as MES.ARC, DATA.ARC,
// a loose main.mes and a loose Data.Bin (so each name is found whatever the
// settings choose, in another letter case than asked for).
//   0  bit 0 bARCMES, bit 1 bMESTYPE, bit 2 bARCDATA, bit 3 bDATATYPE,
//      bits 4..7 pick the picture offset register (the staging area)
//   1  the load offset, in 4 KiB steps from 0x1000
//   2  picks a name asked for, besides MAIN.MES and DATA.BIN
// Every failure is reported through the error handler; nothing may be
// written outside script memory.

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/FatalErrorHandler.h"
#include "core/ScriptMemory.h"
#include "core/ScriptRegisters.h"
#include "files/FileStore.h"
#include "files/SettingsFile.h"

namespace {

// Files are written for every input: in memory where the system has a
// place for that, so the engine's flushes to disk cost nothing.
std::filesystem::path scratchDirectory() {
    std::error_code error;
    if (std::filesystem::is_directory("/dev/shm", error)) return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

namespace fs = std::filesystem;

class QuietErrors : public fer::FatalErrorHandler {
  public:
    void fatalError(std::string_view, std::string_view) override { ++count; }
    int count = 0;
};

// The game folder of this process, removed at its end.
struct ScratchFolder {
    ScratchFolder() : path(scratchDirectory() / ("fer-fuzz-store-" + std::to_string(::getpid()))) {
        fs::create_directories(path);
    }
    ~ScratchFolder() {
        std::error_code error;
        fs::remove_all(path, error);
    }
    fs::path path;
};

const fs::path& gameFolder() {
    static const ScratchFolder folder;
    return folder.path;
}

void writeFile(const fs::path& path, std::string_view bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fer::ScriptMemory memory;
    uint8_t c[3] = {};
    std::copy_n(data, std::min<size_t>(size, 3), c);
    const std::string_view body(reinterpret_cast<const char*>(data) + std::min<size_t>(size, 3),
                                size - std::min<size_t>(size, 3));

    const fs::path& dir = gameFolder();
    std::string ini = "[FILE]\r\nbCDROM=0\r\n";
    ini += "bARCMES=" + std::to_string(c[0] & 1) + "\r\n";
    ini += "bARCDATA=" + std::to_string((c[0] >> 2) & 1) + "\r\n";
    ini += "[MES]\r\nbMESTYPE=" + std::to_string((c[0] >> 1) & 1) + "\r\n";
    ini += "[DATA]\r\nbDATATYPE=" + std::to_string((c[0] >> 3) & 1) + "\r\n";
    writeFile(dir / "KITE5HAN.INI", ini);
    writeFile(dir / "MES.ARC", body);
    writeFile(dir / "DATA.ARC", body);
    writeFile(dir / "main.mes", body);
    writeFile(dir / "Data.Bin", body);

    static constexpr uint32_t kPictureOffsets[16] = {
        0x20000,  0,          0x1000,     0x0FFFF000, 0xFFFFFFFF, 0xFFFFF000, 0x100000, 0x0F0000,
        0x1011C4, 0x1011C4 - 4096, 0x80000, 0x40000,  0x2000,     0x10000,    0x7FFFFFFF, 0x30000};
    memory.setReg32(fer::reg32::kPictureOffset, kPictureOffsets[c[0] >> 4]);

    QuietErrors errors;
    fer::SettingsFile settings(dir / "KITE5HAN.INI");
    fer::FileStore store(errors, settings, {.gameDirectory = dir});
    if (store.setUp() == 0) return 0;
    const uint32_t offset = 0x1000 + uint32_t{c[1]} * 0x1000;
    static constexpr const char* kNames[] = {"main.mes", "MAIN.MES", "Main.Mes", "DATA.BIN",
                                             "data.bin", "A",        "",         "../MAIN.MES"};
    store.hasScript("MAIN.MES");
    store.loadScript("MAIN.MES", memory, offset);
    store.loadData("DATA.BIN", memory, offset);
    store.loadScript(kNames[c[2] % 8], memory, offset);
    store.loadData(kNames[(c[2] >> 3) % 8], memory, offset);
    uint8_t save[fer::FileStore::kSaveFileSize];
    store.readWholeFile("DATA.BIN", save);
    return 0;
}

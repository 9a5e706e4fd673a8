#include "files/FileStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "SpecialFiles.h"
#include "TempDir.h"
#include "TestData.h"
#include "Within.h"
#include "files/ArcArchiveBuilder.h"
#include "files/FileMessages.h"
#include "files/LzssEncoder.h"

namespace fer {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct RecordingErrors : FatalErrorHandler {
    std::vector<std::pair<std::string, std::string>> reports;
    void fatalError(std::string_view title, std::string_view text) override {
        reports.emplace_back(title, text);
    }
};

std::vector<uint8_t> lzss(const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    EXPECT_TRUE(LzssEncoder().encode(data, out));
    return out;
}

std::span<const uint8_t> bytesOf(std::string_view s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

class FileStoreTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    test::TempDir disc;
    SettingsFile settings{dir / "KITE5HAN.INI"};
    RecordingErrors errors;
    ScriptMemory memory;
    std::unique_ptr<FileStore> store;

    void SetUp() override { memory.setReg32(26, 131072); }

    int start(std::string_view ini, uint32_t budget = 5) {
        dir.writeText("KITE5HAN.INI", ini);
        FileStoreOptions options;
        options.gameDirectory = dir.path();
        options.mountTable = dir / "no-mounts";
        options.handleBudget = budget;
        store = std::make_unique<FileStore>(errors, settings, options);
        return store->setUp();
    }
    void writeArchive(std::string_view name,
                      std::vector<std::pair<std::string, std::vector<uint8_t>>> entries) {
        ArcArchiveBuilder builder;
        for (auto& [n, b] : entries) EXPECT_TRUE(builder.add(n, b));
        dir.write(name, builder.build());
    }
    std::vector<uint8_t> code(size_t n) const {
        return {memory.data() + 0x1000, memory.data() + 0x1000 + n};
    }
    std::pair<std::string, std::string> lastReport() const {
        return errors.reports.empty() ? std::pair<std::string, std::string>{}
                                      : errors.reports.back();
    }
};

TEST_F(FileStoreTest, MissingLooseFileReportsOpenError) {
    ASSERT_EQ(start("[FILE]\r\nbCDROM=0\r\n"), 1);
    EXPECT_EQ(store->loadScript("NOPE.MES", memory, 0x1000), 0);
    EXPECT_EQ(lastReport(),
              std::make_pair(std::string(file_text::kOpenErrorTitle), std::string("NOPE.MES")));
}

TEST_F(FileStoreTest, LooseFilesFoundWhateverTheirCase) {
    dir.writeText("Main.Mes", "abc");
    dir.writeText("Sub/Dir/Pic.BMP", "xyz");
    ASSERT_EQ(start(""), 1);
    ASSERT_EQ(store->loadScript("MAIN.MES", memory, 0x1000), 1);
    EXPECT_EQ(code(3), (std::vector<uint8_t>{'a', 'b', 'c'}));
    ASSERT_EQ(store->loadPicture("sub\\DIR\\pic.bmp", memory, 0x1000), 1);
    EXPECT_EQ(code(3), (std::vector<uint8_t>{'x', 'y', 'z'}));
    EXPECT_TRUE(errors.reports.empty());
}

TEST_F(FileStoreTest, TopLevelNamesListWhatOpenForReadCanFind) {
    dir.writeText("Palette1.pal", "x");
    dir.writeText("Sub/PALETTE2.PAL", "y");
    ASSERT_EQ(start(""), 1);
    const auto names = store->topLevelNames();
    ASSERT_TRUE(names.has_value());
    EXPECT_EQ(names->count("PALETTE1.PAL"), 1u);
    EXPECT_EQ(names->count("SUB"), 1u);
    EXPECT_EQ(names->count("PALETTE2.PAL"), 0u);
    EXPECT_TRUE(store->openForRead("PALETTE1.PAL").isOpen());
}

TEST_F(FileStoreTest, ExactNameWinsOverOtherSpellings) {
    dir.writeText("save06", "lower");
    dir.writeText("SAVE06", "upper");
    ASSERT_EQ(start(""), 1);
    std::vector<uint8_t> buffer(16);
    ASSERT_EQ(store->readWholeFile("SAVE06", buffer), 1);
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 5), "upper");
    ASSERT_EQ(store->readWholeFile("save06", buffer), 1);
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 5), "lower");
}

TEST_F(FileStoreTest, DiscRootFromTheSettingAndTheMountTable) {
    disc.writeText("ONDISC.MES", "d");
    // A directory outside the game directory that is no mounted disc is not a disc root.
    ASSERT_EQ(start("[FILE]\nCDDRV=" + disc.path().string() + "\n"), 1);
    EXPECT_TRUE(store->discRoot().empty());
    EXPECT_EQ(store->loadScript("ondisc.mes", memory, 0x1000), 0);

    std::string path = disc.path().string();
    std::string escaped;
    for (char c : path) escaped += c == ' ' ? std::string("\\040") : std::string(1, c);
    dir.writeText("no-mounts", "proc /proc proc rw 0 0\n/dev/sr1 /mnt/b udf ro 0 0\n/dev/sr0 " +
                                   escaped + " iso9660 ro 0 0\n");
    ASSERT_EQ(start("[FILE]\nCDDRV=" + disc.path().string() + "\n"), 1);
    EXPECT_EQ(store->discRoot(), disc.path());
    ASSERT_EQ(store->loadScript("ondisc.mes", memory, 0x1000), 1);
    EXPECT_EQ(memory.byte(0x1000), 'd');

    ASSERT_EQ(start("[FILE]\nCDDRV=" + disc.path().string() + "\nbCDROM=0\n"), 1);
    EXPECT_EQ(store->loadScript("ONDISC.MES", memory, 0x1000), 0) << "bCDROM=0: no disc";

    ASSERT_EQ(start("[FILE]\nCDDRV=NOCD\n"), 1);
    EXPECT_EQ(store->discRoot(), fs::path("/mnt/b"));

    // A directory inside the game directory may stand for the disc.
    dir.writeText("CD/ONCD.MES", "c");
    ASSERT_EQ(start("[FILE]\nCDDRV=CD\n"), 1);
    ASSERT_EQ(store->loadScript("ONCD.MES", memory, 0x1000), 1);
    EXPECT_EQ(memory.byte(0x1000), 'c');
}

TEST_F(FileStoreTest, CodedLooseAndArchiveLoadsAreIdentical) {
    std::vector<uint8_t> script = test::textLike(30000, 11);
    dir.write("MAIN.MES", lzss(script));
    writeArchive("MES.ARC", {{"OTHER.MES", {1, 2}}, {"MAIN.MES", lzss(script)}});

    ASSERT_EQ(start("[MES]\nbMESTYPE=1\n"), 1);
    ASSERT_EQ(store->loadScript("MAIN.MES", memory, 0x1000), 1);
    EXPECT_EQ(code(script.size()), script);

    memory.clear();
    memory.setReg32(26, 131072);
    ASSERT_EQ(start("[FILE]\nbARCMES=1\n[MES]\nbMESTYPE=1\n"), 1);
    ASSERT_EQ(store->loadScript("main.mes", memory, 0x1000), 1);
    EXPECT_EQ(code(script.size()), script);
    EXPECT_TRUE(errors.reports.empty());
}

TEST_F(FileStoreTest, PlainLooseAndArchiveLoadsAreIdentical) {
    std::vector<uint8_t> data = test::randomBytes(5000, 12);
    dir.write("ITEM.DAT", data);
    writeArchive("PACK.ARC", {{"ITEM.DAT", data}});
    ASSERT_EQ(start(""), 1);
    ASSERT_EQ(store->loadData("ITEM.DAT", memory, 0x1000), 1);
    EXPECT_EQ(code(data.size()), data);
    memory.clear();
    ASSERT_EQ(start("[FILE]\nbARCDATA=1\nARCDATANAME=PACK.ARC\n"), 1);
    ASSERT_EQ(store->loadData("ITEM.DAT", memory, 0x1000), 1);
    EXPECT_EQ(code(data.size()), data);
}

TEST_F(FileStoreTest, MissingEntryReportsLookupErrorWithTheUpperCasedName) {
    writeArchive("MES.ARC", {{"MAIN.MES", {1}}});
    ASSERT_EQ(start("[FILE]\nbARCMES=1\n"), 1);
    EXPECT_EQ(store->loadScript("gone.mes", memory, 0x1000), 0);
    EXPECT_EQ(lastReport(),
              std::make_pair(std::string(file_text::kLookupErrorTitle), std::string("GONE.MES")));
    // The directory is back in its stored form after the failed lookup.
    std::vector<uint8_t> file = dir.read("MES.ARC");
    auto directory = store->archive(ArchiveSlot::kMes).directory();
    EXPECT_TRUE(std::equal(directory.begin(), directory.end(), file.begin() + 4));
}

TEST_F(FileStoreTest, MissingOrTruncatedArchiveFailsSetUp) {
    EXPECT_EQ(start("[FILE]\nbARCBG=1\n"), 0);
    ArcArchiveBuilder builder;
    builder.add("A.BMP", std::vector<uint8_t>(10, 1));
    std::vector<uint8_t> bytes = builder.build();
    bytes.resize(12); // cut inside the directory
    dir.write("BG.ARC", bytes);
    EXPECT_EQ(start("[FILE]\nbARCBG=1\n"), 0);
    dir.write("BG.ARC", std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0, 0}); // 4G entries
    EXPECT_EQ(start("[FILE]\nbARCBG=1\n"), 0);
    EXPECT_TRUE(errors.reports.empty()) << "start-up reports the failure itself";
}

TEST_F(FileStoreTest, EntryPointingPastTheEndReportsReadError) {
    ArcArchiveBuilder builder;
    builder.add("A.BMP", std::vector<uint8_t>(100, 1));
    std::vector<uint8_t> bytes = builder.build();
    bytes.resize(bytes.size() - 1);
    dir.write("BG.ARC", bytes);
    ASSERT_EQ(start("[FILE]\nbARCBG=1\n"), 1);
    EXPECT_EQ(store->loadPicture("A.BMP", memory, 0x1000), 0);
    EXPECT_EQ(lastReport(),
              std::make_pair(std::string(file_text::kReadFailed), std::string("A.BMP")));
}

TEST_F(FileStoreTest, DestinationsAreNeverOverrun) {
    // Plain: a file larger than what lies after the offset.
    dir.write("BIG.DAT", std::vector<uint8_t>(5000, 7));
    ASSERT_EQ(start(""), 1);
    EXPECT_EQ(store->loadData("BIG.DAT", memory, ScriptMemory::kSize - 4999), 0);
    EXPECT_EQ(lastReport().first, file_text::kReadFailed);

    // Coded: decoding would run into the staged bytes.
    std::vector<uint8_t> zeros(200000, 0);
    dir.write("HUGE.MES", lzss(zeros));
    ASSERT_EQ(start("[MES]\nbMESTYPE=1\n"), 1);
    memory.setByte(0x1000 + 131072 + 4096 - 1, 0x55);
    EXPECT_EQ(store->loadScript("HUGE.MES", memory, 0x1000), 0);
    EXPECT_EQ(lastReport(),
              std::make_pair(std::string(file_text::kReadFailed), std::string("HUGE.MES")));

    // Coded: the staging area itself would pass the end of memory.
    memory.setReg32(26, ScriptMemory::kSize - 4096 - 10);
    dir.write("SMALL.MES", lzss(test::randomBytes(100, 3)));
    EXPECT_EQ(store->loadScript("SMALL.MES", memory, 0x1000), 0);
    EXPECT_EQ(lastReport().first, file_text::kReadFailed);
}

TEST_F(FileStoreTest, SaveFilesAreAlways4096BytesAndReplacedWhole) {
    ASSERT_EQ(start(""), 1);
    ASSERT_EQ(store->writeSaveFile("SAVE01", bytesOf("short")), 1);
    std::vector<uint8_t> saved = dir.read("SAVE01");
    ASSERT_EQ(saved.size(), 4096u);
    EXPECT_EQ(saved[0], 's');
    EXPECT_EQ(saved[5], 0);
    ASSERT_EQ(store->writeSaveFile("SAVE01", std::span(memory.data(), ScriptMemory::kSize)), 1);
    EXPECT_EQ(dir.read("SAVE01"), std::vector<uint8_t>(memory.data(), memory.data() + 4096))
        << "longer data: the first 4096 bytes";

    dir.writeText("save06", "old");
    ASSERT_EQ(store->writeSaveFile("SAVE06", bytesOf("new")), 1);
    EXPECT_EQ(dir.read("save06").size(), 4096u) << "the existing spelling is replaced";
    EXPECT_FALSE(std::filesystem::exists(dir / "SAVE06"));
    size_t files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) files += e.exists();
    EXPECT_EQ(files, 3u) << "no temporary file left behind";

    EXPECT_EQ(store->writeSaveFile("NODIR/SAVE02", bytesOf("x")), 0);
    EXPECT_EQ(lastReport(),
              std::make_pair(std::string(file_text::kOpenErrorTitle), std::string("NODIR/SAVE02")));
}

TEST_F(FileStoreTest, MusicStreamFromTheArchiveStaysOpenWithFullBudget) {
    writeArchive("BGM.ARC", {{"A.WAV", {1, 2, 3}}, {"B.WAV", {4, 5, 6}}});
    ASSERT_EQ(start("[FILE]\nbARCBGM=1\n"), 1);
    auto stream = store->openStream("b.wav", 0);
    ASSERT_NE(stream, nullptr);
    uint8_t first = 0;
    ASSERT_EQ(stream->readAt(0, {&first, 1}), 1u);
    EXPECT_EQ(first, 4);
    EXPECT_EQ(store->closeStream(0), 1);
    EXPECT_TRUE(store->archive(ArchiveSlot::kBgm).hasHandle());

    EXPECT_EQ(store->openStream("C.WAV", 1), nullptr);
    ASSERT_EQ(errors.reports.size(), 2u);
    EXPECT_EQ(errors.reports[0].first, file_text::kLookupErrorTitle);
    EXPECT_EQ(errors.reports[1],
              std::make_pair(std::string(file_text::kOpenErrorTitle), std::string("BGM.ARC")));
}

std::vector<uint8_t> readAll(const ByteSource& source) {
    std::vector<uint8_t> bytes(static_cast<size_t>(source.size()));
    EXPECT_EQ(source.readAt(0, bytes), bytes.size());
    return bytes;
}

TEST_F(FileStoreTest, MusicStreamFromTheArchiveIsExactlyTheEntry) {
    const std::vector<uint8_t> a = test::randomBytes(300, 1);
    const std::vector<uint8_t> b = test::randomBytes(700, 2);
    const std::vector<uint8_t> c = test::randomBytes(50, 3);
    writeArchive("BGM.ARC", {{"A.WAV", a}, {"B.WAV", b}, {"C.WAV", c}});
    ASSERT_EQ(start("[FILE]\nbARCBGM=1\n"), 1);
    auto stream = store->openStream("B.WAV", 0);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->size(), b.size());
    EXPECT_EQ(readAll(*stream), b);

    // Reads at the end are short, past it empty: never the next entry's bytes.
    std::vector<uint8_t> buffer(100, 0xEE);
    ASSERT_EQ(stream->readAt(650, buffer), 50u);
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 50, b.begin() + 650));
    EXPECT_EQ(buffer[50], 0xEE);
    EXPECT_EQ(stream->readAt(700, buffer), 0u);
    EXPECT_EQ(stream->readAt(1u << 20, buffer), 0u);
    EXPECT_EQ(stream->readAt(UINT64_MAX, buffer), 0u);
    EXPECT_TRUE(errors.reports.empty());
}

TEST_F(FileStoreTest, TwoMusicStreamsStayReadableTogether) {
    const std::vector<uint8_t> a = test::randomBytes(400, 4);
    const std::vector<uint8_t> b = test::randomBytes(500, 5);
    writeArchive("BGM.ARC", {{"A.WAV", a}, {"B.WAV", b}});
    dir.write("LA.WAV", a);
    dir.write("LB.WAV", b);
    for (const char* ini : {"[FILE]\nbARCBGM=1\n", "[FILE]\nbARCBGM=0\n"}) {
        SCOPED_TRACE(ini);
        ASSERT_EQ(start(ini), 1);
        const bool archived = std::string_view(ini).find("=1") != std::string_view::npos;
        auto first = store->openStream(archived ? "A.WAV" : "LA.WAV", 0);
        auto second = store->openStream(archived ? "B.WAV" : "LB.WAV", 1);
        ASSERT_NE(first, nullptr);
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(readAll(*first), a);
        EXPECT_EQ(readAll(*second), b);
        EXPECT_EQ(store->closeStream(1), 1);
        EXPECT_EQ(readAll(*first), a);
    }
    EXPECT_TRUE(errors.reports.empty());
}

TEST_F(FileStoreTest, StreamsOutliveTheStoresHandles) {
    const std::vector<uint8_t> music = test::randomBytes(256, 6);
    const std::vector<uint8_t> voice = test::randomBytes(128, 7);
    writeArchive("BGM.ARC", {{"M.WAV", music}});
    writeArchive("KA.ARC", {{"KA_01.WAV", voice}});
    // Budget 1: the music archive's handle closes with its stream.
    ASSERT_EQ(start("[FILE]\nbARCBGM=1\nbARCVOICE=1\n", 1), 1);
    auto m = store->openStream("M.WAV", 0);
    auto v = store->openStream("KA_01.WAV", 2);
    ASSERT_NE(m, nullptr);
    ASSERT_NE(v, nullptr);
    store->closeStream(0);
    store->closeStream(2);
    EXPECT_FALSE(store->archive(ArchiveSlot::kBgm).hasHandle());
    EXPECT_FALSE(store->archive(ArchiveSlot::kVoice).isLoaded());
    EXPECT_EQ(readAll(*m), music);
    EXPECT_EQ(readAll(*v), voice);
    EXPECT_EQ(store->reopenArchives(0), 1);
    EXPECT_EQ(readAll(*m), music);
    store->shutDown();
    store.reset();
    EXPECT_EQ(readAll(*m), music);
    EXPECT_EQ(readAll(*v), voice);
    EXPECT_TRUE(errors.reports.empty());
}

TEST_F(FileStoreTest, LooseStreamsAndTheirFailures) {
    const std::vector<uint8_t> song = test::randomBytes(1000, 8);
    dir.write("Song.wav", song);
    ASSERT_EQ(start(""), 1);
    auto stream = store->openStream("SONG.WAV", 1);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->size(), song.size());
    store->closeStream(1);
    EXPECT_EQ(readAll(*stream), song);
    auto voice = store->openStream("song.wav", 2);
    ASSERT_NE(voice, nullptr);
    EXPECT_EQ(readAll(*voice), song);
    EXPECT_TRUE(errors.reports.empty());

    EXPECT_EQ(store->openStream("NONE.WAV", 2), nullptr);
    EXPECT_TRUE(errors.reports.empty()) << "voices fail silently";
    EXPECT_EQ(store->openStream("SONG.WAV", 3), nullptr);
    EXPECT_TRUE(errors.reports.empty());
    EXPECT_EQ(store->openStream("NONE.WAV", 0), nullptr);
    EXPECT_EQ(errors.reports, (std::vector<std::pair<std::string, std::string>>{
                                  {file_text::kOpenErrorTitle, "NONE.WAV"}}));
}

TEST_F(FileStoreTest, SmallBudgetClosesArchivesBetweenLoads) {
    writeArchive("MES.ARC", {{"MAIN.MES", {9}}});
    ASSERT_EQ(start("[FILE]\nbARCMES=1\n", 1), 1);
    EXPECT_FALSE(store->archive(ArchiveSlot::kMes).hasHandle());
    ASSERT_EQ(store->loadScript("MAIN.MES", memory, 0x1000), 1);
    EXPECT_EQ(memory.byte(0x1000), 9);
    EXPECT_FALSE(store->archive(ArchiveSlot::kMes).hasHandle());
    std::filesystem::remove(dir / "MES.ARC");
    EXPECT_EQ(store->loadScript("MAIN.MES", memory, 0x1000), 0);
    EXPECT_EQ(lastReport(),
              std::make_pair(std::string(file_text::kOpenErrorTitle), std::string("MES.ARC")));
}

TEST_F(FileStoreTest, VoiceArchiveChosenFromTheNamePrefix) {
    writeArchive("GIRL.ARC", {{"A0001.WAV", {1}}});
    writeArchive("BOY.ARC", {{"B0001.WAV", {2}}});
    writeArchive("KA.ARC", {{"KA_0001.WAV", {3}}});
    ASSERT_EQ(start("[FILE]\nbARCVOICE=1\n"), 1);
    auto firstByte = [&](std::string_view name) -> int {
        auto f = store->openStream(name, 2);
        if (!f) return -1;
        uint8_t b = 0;
        int result = f->readAt(0, {&b, 1}) == 1 ? b : -2;
        store->closeStream(2);
        EXPECT_FALSE(store->archive(ArchiveSlot::kVoice).isLoaded());
        return result;
    };
    EXPECT_EQ(firstByte("A0001.WAV"), 1);
    EXPECT_EQ(firstByte("b0001.wav"), 2) << "not in GIRL.ARC: BOY.ARC";
    EXPECT_EQ(firstByte("KA_0001.WAV"), 3);
    EXPECT_EQ(firstByte("0001.WAV"), -1);
    EXPECT_EQ(firstByte("C0001.WAV"), -1);
    EXPECT_EQ(firstByte("XY_0001.WAV"), -1) << "XY.ARC does not exist";
    EXPECT_TRUE(errors.reports.empty()) << "voices fail silently";
}

TEST_F(FileStoreTest, ReopenArchivesReadsTheDirectoriesAgain) {
    writeArchive("MES.ARC", {{"MAIN.MES", {1}}});
    writeArchive("BGM.ARC", {{"A.WAV", {1}}});
    ASSERT_EQ(start("[FILE]\nbARCMES=1\nbARCBGM=1\n"), 1);
    writeArchive("MES.ARC", {{"NEXT.MES", {2}}});
    EXPECT_EQ(store->reopenArchives(0), 1);
    ASSERT_EQ(store->loadScript("NEXT.MES", memory, 0x1000), 1);
    EXPECT_EQ(memory.byte(0x1000), 2);
    std::filesystem::remove(dir / "BGM.ARC");
    EXPECT_EQ(store->reopenArchives(0), 0) << "the result of the BGM archive";
    EXPECT_TRUE(errors.reports.empty());
}

TEST_F(FileStoreTest, NamesFromGameDataStayInTheGameFolder) {
    disc.writeText("OUTSIDE.MES", "x");
    fs::create_symlink(disc / "OUTSIDE.MES", dir / "LINK.MES");
    dir.writeText("MAIN.MES", "m");
    fs::create_directory(dir / "SUB");
    ASSERT_EQ(start("[FILE]\nbCDROM=0\n"), 1);
    const std::string up = "../" + disc.path().filename().string() + "/OUTSIDE.MES";
    for (const std::string& name : {up, (disc / "OUTSIDE.MES").string(), std::string("LINK.MES"),
                                    std::string("..\\..\\..\\..\\etc\\passwd")}) {
        memory.setByte(0x1000, 0);
        EXPECT_EQ(store->loadScript(name, memory, 0x1000), 0) << name;
        EXPECT_EQ(memory.byte(0x1000), 0) << name;
        EXPECT_EQ(lastReport(), std::make_pair(std::string(file_text::kOpenErrorTitle), name));
        std::vector<uint8_t> buffer(16, 0);
        EXPECT_EQ(store->readWholeFile(name, buffer), 0) << name;
        EXPECT_EQ(buffer[0], 0) << name;
    }
    // The game folder's own files, by a name that leaves and comes back or by its whole path.
    ASSERT_EQ(store->loadScript("SUB\\..\\MAIN.MES", memory, 0x1000), 1);
    ASSERT_EQ(store->loadScript((dir / "MAIN.MES").string(), memory, 0x1000), 1);
    EXPECT_EQ(memory.byte(0x1000), 'm');
}

TEST_F(FileStoreTest, FilesThePlayerChoseAreReadByTheirWholePath) {
    disc.writeText("CHOSEN.MES", "c");
    ASSERT_EQ(start(""), 1);
    const std::string path = (disc / "CHOSEN.MES").string();
    EXPECT_EQ(store->loadScript(path, memory, 0x1000), 0);
    store->admitChosenFile(path);
    ASSERT_EQ(store->loadScript(path, memory, 0x1000), 1);
    EXPECT_EQ(memory.byte(0x1000), 'c');
    // Only that file: another spelling of it is still game data.
    EXPECT_EQ(store->loadScript(disc.path().string() + "/./CHOSEN.MES", memory, 0x1000), 0);
    // Once gone, it is the usual open error.
    fs::remove(disc / "CHOSEN.MES");
    EXPECT_EQ(store->loadScript(path, memory, 0x1000), 0);
    EXPECT_EQ(lastReport(), std::make_pair(std::string(file_text::kOpenErrorTitle), path));
}

TEST_F(FileStoreTest, SpecialFilesFailAsMissingOnesWouldWithoutWaiting) {
    ASSERT_TRUE(test::makeFifo(dir / "PIPE.MES"));
    test::BoundSocket socket(dir / "SOCK.MES");
    ASSERT_TRUE(socket.ok());
    fs::create_directory(dir / "DIR.MES");
    fs::create_symlink("/dev/zero", dir / "ZERO.MES");
    ASSERT_EQ(start(""), 1);
    for (std::string name : {"PIPE.MES", "SOCK.MES", "DIR.MES", "ZERO.MES"}) {
        test::within(2s, [&] {
            EXPECT_EQ(store->loadScript(name, memory, 0x1000), 0);
            EXPECT_EQ(lastReport(), std::make_pair(std::string(file_text::kOpenErrorTitle), name));
            EXPECT_EQ(store->loadData(name, memory, 0x1000), 0);
            EXPECT_EQ(store->loadPicture(name, memory, 0x1000), 0);
            std::vector<uint8_t> buffer(16);
            EXPECT_EQ(store->readWholeFile(name, buffer), 0);
            EXPECT_EQ(store->openStream(name, 0), nullptr);
            EXPECT_EQ(store->openStream(name, 2), nullptr);
            OpenError error = OpenError::kNone;
            EXPECT_FALSE(store->openForRead(name, &error).isOpen());
            EXPECT_EQ(error, OpenError::kNotRegular) << name;
        });
    }
    // An archive in the place of a pipe fails the set-up.
    test::within(2s, [&] {
        EXPECT_EQ(start("[FILE]\nbARCMES=1\nARCMESNAME=PIPE.MES\n"), 0);
        EXPECT_EQ(start("[FILE]\nbARCBG=1\nARCBGNAME=../../etc/passwd\n"), 0);
    });
}

TEST_F(FileStoreTest, SavesAreWrittenOnlyInTheGameFolder) {
    fs::create_directory_symlink(disc.path(), dir / "UP");
    ASSERT_EQ(start(""), 1);
    for (const std::string& name :
         {std::string("../SAVE01"), std::string("UP/SAVE01"), (disc / "SAVE01").string()}) {
        EXPECT_EQ(store->writeSaveFile(name, bytesOf("x")), 0) << name;
        EXPECT_EQ(lastReport(), std::make_pair(std::string(file_text::kOpenErrorTitle), name));
    }
    EXPECT_FALSE(fs::exists(disc / "SAVE01"));
    EXPECT_FALSE(fs::exists(dir.path().parent_path() / "SAVE01"));
    // Nor through a link that a game folder brought along.
    fs::create_symlink(disc / "SAVE04", dir / "SAVE04");
    EXPECT_EQ(store->writeSaveFile("SAVE04", bytesOf("x")), 0);
    EXPECT_EQ(lastReport(),
              std::make_pair(std::string(file_text::kOpenErrorTitle), std::string("SAVE04")));
    EXPECT_FALSE(fs::exists(disc / "SAVE04"));
}

TEST_F(FileStoreTest, NamesInMessagesHaveUnprintableBytesEscaped) {
    ASSERT_EQ(start(""), 1);
    EXPECT_EQ(store->loadScript("A\x1B]0;T\x07\xB2\xE2.MES", memory, 0x1000), 0);
    EXPECT_EQ(lastReport().second, "A\\x1B]0;T\\x07测.MES");
}

} // namespace
} // namespace fer

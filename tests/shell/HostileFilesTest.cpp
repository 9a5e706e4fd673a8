// The engine program with odd files in the place of its own: pipes, sockets,
// directories and devices end with the file's usual error at once, names
// from game data never reach outside the game directory, and a bad input
// file is bad usage.

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "EngineProcess.h"

namespace fer {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using namespace std::chrono_literals;

// Every run must end well within this; a run still going after
// kKillAfter is killed and fails.
constexpr auto kPromptly = 2s;
constexpr const char* kKillAfter = "10";

class Folder {
  public:
    Folder() {
        std::random_device rd;
        path_ = fs::temp_directory_path() /
                ("fer-hostile-" + std::to_string(rd()) + "-" + std::to_string(rd()));
        fs::create_directories(path_ / "game");
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    fs::path game() const { return path_ / "game"; }
    fs::path outside() const { return path_; }
    void write(const fs::path& path, const Bytes& bytes) const {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    void write(const fs::path& path, const std::string& text) const {
        std::ofstream(path, std::ios::binary) << text;
    }
    Bytes read(const fs::path& path) const {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

  private:
    fs::path path_;
};

// The kinds of odd file put in the place of a file the engine reads.
enum class Odd { kPipe, kSocket, kDirectory, kDevice };
constexpr Odd kOddKinds[] = {Odd::kPipe, Odd::kSocket, Odd::kDirectory, Odd::kDevice};

const char* nameOf(Odd odd) {
    switch (odd) {
    case Odd::kPipe: return "pipe";
    case Odd::kSocket: return "socket";
    case Odd::kDirectory: return "directory";
    case Odd::kDevice: return "device";
    }
    return "?";
}

// Sockets stay bound while their holder lives.
class OddFile {
  public:
    OddFile(Odd odd, const fs::path& path) {
        switch (odd) {
        case Odd::kPipe: made_ = ::mkfifo(path.c_str(), 0644) == 0; break;
        case Odd::kDirectory: made_ = fs::create_directory(path); break;
        case Odd::kDevice:
            fs::create_symlink("/dev/zero", path);
            made_ = true;
            break;
        case Odd::kSocket: {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            const std::string name = path.string();
            if (name.size() >= sizeof address.sun_path) break;
            name.copy(address.sun_path, name.size());
            socket_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
            made_ = socket_ >= 0 &&
                    ::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
            break;
        }
        }
    }
    ~OddFile() {
        if (socket_ >= 0) ::close(socket_);
    }
    OddFile(const OddFile&) = delete;
    OddFile& operator=(const OddFile&) = delete;
    bool made() const { return made_; }

  private:
    int socket_ = -1;
    bool made_ = false;
};

using RunResult = test::EngineProcess;

RunResult runEngine(const std::string& args) {
    // The engine's output is not wanted; a hang is killed and fails.
    return test::runEngineProcess(FER_ENGINE_PATH, args + " >/dev/null",
                                  std::string("timeout -k 1 ") + kKillAfter);
}

std::string headless(const Folder& folder, const std::string& more = "") {
    return "--headless --dump-memory " + (folder.outside() / "mem.bin").string() + " " + more +
           " " + folder.game().string();
}

uint16_t reg16(const Bytes& memory, int r) {
    if (memory.size() < 0x1000) return 0xFFFF;
    return static_cast<uint16_t>(memory[0x884 + 2 * r] | memory[0x884 + 2 * r + 1] << 8);
}

// r16[12] = 9; end
const Bytes kSetsNine = {0x04, 0x0C, 0x09, 0xFF, 0x00, 0x00};

void copyScript(const char* name, const fs::path& to) {
    fs::copy_file(fs::path(FER_HOSTILE_DIR) / name, to, fs::copy_options::overwrite_existing);
}

void expectPrompt(const RunResult& r) {
    EXPECT_LT(r.took, kPromptly) << "took too long: " << r.err;
}

TEST(HostileFiles, SettingsFileThatIsNoRegularFileReadsAsEmpty) {
    for (Odd odd : kOddKinds) {
        Folder folder;
        folder.write(folder.game() / "MAIN.MES", kSetsNine);
        OddFile settings(odd, folder.game() / "KITE5HAN.INI");
        ASSERT_TRUE(settings.made());
        const RunResult r = runEngine(headless(folder));
        EXPECT_EQ(r.status, 0) << nameOf(odd) << ": " << r.err;
        expectPrompt(r);
        EXPECT_EQ(reg16(folder.read(folder.outside() / "mem.bin"), 12), 9) << nameOf(odd);
    }
}

// Runs with an odd file named name in the game directory and expects the
// open error that names it.
void expectOpenError(const std::function<void(const Folder&)>& prepare, const std::string& name,
                     const std::string& options = "") {
    for (Odd odd : kOddKinds) {
        Folder folder;
        prepare(folder);
        OddFile file(odd, folder.game() / name);
        ASSERT_TRUE(file.made());
        const RunResult r = runEngine(headless(folder, options));
        EXPECT_EQ(r.status, 1) << name << " " << nameOf(odd) << ": " << r.err;
        EXPECT_EQ(r.err, "文件打开错误: " + name + "\n") << nameOf(odd);
        expectPrompt(r);
    }
}

TEST(HostileFiles, ScriptsPicturesDataAndSavesThatAreNoRegularFiles) {
    expectOpenError([](const Folder&) {}, "MAIN.MES");
    expectOpenError([](const Folder& f) { copyScript("PICTURE.MES", f.game() / "MAIN.MES"); },
                    "PIC.BMP");
    expectOpenError([](const Folder& f) { copyScript("DATA.MES", f.game() / "MAIN.MES"); },
                    "X.DAT");
    expectOpenError([](const Folder& f) { copyScript("LOAD.MES", f.game() / "MAIN.MES"); },
                    "SAVE01");
}

TEST(HostileFiles, ArchiveThatIsNoRegularFileFailsTheStart) {
    for (Odd odd : kOddKinds) {
        Folder folder;
        folder.write(folder.game() / "MAIN.MES", kSetsNine);
        folder.write(folder.game() / "KITE5HAN.INI", std::string("[FILE]\nbARCMES=1\n"));
        OddFile archive(odd, folder.game() / "MES.ARC");
        ASSERT_TRUE(archive.made());
        const RunResult r = runEngine(headless(folder));
        EXPECT_EQ(r.status, 1) << nameOf(odd) << ": " << r.err;
        EXPECT_NE(r.err, "") << nameOf(odd);
        expectPrompt(r);
    }
}

TEST(HostileFiles, PaletteAndFontFilesThatAreNoRegularFiles) {
    for (Odd odd : kOddKinds) {
        Folder folder;
        folder.write(folder.game() / "MAIN.MES", kSetsNine);
        OddFile palette(odd, folder.game() / "PALETTE1.PAL");
        ASSERT_TRUE(palette.made());
        RunResult r = runEngine(headless(folder));
        EXPECT_EQ(r.status, 0) << "the built-in palette serves: " << nameOf(odd) << r.err;
        expectPrompt(r);

        OddFile font(odd, folder.game() / "FONT.OTF");
        ASSERT_TRUE(font.made());
        r = runEngine(headless(folder, "--font " + (folder.game() / "FONT.OTF").string()));
        EXPECT_EQ(r.status, 1) << nameOf(odd) << ": " << r.err;
        EXPECT_NE(r.err.find("FONT.OTF"), std::string::npos) << r.err;
        expectPrompt(r);
    }
}

// A save whose script name is name: loading it must not run anything
// outside the game directory.
RunResult loadSaveNaming(const Folder& folder, const std::string& name) {
    copyScript("LOAD.MES", folder.game() / "MAIN.MES");
    Bytes save(4096, 0);
    std::copy(name.begin(), name.end(), save.begin());
    folder.write(folder.game() / "SAVE01", save);
    return runEngine(headless(folder));
}

TEST(HostileFiles, SavedScriptNamesStayInTheGameDirectory) {
    Folder folder;
    folder.write(folder.outside() / "OUTSIDE.MES", kSetsNine);
    fs::create_symlink(folder.outside() / "OUTSIDE.MES", folder.game() / "LINK.MES");
    fs::create_directory_symlink(folder.outside(), folder.game() / "UP");
    for (const std::string& name :
         {std::string("../../../../../../etc/passwd"), std::string("..\\OUTSIDE.MES"),
          std::string("../OUTSIDE.MES"), (folder.outside() / "OUTSIDE.MES").string(),
          std::string("/etc/passwd"), std::string("LINK.MES"), std::string("UP\\OUTSIDE.MES")}) {
        const RunResult r = loadSaveNaming(folder, name);
        EXPECT_EQ(r.status, 1) << name << ": " << r.err;
        EXPECT_EQ(r.err, "文件打开错误: " + name + "\n");
        EXPECT_NE(reg16(folder.read(folder.outside() / "mem.bin"), 12), 9) << name;
        expectPrompt(r);
    }
    // A name that stays inside loads as before.
    folder.write(folder.game() / "INSIDE.MES", kSetsNine);
    const RunResult r = loadSaveNaming(folder, "UP/../INSIDE.MES");
    EXPECT_EQ(r.status, 1) << "UP leads out, so UP/.. is not the game directory";
    const RunResult inside = loadSaveNaming(folder, "INSIDE.MES");
    EXPECT_EQ(inside.status, 0) << inside.err;
    EXPECT_EQ(reg16(folder.read(folder.outside() / "mem.bin"), 12), 9);
}

TEST(HostileFiles, UnprintableBytesOfSavedNamesAreEscapedOnStderr) {
    Folder folder;
    const RunResult r = loadSaveNaming(folder, "A\x1B[31m\x07\n.MES");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "文件打开错误: A\\x1B[31m\\x07\\x0A.MES\n");
    // Characters of the code page come out in UTF-8, like the rest of the line.
    const RunResult named = loadSaveNaming(folder, "\xB2\xE2\xCA\xD4\xFF.MES");
    EXPECT_EQ(named.err, "文件打开错误: 测试\\xFF.MES\n");
}

TEST(HostileFiles, InputFilesThatAreNoScriptAreBadUsage) {
    Folder folder;
    folder.write(folder.game() / "MAIN.MES", kSetsNine);
    const fs::path pipe = folder.outside() / "input.fifo";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    const fs::path big = folder.outside() / "big.txt";
    { std::ofstream(big) << "0 close\n"; }
    fs::resize_file(big, 100u << 20); // sparse
    const fs::path far = folder.outside() / "far.txt";
    folder.write(far, std::string("9223372036854775807 close\n"));
    const fs::path wide = folder.outside() / "wide.txt";
    folder.write(wide, std::string("10 mouse 99999999999 0\n"));
    const std::pair<fs::path, std::string> cases[] = {
        {pipe, "not a regular file"},
        {"/dev/zero", "not a regular file"},
        {folder.outside(), "not a regular file"},
        {big, "input file too large"},
        {far, "out of range"},
        {wide, "out of range"},
    };
    for (const auto& [input, message] : cases) {
        const RunResult r = runEngine(headless(folder, "--input " + input.string()));
        EXPECT_EQ(r.status, 2) << input;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        expectPrompt(r);
    }
}

TEST(HostileFiles, LogFileIsWrittenOnlyAsARegularFileInTheGameDirectory) {
    for (Odd odd : kOddKinds) {
        Folder folder;
        folder.write(folder.game() / "MAIN.MES", kSetsNine);
        folder.write(folder.game() / "KITE5HAN.INI", std::string("[Config]\nbDEBUG=1\n"));
        OddFile log(odd, folder.game() / "FERKITE.LOG");
        ASSERT_TRUE(log.made());
        const RunResult r = runEngine(headless(folder));
        EXPECT_EQ(r.status, 0) << nameOf(odd) << ": " << r.err;
        expectPrompt(r);
    }
    Folder folder;
    folder.write(folder.game() / "MAIN.MES", kSetsNine);
    folder.write(folder.game() / "KITE5HAN.INI", std::string("[Config]\nbDEBUG=1\n"));
    folder.write(folder.outside() / "KEEP", std::string("kept"));
    fs::create_symlink(folder.outside() / "KEEP", folder.game() / "FERKITE.LOG");
    const RunResult r = runEngine(headless(folder));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(folder.read(folder.outside() / "KEEP"), (Bytes{'k', 'e', 'p', 't'}));
}

// The files the command line names, at a name already taken by a link to a
// file elsewhere: the link is refused, and what it leads to stays as it was.
TEST(HostileFiles, OutputFilesAreNeverWrittenThroughALink) {
    Folder folder;
    folder.write(folder.game() / "MAIN.MES", kSetsNine);
    const fs::path keep = folder.outside() / "KEEP", link = folder.outside() / "OUT";
    folder.write(keep, std::string("kept"));
    fs::create_symlink(keep, link);
    for (const char* option : {"--screenshot", "--dump-memory", "--audio-out"}) {
        const RunResult r = runEngine("--headless " + std::string(option) + " " + link.string() +
                                      " " + folder.game().string());
        EXPECT_EQ(r.status, 0) << option << ": " << r.err;
        EXPECT_EQ(folder.read(keep), (Bytes{'k', 'e', 'p', 't'})) << option;
        EXPECT_NE(r.err.find(link.string() + ": it is a symbolic link"), std::string::npos)
            << option << ": " << r.err;
    }
}

// A game folder that comes with links at the screenshot's predictable names
// (for the next minute): the screenshot key passes over them.
TEST(HostileFiles, ScreenshotsAreNeverWrittenThroughALink) {
    Folder folder;
    // A wait for a click, which comes after the screenshot.
    folder.write(folder.game() / "MAIN.MES", Bytes{0x0B, 0x0B, 0xFF, 0x00, 0x00});
    folder.write(folder.outside() / "input.txt",
                 std::string("100 screenshot\n300 press lbutton\n"));
    const std::time_t now = std::time(nullptr);
    for (std::time_t t = now; t < now + 60; ++t) {
        std::tm tm{};
        localtime_r(&t, &tm);
        char name[64];
        std::strftime(name, sizeof name, "screenshot-%Y%m%d-%H%M%S.png", &tm);
        fs::create_symlink(folder.outside() / name, folder.game() / name);
    }
    const RunResult r = runEngine(
        headless(folder, "--input " + (folder.outside() / "input.txt").string()));
    EXPECT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(r.err.rfind("截图已保存：screenshot-", 0), 0u) << r.err;
    // The name follows the notice's 18 bytes of "截图已保存：".
    const std::string saved = r.err.substr(18, r.err.find('\n') - 18);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder.game() / saved))) << saved;
    for (const auto& entry : fs::directory_iterator(folder.outside()))
        EXPECT_EQ(entry.path().filename().string().rfind("screenshot-", 0), std::string::npos)
            << entry.path();
}

} // namespace
TEST(HostileFiles, AFailedDropEndsTheEngineAtOnce) {
    Folder folder;
    // A wait for a click that nobody gives; then a drop of a file that is not there.
    folder.write(folder.game() / "MAIN.MES", Bytes{0x0B, 0x0B, 0xFF, 0x00, 0x00});
    folder.write(folder.outside() / "input.txt",
                 std::string("100 drop ") + (folder.outside() / "GONE.MES").string() + "\n");
    const RunResult r = runEngine(
        headless(folder, "--input " + (folder.outside() / "input.txt").string()));
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("文件打开错误"), std::string::npos) << r.err;
    // The restart the drop asked for does not undo the close: no hidden process.
    EXPECT_LT(r.took, std::chrono::seconds(2)) << r.err;
}

} // namespace fer

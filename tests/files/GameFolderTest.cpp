// Names from game data resolve only inside the game folder.

#include "files/GameFolder.h"

#include <gtest/gtest.h>

#include <chrono>

#include "SpecialFiles.h"
#include "TempDir.h"
#include "Within.h"

namespace fer {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class GameFolderTest : public ::testing::Test {
  protected:
    test::TempDir outside;
    fs::path root = outside / "game";
    void SetUp() override {
        outside.writeText("SECRET", "secret");
        outside.writeText("game/MAIN.MES", "main");
        outside.writeText("game/SUB/PIC.BMP", "pic");
    }
    OpenError openError(const GameFolder& folder, std::string_view name) {
        OpenError error = OpenError::kNone;
        test::within(2s, [&] { EXPECT_FALSE(folder.openForRead(name, &error).isOpen()) << name; });
        return error;
    }
    std::string read(const GameFolder& folder, std::string_view name) {
        File file = folder.openForRead(name);
        if (!file.isOpen()) return "(closed)";
        std::string text(static_cast<size_t>(file.size().value_or(0)), '\0');
        file.readExact({reinterpret_cast<uint8_t*>(text.data()), text.size()});
        return text;
    }
};

TEST_F(GameFolderTest, NamesThatStayInsideByTheirSpelling) {
    const GameFolder folder(root);
    EXPECT_EQ(folder.relativeName("MAIN.MES"), "MAIN.MES");
    EXPECT_EQ(folder.relativeName("SUB\\PIC.BMP"), "SUB/PIC.BMP");
    EXPECT_EQ(folder.relativeName("SUB\\..\\MAIN.MES"), "SUB/../MAIN.MES");
    EXPECT_EQ(folder.relativeName((root / "SUB/PIC.BMP").string()), "SUB/PIC.BMP");
    EXPECT_EQ(folder.relativeName(root.string() + "/./SUB/../MAIN.MES"), "MAIN.MES");
}

TEST_F(GameFolderTest, NamesThatLeaveAreRefused) {
    const GameFolder folder(root);
    for (std::string_view name : {"", ".", "SUB\\..", "..\\SECRET", "../SECRET", "SUB/../../SECRET",
                                  "../../../../../../etc/passwd", "/etc/passwd", "\\etc\\passwd"}) {
        EXPECT_FALSE(folder.relativeName(name)) << name;
        EXPECT_EQ(openError(folder, name), OpenError::kOutside) << name;
    }
    EXPECT_FALSE(folder.relativeName((root / "../SECRET").string()));
    EXPECT_FALSE(folder.relativeName(root.string() + "x/MAIN.MES")) << "a sibling folder";
    EXPECT_FALSE(folder.relativeName(std::string_view("MAIN.MES\0/../../x", 17)));
    EXPECT_FALSE(GameFolder().relativeName("MAIN.MES"));
}

TEST_F(GameFolderTest, OpensInsideWhateverTheLetterCase) {
    const GameFolder folder(root);
    EXPECT_EQ(read(folder, "main.mes"), "main");
    EXPECT_EQ(read(folder, "sub\\pic.bmp"), "pic");
    EXPECT_EQ(read(folder, (root / "MAIN.MES").string()), "main");
    EXPECT_EQ(openError(folder, "NONE.MES"), OpenError::kMissing);
    // A folder given with a trailing slash is the same folder.
    EXPECT_EQ(read(GameFolder(root.string() + "/"), "MAIN.MES"), "main");
}

TEST_F(GameFolderTest, SymbolicLinksOutOfTheFolderAreRefused) {
    fs::create_symlink(outside / "SECRET", root / "LINK.MES");
    fs::create_directory_symlink(outside.path(), root / "UP");
    fs::create_symlink("/dev/zero", root / "ZERO.MES");
    fs::create_symlink(root / "MAIN.MES", root / "ALIAS.MES");
    const GameFolder folder(root);
    EXPECT_EQ(openError(folder, "LINK.MES"), OpenError::kOutside);
    EXPECT_EQ(openError(folder, "link.mes"), OpenError::kOutside);
    EXPECT_EQ(openError(folder, "UP\\SECRET"), OpenError::kOutside);
    EXPECT_NE(openError(folder, "ZERO.MES"), OpenError::kNone);
    EXPECT_FALSE(folder.find("UP/SECRET"));
    EXPECT_EQ(read(folder, "ALIAS.MES"), "main") << "links inside the folder are followed";
}

TEST_F(GameFolderTest, SpecialFilesAreNotRegular) {
    ASSERT_TRUE(test::makeFifo(root / "PIPE.MES"));
    test::BoundSocket socket(root / "SOCK.MES");
    ASSERT_TRUE(socket.ok());
    fs::create_directory(root / "DIR.MES");
    const GameFolder folder(root);
    EXPECT_EQ(openError(folder, "PIPE.MES"), OpenError::kNotRegular);
    EXPECT_NE(openError(folder, "pipe.mes"), OpenError::kNone);
    EXPECT_EQ(openError(folder, "SOCK.MES"), OpenError::kNotRegular);
    EXPECT_EQ(openError(folder, "DIR.MES"), OpenError::kNotRegular);
}

TEST_F(GameFolderTest, WritesStayInside) {
    fs::create_directory_symlink(outside.path(), root / "UP");
    outside.writeText("game/save01", "old");
    const GameFolder folder(root);
    EXPECT_EQ(folder.placeForWrite("SAVE02"), root / "SAVE02");
    EXPECT_EQ(folder.placeForWrite("SAVE01"), root / "save01") << "the existing spelling";
    EXPECT_EQ(folder.placeForWrite("SUB\\SAVE03"), root / "SUB/SAVE03");
    EXPECT_FALSE(folder.placeForWrite("../SAVE01"));
    EXPECT_FALSE(folder.placeForWrite("/tmp/SAVE01"));
    EXPECT_FALSE(folder.placeForWrite("UP/SAVE01"));
    EXPECT_FALSE(folder.placeForWrite("NODIR/SAVE01"));
}

// Names in a double-byte code page are taken character by character: a
// trail byte that is a backslash (Shift-JIS 表 ソ 能 十, GBK 乗) separates
// nothing, one that is a lower-case letter (Shift-JIS Ｂ is 82 61) has no
// case, and the lead bytes are the build's own.
TEST_F(GameFolderTest, DoubleByteNamesAreTakenCharacterByCharacter) {
    const std::string hyouSo = "\x95\x5C\x83\x5C", nouJuu = "\x94\x5C\x8F\x5C";
    outside.writeText("game/" + hyouSo + ".MES", "hyou");
    outside.writeText("game/SUB/" + nouJuu + ".BMP", "nou");
    outside.writeText("game/\x82\x61.MES", "b");
    outside.writeText("game/\xB1/X.MES", "katakana"); // half-width, single-byte in Shift-JIS
    outside.writeText("game/\x81\x5C.DAT", "gbk");
    const GameFolder sjis(root, NameCharset::kShiftJis), gbk(root, NameCharset::kGbk);
    EXPECT_EQ(read(sjis, hyouSo + ".mes"), "hyou");
    EXPECT_EQ(read(sjis, "sub\\" + nouJuu + ".bmp"), "nou");
    EXPECT_EQ(read(sjis, "\x82\x61.mes"), "b");
    EXPECT_EQ(openError(sjis, "\x82\x41.MES"), OpenError::kMissing) << "82 41 is not Ｂ";
    EXPECT_EQ(read(sjis, "\xB1\\X.MES"), "katakana");
    EXPECT_EQ(read(gbk, "\x81\x5C.dat"), "gbk");
    EXPECT_EQ(sjis.relativeName("SUB\\" + nouJuu), "SUB/" + nouJuu);
    EXPECT_EQ(sjis.placeForWrite(hyouSo + ".SAV"), root / (hyouSo + ".SAV"));
}

} // namespace
} // namespace fer

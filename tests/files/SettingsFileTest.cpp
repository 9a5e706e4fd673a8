#include "files/SettingsFile.h"

#include <gtest/gtest.h>

#include "TempDir.h"
#include "files/IniText.h"

namespace fer {
namespace {

struct ReadCase {
    const char* what;
    std::string text;
    const char* section;
    const char* key;
    const char* expected; // nullptr: the key is missing
};

class SettingsReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(SettingsReadTest, FindsTheValueAsTheProfileFunctionsDo) {
    const ReadCase& c = GetParam();
    auto value = ini::findValue(c.text, c.section, c.key);
    if (c.expected == nullptr) {
        EXPECT_FALSE(value.has_value()) << c.what << ": got '" << value.value_or("") << "'";
    } else {
        ASSERT_TRUE(value.has_value()) << c.what;
        EXPECT_EQ(*value, c.expected) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsReadTest,
    ::testing::Values(
        ReadCase{"plain", "[FILE]\r\nbARCMES=1\r\n", "FILE", "bARCMES", "1"},
        ReadCase{"names ignore case", "[file]\nBARCmes=1\n", "FILE", "bARCMES", "1"},
        ReadCase{"blanks around names and value", "[ FILE ]\n \tbARCMES \t=  1 \t\n", "FILE",
                 "bARCMES", "1"},
        ReadCase{"inner blanks kept", "[Config]\nTITLE= My  Game \n", "Config", "TITLE",
                 "My  Game"},
        ReadCase{"double quotes removed", "[C]\nk=\" padded \"\n", "C", "k", " padded "},
        ReadCase{"single quotes removed", "[C]\nk='x'\n", "C", "k", "x"},
        ReadCase{"one pair only", "[C]\nk=\"\"x\"\"\n", "C", "k", "\"x\""},
        ReadCase{"mismatched quotes kept", "[C]\nk=\"x'\n", "C", "k", "\"x'"},
        ReadCase{"lone quote kept", "[C]\nk=\"\n", "C", "k", "\""},
        ReadCase{"no inline comments", "[C]\nk=5 ; note\n", "C", "k", "5 ; note"},
        ReadCase{"comment line", "[C]\n;k=5\n", "C", "k", nullptr},
        ReadCase{"indented comment line", "[C]\n  ;k=5\n", "C", "k", nullptr},
        ReadCase{"first duplicate key wins", "[C]\nk=1\nk=2\n", "C", "k", "1"},
        ReadCase{"first duplicate section wins", "[C]\na=1\n[C]\nk=2\n", "C", "k", nullptr},
        ReadCase{"key of another section", "[A]\nk=1\n[B]\nx=2\n", "B", "k", nullptr},
        ReadCase{"key before any section", "k=1\n[C]\n", "C", "k", nullptr},
        ReadCase{"line without equals", "[C]\nk\n", "C", "k", nullptr},
        ReadCase{"empty value", "[C]\nk=\n", "C", "k", ""},
        ReadCase{"equals in value", "[C]\nk=a=b\n", "C", "k", "a=b"},
        ReadCase{"CR line ends", "[C]\ra=1\rk=2\r", "C", "k", "2"},
        ReadCase{"mixed line ends", "[A]\r\nx=0\r[C]\na=1\r\nk=2", "C", "k", "2"},
        ReadCase{"text after bracket", "[C] trailing\nk=3\n", "C", "k", "3"},
        ReadCase{"unclosed bracket", "[C\nk=3\n", "C", "k", "3"},
        ReadCase{"byte order mark", "\xEF\xBB\xBF[C]\nk=4\n", "C", "k", "4"},
        ReadCase{"double-byte text", "[Config]\nTITLE=\xC4\xDA\xB2\xBF\n", "Config", "TITLE",
                 "\xC4\xDA\xB2\xBF"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(SettingsRead, NulBytesInValuesPassThrough) {
    std::string text("[C]\nk=a\0b\n", 10);
    auto value = ini::findValue(text, "C", "k");
    ASSERT_TRUE(value);
    EXPECT_EQ(*value, std::string_view("a\0b", 3));
}

TEST(SettingsParseInt, LeadingDigitsWithSignWrappingAt32Bits) {
    EXPECT_EQ(ini::parseInt("12abc"), 12);
    EXPECT_EQ(ini::parseInt("-1"), -1);
    EXPECT_EQ(ini::parseInt("+1"), 1);
    EXPECT_EQ(ini::parseInt("abc"), 0);
    EXPECT_EQ(ini::parseInt("-"), 0);
    EXPECT_EQ(ini::parseInt("--1"), 0);
    EXPECT_EQ(ini::parseInt("0x10"), 0);
    EXPECT_EQ(ini::parseInt("2147483647"), 2147483647);
    EXPECT_EQ(ini::parseInt("2147483648"), INT32_MIN);
    EXPECT_EQ(ini::parseInt("4294967297"), 1);
    EXPECT_EQ(ini::parseInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(ini::parseInt("99999999999999999999999"), static_cast<int32_t>(4135583743u));
}

class SettingsFileTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    SettingsFile settings{dir / "KITE5HAN.INI"};
    void write(std::string_view text) { dir.writeText("KITE5HAN.INI", text); }
    std::string contents() const { return dir.readText("KITE5HAN.INI"); }
};

TEST_F(SettingsFileTest, IntegersFromTheFile) {
    write("[Config]\r\nMOVE=2\r\nSOUND=\r\nSCREEN=junk\r\nVOICE = \"0\"\r\nSUBMAP\r\n");
    EXPECT_EQ(settings.getInt("Config", "MOVE", 1), 2);
    EXPECT_EQ(settings.getInt("Config", "SOUND", 7), 7) << "empty value gives the default";
    EXPECT_EQ(settings.getInt("Config", "SCREEN", 7), 0) << "no digits read as 0";
    EXPECT_EQ(settings.getInt("Config", "VOICE", 1), 0) << "quotes removed before parsing";
    EXPECT_EQ(settings.getInt("Config", "SUBMAP", 9), 9) << "line without '='";
    EXPECT_EQ(settings.getInt("Config", "bDEBUG", 0), 0);
    EXPECT_EQ(settings.getInt("Other", "MOVE", 5), 5);
}

TEST_F(SettingsFileTest, MissingFileGivesDefaults) {
    EXPECT_EQ(settings.getInt("Config", "SOUND", 1), 1);
    EXPECT_EQ(settings.getText("Config", "StartMES", "MAIN.MES", 127), "MAIN.MES");
    EXPECT_FALSE(std::filesystem::exists(settings.path())) << "reading never creates the file";
}

TEST_F(SettingsFileTest, TextIsCutToMaxLength) {
    write("[Config]\nTITLE=abcdef\n");
    EXPECT_EQ(settings.getText("Config", "TITLE", "x", 3), "abc");
    EXPECT_EQ(settings.getText("Config", "NONE", "defaults", 3), "def");
    EXPECT_EQ(settings.getText("Config", "TITLE", "x", 0), "");
}

TEST_F(SettingsFileTest, WriteChangesOnlyTheValue) {
    std::string before = "; settings\r\n[config]\r\n  Sound = 1  \r\nmove=1\n[FILE]\r\nsound=5\r\n";
    write(before);
    ASSERT_TRUE(settings.putInt("Config", "SOUND", 0));
    EXPECT_EQ(contents(), "; settings\r\n[config]\r\n  Sound = 0\r\nmove=1\n[FILE]\r\nsound=5\r\n");
    EXPECT_EQ(settings.getInt("Config", "SOUND", 1), 0);
}

TEST_F(SettingsFileTest, HeldReadingIgnoresOutsideEditsButFollowsItsOwnWrites) {
    write("[Config]\nSOUND=1\nMOVE=1\n");
    {
        SettingsFile::Held held(settings);
        EXPECT_EQ(settings.getInt("Config", "SOUND", 9), 1);
        write("[Config]\nSOUND=5\nMOVE=5\n"); // by hand, while held: not read again
        EXPECT_EQ(settings.getInt("Config", "MOVE", 9), 1);
        ASSERT_TRUE(settings.putInt("Config", "SOUND", 3));
        EXPECT_EQ(contents(), "[Config]\nSOUND=3\nMOVE=1\n") << "written from the held text";
        EXPECT_EQ(settings.getInt("Config", "SOUND", 9), 3);
        held.release();
        write("[Config]\nSOUND=4\n");
        EXPECT_EQ(settings.getInt("Config", "SOUND", 9), 4) << "read afresh once released";
    }
    {
        std::filesystem::remove(dir / "KITE5HAN.INI");
        SettingsFile::Held held(settings);
        EXPECT_EQ(settings.getInt("Config", "SOUND", 9), 9);
        ASSERT_TRUE(settings.putInt("Config", "SOUND", 2)) << "a missing file is still created";
        EXPECT_EQ(settings.getInt("Config", "SOUND", 9), 2);
    }
    write("[Config]\nSOUND=6\n");
    EXPECT_EQ(settings.getInt("Config", "SOUND", 9), 6);
}

TEST_F(SettingsFileTest, WriteOfTheFirstDuplicateOnly) {
    write("[C]\nk=1\nk=2\n[C]\nk=3\n");
    ASSERT_TRUE(settings.putInt("C", "k", -7));
    EXPECT_EQ(contents(), "[C]\nk=-7\nk=2\n[C]\nk=3\n");
}

TEST_F(SettingsFileTest, MissingKeyGoesAfterTheLastEntryOfItsSection) {
    write("[Config]\nTITLE=x\n\n; c\n[FILE]\nbARCMES=1\n");
    ASSERT_TRUE(settings.putInt("config", "MOVE", 2));
    EXPECT_EQ(contents(), "[Config]\nTITLE=x\nMOVE=2\r\n\n; c\n[FILE]\nbARCMES=1\n");
}

TEST_F(SettingsFileTest, MissingKeyInEmptySectionGoesAfterTheHeader) {
    write("[Config]\n[FILE]\n");
    ASSERT_TRUE(settings.putInt("Config", "MOVE", 2));
    EXPECT_EQ(contents(), "[Config]\nMOVE=2\r\n[FILE]\n");
}

TEST_F(SettingsFileTest, MissingKeyAfterALastLineWithoutLineEnd) {
    write("[Config]\nTITLE=x");
    ASSERT_TRUE(settings.putInt("Config", "MOVE", 2));
    EXPECT_EQ(contents(), "[Config]\nTITLE=x\r\nMOVE=2\r\n");
}

TEST_F(SettingsFileTest, MissingSectionGoesAtTheEnd) {
    write("[Config]\nTITLE=x");
    ASSERT_TRUE(settings.putInt("FILE", "bARCMES", 1));
    EXPECT_EQ(contents(), "[Config]\nTITLE=x\r\n[FILE]\r\nbARCMES=1\r\n");
}

TEST_F(SettingsFileTest, MissingFileIsCreated) {
    ASSERT_TRUE(settings.putInt("Config", "SCREEN", 1));
    EXPECT_EQ(contents(), "[Config]\r\nSCREEN=1\r\n");
    ASSERT_TRUE(settings.putInt("Config", "SOUND", 0));
    EXPECT_EQ(contents(), "[Config]\r\nSCREEN=1\r\nSOUND=0\r\n");
}

TEST_F(SettingsFileTest, DoubleByteTextSurvivesAWrite) {
    std::string before = "[Config]\r\nTITLE=\xC4\xDA\xB2\xBF\xA1\xA1\r\nSOUND=1\r\n";
    write(before);
    ASSERT_TRUE(settings.putInt("Config", "SOUND", 0));
    EXPECT_EQ(settings.getText("Config", "TITLE", "", 127), "\xC4\xDA\xB2\xBF\xA1\xA1");
    ASSERT_TRUE(settings.putText("Config", "TITLE", "\xB2\xE2"));
    EXPECT_EQ(contents(), "[Config]\r\nTITLE=\xB2\xE2\r\nSOUND=0\r\n");
}

TEST_F(SettingsFileTest, RefusesNamesAndValuesThatWouldBreakTheFile) {
    write("[C]\nk=1\n");
    EXPECT_FALSE(settings.putText("C", "k", "two\nlines"));
    EXPECT_FALSE(settings.putText("C", "a=b", "1"));
    EXPECT_FALSE(settings.putText("C]", "k", "1"));
    EXPECT_FALSE(settings.putText("C", "", "1"));
    EXPECT_EQ(contents(), "[C]\nk=1\n");
}

TEST_F(SettingsFileTest, GarbageFileReadsAsDefaults) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 7919) & 0xFF));
    write(garbage);
    EXPECT_EQ(settings.getInt("Config", "MOVE", 1), 1);
    EXPECT_EQ(settings.getText("Config", "TITLE", "FerKite", 127), "FerKite");
}

TEST_F(SettingsFileTest, DirectoryInPlaceOfTheFileIsNeitherReadNorReplaced) {
    std::filesystem::create_directory(settings.path());
    EXPECT_EQ(settings.getInt("Config", "MOVE", 1), 1);
    EXPECT_FALSE(settings.putInt("Config", "MOVE", 2));
    EXPECT_TRUE(std::filesystem::is_directory(settings.path()));
}

} // namespace
} // namespace fer

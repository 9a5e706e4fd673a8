#include "files/ArcArchive.h"

#include <gtest/gtest.h>

#include "TempDir.h"
#include "files/ArcArchiveBuilder.h"

namespace fer {
namespace {

class ArcArchiveTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    ArcArchive archive;
    std::vector<uint8_t> stored;

    bool load(const ArcArchiveBuilder& builder) {
        stored = builder.build();
        dir.write("T.ARC", stored);
        return archive.load(File::openForRead(dir / "T.ARC"));
    }
    bool directoryAsStored() const {
        auto d = archive.directory();
        return d.size() + 4 <= stored.size() && std::equal(d.begin(), d.end(), stored.begin() + 4);
    }
};

TEST_F(ArcArchiveTest, EmptyArchiveOpensAndFindsNothing) {
    ASSERT_TRUE(load(ArcArchiveBuilder{}));
    EXPECT_EQ(archive.count(), 0u);
    std::string name = "MAIN.MES";
    EXPECT_FALSE(archive.lookup(name));
}

TEST_F(ArcArchiveTest, LowerCaseLookupFindsAndUpperCasesTheName) {
    ArcArchiveBuilder builder;
    builder.add("main.mes", std::vector<uint8_t>{1, 2, 3});
    ASSERT_TRUE(load(builder));
    std::string name = "main.mes";
    auto entry = archive.lookup(name);
    ASSERT_TRUE(entry);
    EXPECT_EQ(name, "MAIN.MES");
    EXPECT_EQ(entry->size, 3u);
    EXPECT_EQ(entry->offset, 24u);
    EXPECT_TRUE(directoryAsStored());
}

TEST_F(ArcArchiveTest, TwelveCharacterNamesAndTheExactCompare) {
    ArcArchiveBuilder builder;
    builder.add("ABCDEFGH.MES", std::vector<uint8_t>{1});
    uint8_t elevenPlusJunk[12] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', '.', 'M', 'E', 'X'};
    builder.addRaw(elevenPlusJunk, std::vector<uint8_t>{2});
    uint8_t zeroInside[12] = {'X', 0, 'Y'};
    builder.addRaw(zeroInside, std::vector<uint8_t>{3});
    ASSERT_TRUE(load(builder));
    std::string twelve = "ABCDEFGH.MES";
    ASSERT_TRUE(archive.lookup(twelve));
    std::string eleven = "ABCDEFGH.ME";
    EXPECT_FALSE(archive.lookup(eleven));
    std::string x = "X";
    EXPECT_TRUE(archive.lookup(x)) << "the name ends at its first zero byte";
    std::string padded = "ABCDEFGH.MES ";
    EXPECT_FALSE(archive.lookup(padded)) << "no trimming";
    std::string path = "DIR\\X";
    EXPECT_FALSE(archive.lookup(path)) << "no path parts";
    EXPECT_TRUE(directoryAsStored());
}

TEST_F(ArcArchiveTest, FirstOfDuplicateEntriesWins) {
    ArcArchiveBuilder builder;
    builder.add("A.DAT", std::vector<uint8_t>{1});
    builder.add("A.DAT", std::vector<uint8_t>{2, 2});
    ASSERT_TRUE(load(builder));
    std::string name = "a.dat";
    EXPECT_EQ(archive.lookup(name)->size, 1u);
}

TEST_F(ArcArchiveTest, DirectoryStaysScrambledWhateverTheOutcome) {
    ArcArchiveBuilder builder;
    for (int i = 0; i < 50; ++i)
        builder.add("F" + std::to_string(i) + ".BMP", std::vector<uint8_t>(i));
    ASSERT_TRUE(load(builder));
    for (std::string name : {"F0.BMP", "f49.bmp", "NONE", ""}) {
        archive.lookup(name);
        EXPECT_TRUE(directoryAsStored()) << name;
    }
}

TEST_F(ArcArchiveTest, TruncatedOrOversizedDirectoriesFailTheOpen) {
    ArcArchiveBuilder builder;
    builder.add("A", std::vector<uint8_t>{1});
    std::vector<uint8_t> bytes = builder.build();
    for (size_t cut : {size_t{0}, size_t{3}, size_t{4 + 19}}) {
        dir.write("CUT.ARC", std::span(bytes.data(), cut));
        EXPECT_FALSE(archive.load(File::openForRead(dir / "CUT.ARC"))) << cut;
        EXPECT_FALSE(archive.isLoaded());
    }
    dir.write("HUGE.ARC", std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x0F, 1, 2, 3});
    EXPECT_FALSE(archive.load(File::openForRead(dir / "HUGE.ARC")));
    EXPECT_FALSE(archive.load(File{}));
}

TEST(ArcArchiveBuilderTest, RefusesNamesThatDoNotFit) {
    ArcArchiveBuilder builder;
    EXPECT_FALSE(builder.add("ABCDEFGHI.MES", std::vector<uint8_t>{}));
    EXPECT_FALSE(builder.add("", std::vector<uint8_t>{}));
    EXPECT_FALSE(builder.add(std::string_view("A\0B", 3), std::vector<uint8_t>{}));
    EXPECT_TRUE(builder.add("ABCDEFGH.MES", std::vector<uint8_t>{}));
    EXPECT_EQ(builder.count(), 1u);
}

} // namespace
} // namespace fer

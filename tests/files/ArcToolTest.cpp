#include "ArcTool.h"

#include <gtest/gtest.h>

#include <sstream>

#include "SpecialFiles.h"
#include "TempDir.h"
#include "TestData.h"
#include "Within.h"

namespace fer {
namespace {

int run(std::vector<std::string> args, std::string* out = nullptr, std::string* err = nullptr) {
    std::ostringstream o, e;
    int status = runArcTool(args, o, e);
    if (out) *out = o.str();
    if (err) *err = e.str();
    return status;
}

TEST(ArcTool, CreateListExtractRoundTrip) {
    test::TempDir dir;
    std::vector<uint8_t> script = test::textLike(20000, 1), picture = test::pictureLike(9000, 2);
    dir.write("main.mes", script);
    dir.write("ABCDEFGH.BMP", picture);
    dir.write("EMPTY.DAT", std::vector<uint8_t>{});
    std::filesystem::create_directory(dir / "out");
    for (bool coded : {false, true}) {
        std::string archive = (dir / (coded ? "C.ARC" : "P.ARC")).string();
        std::vector<std::string> args = {"create", archive, (dir / "main.mes").string(),
                                         (dir / "ABCDEFGH.BMP").string(),
                                         (dir / "EMPTY.DAT").string()};
        if (coded) args.push_back("--lzss");
        ASSERT_EQ(run(args), 0);

        std::string listing;
        ASSERT_EQ(run({"list", archive}, &listing), 0);
        std::istringstream lines(listing);
        std::string name;
        uint64_t size, offset;
        ASSERT_TRUE(lines >> name >> size >> offset);
        EXPECT_EQ(name, "MAIN.MES");
        EXPECT_EQ(offset, 64u); // after the count and three entries of 20 bytes
        if (coded) {
            EXPECT_LT(size, script.size());
        } else {
            EXPECT_EQ(size, script.size());
        }
        ASSERT_TRUE(lines >> name >> size >> offset);
        EXPECT_EQ(name, "ABCDEFGH.BMP");

        std::vector<std::string> extract = {"extract", archive, "-o", (dir / "out").string()};
        if (coded) extract.push_back("--decode");
        ASSERT_EQ(run(extract), 0);
        EXPECT_EQ(dir.read("out/MAIN.MES"), script);
        EXPECT_EQ(dir.read("out/ABCDEFGH.BMP"), picture);
        EXPECT_TRUE(std::filesystem::is_regular_file(dir / "out/EMPTY.DAT"));
        EXPECT_EQ(std::filesystem::file_size(dir / "out/EMPTY.DAT"), 0u);
    }
}

TEST(ArcTool, ExtractNamedEntryAndMissingOne) {
    test::TempDir dir;
    dir.writeText("A.TXT", "aaa");
    dir.writeText("B.TXT", "bbb");
    std::string archive = (dir / "T.ARC").string();
    ASSERT_EQ(run({"create", archive, (dir / "A.TXT").string(), (dir / "B.TXT").string()}), 0);
    std::filesystem::create_directory(dir / "out");
    std::string err;
    EXPECT_EQ(
        run({"extract", archive, "b.txt", "NONE.TXT", "-o", (dir / "out").string()}, nullptr, &err),
        1);
    EXPECT_EQ(dir.readText("out/B.TXT"), "bbb");
    EXPECT_FALSE(std::filesystem::exists(dir / "out/A.TXT"));
    EXPECT_NE(err.find("NONE.TXT is not in"), std::string::npos) << err;

    // A link already in the output folder is not written through.
    dir.writeText("KEEP", "kept");
    std::filesystem::create_symlink(dir / "KEEP", dir / "out/A.TXT");
    EXPECT_EQ(run({"extract", archive, "-o", (dir / "out").string()}, nullptr, &err), 1);
    EXPECT_EQ(dir.readText("KEEP"), "kept");
    EXPECT_NE(err.find("A.TXT: it is a symbolic link"), std::string::npos) << err;
}

TEST(ArcTool, RefusesLongNamesAndBadArchives) {
    test::TempDir dir;
    dir.writeText("TOOLONGNAME.MES", "x");
    std::string err;
    EXPECT_EQ(run({"create", (dir / "T.ARC").string(), (dir / "TOOLONGNAME.MES").string()}, nullptr,
                  &err),
              1);
    EXPECT_NE(err.find("does not fit"), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(dir / "T.ARC"));

    dir.write("BAD.ARC", std::vector<uint8_t>{9, 9, 9, 9, 1});
    EXPECT_EQ(run({"list", (dir / "BAD.ARC").string()}, nullptr, &err), 1);
    EXPECT_EQ(run({"bogus"}), 2);
}

TEST(ArcTool, LzssEncodeDecodeFiles) {
    test::TempDir dir;
    std::vector<uint8_t> data = test::pictureLike(30000, 4);
    dir.write("in", data);
    ASSERT_EQ(run({"lzss", "encode", (dir / "in").string(), (dir / "coded").string()}), 0);
    ASSERT_EQ(run({"lzss", "decode", (dir / "coded").string(), (dir / "back").string()}), 0);
    EXPECT_EQ(dir.read("back"), data);
    EXPECT_LT(dir.read("coded").size(), data.size());
}

TEST(ArcTool, OddInputFilesFailAtOnce) {
    test::TempDir dir;
    ASSERT_TRUE(test::makeFifo(dir / "PIPE.MES"));
    std::string err;
    test::within(std::chrono::seconds(2), [&] {
        EXPECT_EQ(
            run({"create", (dir / "T.ARC").string(), (dir / "PIPE.MES").string()}, nullptr, &err),
            1);
        EXPECT_NE(err.find("not a regular file"), std::string::npos) << err;
        EXPECT_EQ(run({"list", (dir / "PIPE.MES").string()}, nullptr, &err), 1);
        EXPECT_EQ(run({"lzss", "decode", "/dev/zero", (dir / "out").string()}, nullptr, &err), 1);
    });
    EXPECT_FALSE(std::filesystem::exists(dir / "T.ARC"));
}

} // namespace
} // namespace fer

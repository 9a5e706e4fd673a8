#include "files/AtomicFileWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "SpecialFiles.h"
#include "TempDir.h"

namespace fer {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(AtomicFileWriter, ReplacesTheFileAndLeavesNoTemporary) {
    test::TempDir dir;
    const std::vector<uint8_t> before(4096, 1), after(4096, 2);
    dir.write("SAVE01", before);
    ASSERT_EQ(replaceFileAtomically(dir / "SAVE01", after), WriteOutcome::kDone);
    EXPECT_EQ(readAll(dir / "SAVE01"), after);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(AtomicFileWriter, RemovesTemporariesAKilledWriterLeftOfTheSameFileOnly) {
    test::TempDir dir;
    const std::vector<uint8_t> junk(100, 7), bytes(4096, 3);
    dir.write(".SAVE01.a1B2c3", junk);  // a killed write of SAVE01
    dir.write(".SAVE01.x9Y8z7", junk);  // and another
    dir.write(".SAVE02.a1B2c3", junk);  // another file's: not ours to remove
    dir.write(".SAVE01.notes.txt", junk); // no temporary's name
    dir.write("SAVE01.a1B2c3", junk);
    ASSERT_EQ(replaceFileAtomically(dir / "SAVE01", bytes), WriteOutcome::kDone);
    EXPECT_EQ(readAll(dir / "SAVE01"), bytes);
    EXPECT_FALSE(fs::exists(dir / ".SAVE01.a1B2c3"));
    EXPECT_FALSE(fs::exists(dir / ".SAVE01.x9Y8z7"));
    EXPECT_TRUE(fs::exists(dir / ".SAVE02.a1B2c3"));
    EXPECT_TRUE(fs::exists(dir / ".SAVE01.notes.txt"));
    EXPECT_TRUE(fs::exists(dir / "SAVE01.a1B2c3"));
}

// Names already taken by a link (to a file, or to nothing yet), a second
// name of another file, or something that is no regular file: nothing is
// written through them, whichever way the file is made.
TEST(AtomicFileWriter, NeverWritesThroughANameThatIsTaken) {
    test::TempDir dir;
    const std::vector<uint8_t> kept = {'k', 'e', 'p', 't'}, bytes(10, 5);
    dir.write("KEEP", kept);
    fs::create_symlink(dir / "KEEP", dir / "LINK");
    fs::create_symlink(dir / "NEW", dir / "DANGLING");
    fs::create_hard_link(dir / "KEEP", dir / "HARD");
    ASSERT_TRUE(test::makeFifo(dir / "PIPE"));
    const std::pair<const char*, WriteOutcome> cases[] = {{"LINK", WriteOutcome::kIsLink},
                                                          {"DANGLING", WriteOutcome::kIsLink},
                                                          {"PIPE", WriteOutcome::kNotRegular},
                                                          {"HARD", WriteOutcome::kDone}};
    for (const auto& [name, outcome] : cases) {
        EXPECT_EQ(replaceFileAtomically(dir / name, bytes), outcome) << name;
        WriteOutcome created = WriteOutcome::kDone;
        EXPECT_EQ(createFileInPlace(dir / name, &created).isOpen(), outcome == WriteOutcome::kDone);
        EXPECT_EQ(created, outcome) << name;
    }
    EXPECT_EQ(readAll(dir / "KEEP"), kept);
    EXPECT_FALSE(fs::exists(dir / "NEW"));
    EXPECT_TRUE(fs::is_symlink(dir / "LINK"));
    EXPECT_TRUE(fs::is_fifo(dir / "PIPE"));
    EXPECT_EQ(fs::file_size(dir / "HARD"), 0u) << "a new, empty file in the name's place";
}

} // namespace
} // namespace fer

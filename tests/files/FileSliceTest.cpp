// A slice of a file read from several threads at once.

#include "files/FileSlice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "TempDir.h"
#include "TestData.h"

namespace fer {
namespace {

TEST(FileSlice, ThreadsReadTheirOwnOffsetsAtOnce) {
    test::TempDir dir;
    const std::vector<uint8_t> bytes = test::randomBytes(1 << 18, 11);
    dir.write("DATA.ARC", bytes);
    constexpr uint64_t kBase = 1000;
    constexpr uint64_t kLength = 200000;
    File file = File::openForRead(dir / "DATA.ARC");
    ASSERT_TRUE(file.isOpen());
    auto slice = FileSlice::duplicate(file, kBase, kLength);
    ASSERT_NE(slice, nullptr);
    file.close(); // the slice reads through its own descriptor
    ASSERT_EQ(slice->size(), kLength);

    std::atomic<int> mismatches{0};
    auto reader = [&](uint32_t seed) {
        std::mt19937 rng(seed);
        std::vector<uint8_t> buffer(4096);
        for (int i = 0; i < 2000; ++i) {
            const uint64_t offset = rng() % (kLength + 100);
            const size_t wanted = 1 + rng() % buffer.size();
            const size_t got = slice->readAt(offset, std::span(buffer).first(wanted));
            const size_t expected =
                offset >= kLength ? 0 : std::min<uint64_t>(wanted, kLength - offset);
            if (got != expected ||
                !std::equal(buffer.begin(), buffer.begin() + got, bytes.begin() + kBase + offset))
                ++mismatches;
        }
    };
    std::thread first(reader, 1);
    std::thread second(reader, 2);
    first.join();
    second.join();
    EXPECT_EQ(mismatches.load(), 0);
}

TEST(FileSlice, ShortFileGivesShortReadsAndClosedFileNoSlice) {
    test::TempDir dir;
    dir.write("SHORT.WAV", test::randomBytes(100, 12));
    File file = File::openForRead(dir / "SHORT.WAV");
    // A slice that claims more than the file holds.
    FileSlice slice(std::move(file), 60, 80);
    std::vector<uint8_t> buffer(80);
    EXPECT_EQ(slice.readAt(0, buffer), 40u);
    EXPECT_EQ(slice.readAt(50, buffer), 0u);
    EXPECT_EQ(FileSlice::duplicate(File{}, 0, 10), nullptr);
}

} // namespace
} // namespace fer

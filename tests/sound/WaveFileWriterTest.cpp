#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <vector>

#include "sound/RecordingSource.h"
#include "sound/WaveFileWriter.h"

namespace fer {
namespace {

std::vector<uint8_t> readAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

uint32_t at32(const std::vector<uint8_t>& b, size_t offset) {
    uint32_t v = 0;
    std::memcpy(&v, b.data() + offset, 4);
    return v;
}

class WaveFileWriterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = std::filesystem::temp_directory_path() /
                ("fer-wav-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".wav");
    }
    void TearDown() override { std::filesystem::remove(path_); }
    std::filesystem::path path_;
};

TEST_F(WaveFileWriterTest, TheHeaderIsRightAfterEveryAppend) {
    WaveFileWriter w(path_, {22050, 2});
    ASSERT_TRUE(w.isOpen());
    std::vector<uint8_t> bytes = readAll(path_);
    ASSERT_EQ(bytes.size(), 44u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(at32(bytes, 24), 22050u);
    EXPECT_EQ(at32(bytes, 28), 22050u * 4);
    const std::vector<int16_t> frames{1, -1, 2, -2, 3, -3};
    ASSERT_TRUE(w.append(frames));
    // Without closing: what a crash would leave is a complete file.
    bytes = readAll(path_);
    ASSERT_EQ(bytes.size(), 56u);
    EXPECT_EQ(at32(bytes, 4), 48u);
    EXPECT_EQ(at32(bytes, 40), 12u);
    ASSERT_TRUE(w.append(frames));
    EXPECT_EQ(w.frames(), 6u);
    ASSERT_TRUE(w.close());
    bytes = readAll(path_);
    EXPECT_EQ(at32(bytes, 40), 24u);
    int16_t last = 0;
    std::memcpy(&last, bytes.data() + bytes.size() - 2, 2);
    EXPECT_EQ(last, -3);
}

TEST_F(WaveFileWriterTest, AnUnwritablePathIsReportedNotFatal) {
    WaveFileWriter w("/nonexistent-dir/x.wav", {48000, 2});
    EXPECT_FALSE(w.isOpen());
    const std::vector<int16_t> frames{0, 0};
    EXPECT_FALSE(w.append(frames));
    EXPECT_FALSE(w.close());
}

TEST_F(WaveFileWriterTest, ARecordingPassesTheSoundOnAndKeepsACopy) {
    struct Ramp : AudioSource {
        void render(std::span<int16_t> out, const AudioFormat&) override {
            for (int16_t& s : out) s = next++;
        }
        int16_t next = 0;
    } ramp;
    RecordingSource recording(ramp);
    std::vector<int16_t> out(8);
    recording.render(out, {48000, 2}); // no writer yet: played, not kept
    WaveFileWriter w(path_, {48000, 2});
    recording.setWriter(&w);
    recording.render(out, {48000, 2});
    EXPECT_EQ(out.front(), 8);
    recording.setWriter(nullptr);
    ASSERT_TRUE(w.close());
    const std::vector<uint8_t> bytes = readAll(path_);
    ASSERT_EQ(bytes.size(), 44u + 16u);
    int16_t first = 0;
    std::memcpy(&first, bytes.data() + 44, 2);
    EXPECT_EQ(first, 8);
}

} // namespace
} // namespace fer

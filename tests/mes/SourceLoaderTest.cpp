// The assembler reads its sources from regular files only.

#include "SourceLoader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>
#include <sys/stat.h>

namespace fer::mes {
namespace {

namespace fs = std::filesystem;

TEST(SourceLoader, ReadsRegularFilesAndNothingElse) {
    std::random_device rd;
    const fs::path dir = fs::temp_directory_path() / ("fer-sources-" + std::to_string(rd()));
    fs::create_directories(dir);
    std::ofstream(dir / "a.mes") << "end\n";
    ASSERT_EQ(::mkfifo((dir / "pipe.mes").c_str(), 0644), 0);
    const SourceLoader load = fileSourceLoader();
    auto reading = std::async(std::launch::async, [&] {
        return std::vector<std::optional<std::string>>{
            load((dir / "a.mes").string()), load((dir / "pipe.mes").string()), load(dir.string()),
            load("/dev/zero"), load((dir / "none.mes").string())};
    });
    ASSERT_EQ(reading.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    const auto texts = reading.get();
    EXPECT_EQ(texts[0], std::optional<std::string>("end\n"));
    for (size_t i = 1; i < texts.size(); ++i) EXPECT_FALSE(texts[i]) << i;
    fs::remove_all(dir);
}

} // namespace
} // namespace fer::mes

// A game's files cannot make the engine allocate without bound: counts and
// sizes in archive directories, picture headers and wave headers that claim
// far more than the file holds are refused, or clipped to what is there,
// before anything is allocated for them. The engine runs with its address
// space limited (ulimit -v); a refused file gives a clear fatal error and
// exit status 1, never an out-of-memory abort.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "EngineProcess.h"
#include "files/ArcArchive.h"
#include "files/ArcArchiveBuilder.h"

namespace fer {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// Enough for the engine and its threads, far too little for any of the
// claims below (each asks for gigabytes).
constexpr const char* kLimit = "ulimit -v 1000000;";

class Game {
  public:
    Game() {
        dir_ = fs::temp_directory_path() / ("fer-limits-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir_);
    }
    ~Game() {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    void write(const std::string& name, const Bytes& bytes) const {
        std::ofstream(dir_ / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    void text(const std::string& name, const std::string& content) const {
        std::ofstream(dir_ / name, std::ios::binary) << content;
    }
    Bytes assemble(const std::string& source) const {
        text("main.mes", source);
        const std::string command = std::string(FER_MESASM_PATH) + " '" +
                                    (dir_ / "main.mes").string() + "' -o '" +
                                    (dir_ / "MAIN.BIN").string() + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) return {};
        std::ifstream in(dir_ / "MAIN.BIN", std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    test::EngineProcess run() const {
        return test::runEngineProcess(FER_ENGINE_PATH,
                                      "--headless --quit-after 5000 '" + dir_.string() + "'", kLimit);
    }

  private:
    fs::path dir_;
};

void put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// No abort, no uncaught exception, no sanitizer or allocator report.
void expectNoCrash(const test::EngineProcess& r) {
    EXPECT_GE(r.status, 0) << "the engine did not exit: " << r.err;
    for (const char* sign : {"bad_alloc", "terminate", "Abort", "Segmentation", "out of memory"})
        EXPECT_EQ(r.err.find(sign), std::string::npos) << sign << " in: " << r.err;
}

class ResourceLimits : public ::testing::Test {
  protected:
    Game game;
};

TEST_F(ResourceLimits, AnOrdinaryGameRunsWithinTheLimit) {
    const Bytes main = game.assemble("    r16[12] = 1\n    end\n");
    ASSERT_FALSE(main.empty());
    game.write("MAIN.MES", main);
    const auto r = game.run();
    expectNoCrash(r);
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(ResourceLimits, ArchiveDirectoryLongerThanTheFileIsRefused) {
    game.text("KITE5HAN.INI", "[FILE]\nbARCMES=1\n");
    Bytes archive(64, 0);
    put32(archive, 0, 0x0FFFFFFF); // 5 GB of directory entries
    game.write("MES.ARC", archive);
    const auto r = game.run();
    expectNoCrash(r);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_FALSE(r.err.empty());
}

TEST_F(ResourceLimits, ArchiveEntryLargerThanTheArchiveIsRefused) {
    const Bytes main = game.assemble("    r16[12] = 1\n    end\n");
    ASSERT_FALSE(main.empty());
    ArcArchiveBuilder builder;
    ASSERT_TRUE(builder.add("MAIN.MES", main));
    Bytes archive = builder.build();
    // The size field is stored scrambled: change it by the difference.
    const uint32_t size = static_cast<uint32_t>(main.size()), claimed = 0xFFFFFF00u;
    for (int i = 0; i < 4; ++i) archive[4 + 12 + i] ^= static_cast<uint8_t>((size ^ claimed) >> (8 * i));
    game.text("KITE5HAN.INI", "[FILE]\nbARCMES=1\n");
    game.write("MES.ARC", archive);
    const auto r = game.run();
    expectNoCrash(r);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_FALSE(r.err.empty());
}

TEST_F(ResourceLimits, PictureHeadersClaimingHugeSizesAreClippedToTheFile) {
    const Bytes main = game.assemble("    load_image \"BIG.BMP\"\n    load_image \"BIG.LZS\"\n"
                                     "    r16[12] = 1\n    end\n");
    ASSERT_FALSE(main.empty());
    game.write("MAIN.MES", main);
    Bytes bmp(54 + 1024 + 64, 0);
    bmp[0] = 'B', bmp[1] = 'M';
    put32(bmp, 2, static_cast<uint32_t>(bmp.size()));
    put32(bmp, 10, 54 + 1024);
    put32(bmp, 14, 40);
    put32(bmp, 18, 0x7FFFFFFF); // width
    put32(bmp, 22, 0x7FFFFFFF); // height
    bmp[26] = 1, bmp[28] = 8;
    put32(bmp, 46, 0xFFFFFFFF); // colours
    game.write("BIG.BMP", bmp);
    Bytes lzss(8 + 1024 + 16, 0);
    lzss[4] = lzss[5] = lzss[6] = lzss[7] = 0xFF; // 65535 x 65535
    game.write("BIG.LZS", lzss);
    const auto r = game.run();
    expectNoCrash(r);
    EXPECT_LE(r.status, 1) << r.err;
}

TEST_F(ResourceLimits, WaveHeadersClaimingHugeDataAreRefusedOrBounded) {
    const Bytes main = game.assemble("    music 0, \"BIG.WAV\"\n    wait 200\n"
                                     "    music 0, \"ADPCM.WAV\"\n    wait 200\n"
                                     "    r16[12] = 1\n    end\n");
    ASSERT_FALSE(main.empty());
    game.write("MAIN.MES", main);
    // PCM: a data chunk of 4 GB in a file of a few hundred bytes.
    Bytes pcm(44 + 400, 0);
    std::copy_n("RIFF", 4, pcm.begin());
    put32(pcm, 4, 0xFFFFFFF0);
    std::copy_n("WAVEfmt ", 8, pcm.begin() + 8);
    put32(pcm, 16, 16);
    pcm[20] = 1, pcm[22] = 2;      // PCM, stereo
    put32(pcm, 24, 44100);
    put32(pcm, 28, 44100 * 4);
    pcm[32] = 4, pcm[34] = 16;
    std::copy_n("data", 4, pcm.begin() + 36);
    put32(pcm, 40, 0xFFFFFFF0);
    game.write("BIG.WAV", pcm);
    // IMA ADPCM: a fact chunk claiming 4 G frames, blocks of 65535 frames.
    Bytes adpcm(60 + 512, 0);
    std::copy_n("RIFF", 4, adpcm.begin());
    put32(adpcm, 4, static_cast<uint32_t>(adpcm.size() - 8));
    std::copy_n("WAVEfmt ", 8, adpcm.begin() + 8);
    put32(adpcm, 16, 20);
    adpcm[20] = 0x11, adpcm[22] = 1; // IMA ADPCM, mono
    put32(adpcm, 24, 22050);
    put32(adpcm, 28, 11100);
    adpcm[32] = 0x00, adpcm[33] = 0x02; // blocks of 512 bytes
    adpcm[34] = 4;
    adpcm[36] = 2;                    // two extra bytes
    adpcm[38] = 0xFF, adpcm[39] = 0xFF; // frames per block
    std::copy_n("fact", 4, adpcm.begin() + 40);
    put32(adpcm, 44, 4);
    put32(adpcm, 48, 0xFFFFFFFF);
    std::copy_n("data", 4, adpcm.begin() + 52);
    put32(adpcm, 56, 512);
    game.write("ADPCM.WAV", adpcm);
    const auto r = game.run();
    expectNoCrash(r);
    // A wave that cannot be played is reported and the game goes on.
    EXPECT_EQ(r.status, 0) << r.err;
}

} // namespace
} // namespace fer

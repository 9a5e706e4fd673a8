// Where the engine writes: a game folder that cannot be written (a game
// installed for the whole system) sends saves, the log and the settings the
// player changes to the player's own folder under $XDG_DATA_HOME; a save
// that cannot be written anywhere is shown, and the game goes on.
//
// The engine runs as an unprivileged user when the tests run as root, so
// the folder's permissions hold for it as they would for a player.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "EngineProcess.h"

namespace fer {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

constexpr uid_t kNobody = 65534;

Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

uint16_t reg16(const Bytes& memory, int r) {
    return static_cast<uint16_t>(memory.at(0x884 + 2 * r) | memory.at(0x884 + 2 * r + 1) << 8);
}

// A temporary tree: the game folder (read-only once made so), the player's
// data home and a folder for the memory dump, all reachable by the user the
// engine runs as.
class Place {
  public:
    Place() {
        root_ = fs::temp_directory_path() / ("fer-places-" + std::to_string(std::random_device{}()));
        for (const char* d : {"game", "home", "out"}) fs::create_directories(root_ / d);
        for (const char* name : {"MAIN.MES", "CALLEE.MES", "SECOND.MES"})
            fs::copy_file(fs::path(FER_SAVEGAME_DIR) / name, game() / name);
        Bytes merged(4096, 0);
        merged[0x80 + 7] = 1;
        merged[200] = 0x42;
        std::ofstream(game() / "SAVE05", std::ios::binary)
            .write(reinterpret_cast<const char*>(merged.data()), 4096);
        if (geteuid() == 0) {
            for (const auto& entry : fs::recursive_directory_iterator(root_))
                if (::chown(entry.path().c_str(), kNobody, kNobody) != 0) ADD_FAILURE();
            if (::chown(root_.c_str(), kNobody, kNobody) != 0) ADD_FAILURE();
        }
    }
    ~Place() {
        std::error_code ec;
        fs::permissions(game(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::permissions(root_ / "home", fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(root_, ec);
    }
    fs::path game() const { return root_ / "game"; }
    fs::path home() const { return root_ / "home"; }
    fs::path dump() const { return root_ / "out" / "mem.bin"; }
    void makeReadOnly(const fs::path& folder) const {
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec |
                                    fs::perms::group_read | fs::perms::group_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
    }
    test::EngineProcess run() const {
        std::string wrapper = "env XDG_DATA_HOME=" + home().string();
        if (geteuid() == 0)
            wrapper = "setpriv --reuid=65534 --regid=65534 --clear-groups " + wrapper;
        return test::runEngineProcess(FER_ENGINE_PATH,
                                      "--headless --dump-memory " + dump().string() + " " +
                                          game().string(),
                                      wrapper);
    }

  private:
    fs::path root_;
};

TEST(WritePlaces, AReadOnlyGameFolderSavesInThePlayersOwnFolder) {
    Place place;
    place.makeReadOnly(place.game());
    const test::EngineProcess r = place.run();
    ASSERT_EQ(r.status, 0) << r.err;
    const fs::path own = place.home() / "FerKite" / "game";
    // The save written by the game, and the save found in the game folder
    // merged and written back to the player's folder.
    const Bytes save3 = readFile(own / "SAVE03");
    ASSERT_EQ(save3.size(), 4096u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(save3.data())), "MAIN.MES");
    const Bytes save5 = readFile(own / "SAVE05");
    ASSERT_EQ(save5.size(), 4096u);
    EXPECT_EQ(save5[0x80 + 7], 3);
    EXPECT_EQ(save5[200], 0x42);
    EXPECT_FALSE(fs::exists(place.game() / "SAVE03"));
    EXPECT_EQ(readFile(place.game() / "SAVE05")[0x80 + 7], 1); // the game's own is untouched
    // The save was read back from the player's folder.
    const Bytes memory = readFile(place.dump());
    ASSERT_EQ(memory.size(), 1053124u);
    EXPECT_EQ(reg16(memory, 60), 11);
    EXPECT_EQ(memory[0x80 + 7], 2);
}

TEST(WritePlaces, AWritableGameFolderKeepsItsSaves) {
    Place place;
    const test::EngineProcess r = place.run();
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(place.game() / "SAVE03").size(), 4096u);
    EXPECT_EQ(readFile(place.game() / "SAVE05")[0x80 + 7], 3);
    EXPECT_FALSE(fs::exists(place.home() / "FerKite"));
}

TEST(WritePlaces, ASaveThatCannotBeWrittenIsShownAndTheGameGoesOn) {
    Place place;
    place.makeReadOnly(place.game());
    place.makeReadOnly(place.home());
    const test::EngineProcess r = place.run();
    // Both saves are shown as failures and the script runs on past them; the
    // load of the save that was never written is the fatal error it always was.
    EXPECT_EQ(r.err.rfind("文件打开错误: SAVE03\n文件打开错误: SAVE05\n", 0), 0u) << r.err;
    EXPECT_EQ(r.status, 1);
    const Bytes memory = readFile(place.dump());
    ASSERT_EQ(memory.size(), 1053124u);
    EXPECT_EQ(reg16(memory, 60), 99); // set after the first save
}

} // namespace
} // namespace fer

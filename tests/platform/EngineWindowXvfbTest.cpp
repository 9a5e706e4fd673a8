// The real engine program opens its window on an X server (Xvfb): a script
// waits for a click while the screen is photographed; the quit timer then
// closes the window. The photograph must show the window's menu bar; with
// the debug menu, the flags view drawn over the picture. And full screen, with
// or without a window manager, shows the demo game's title on the whole
// screen, twice as large, centred, sharp.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "../SkipUnlessCi.h"

namespace fer {
namespace {

namespace fs = std::filesystem;

bool haveProgram(const char* name) {
    const std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* at(int x, int y) const {
        return &rgb[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) *
                    3];
    }
};

// Reads a binary PPM (P6, maxval 255) as ImageMagick writes it.
bool readPpm(const fs::path& path, Image& image) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxval = 0;
    in >> magic >> image.width >> image.height >> maxval;
    in.get();
    if (!in || magic != "P6" || maxval != 255 || image.width <= 0 || image.height <= 0)
        return false;
    image.rgb.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 3);
    in.read(reinterpret_cast<char*>(image.rgb.data()),
            static_cast<std::streamsize>(image.rgb.size()));
    return static_cast<size_t>(in.gcount()) == image.rgb.size();
}

// Runs the shell line `inner` on a fresh X server; its output goes to
// dir/run.log and is returned. The result is the inner line's own exit
// status (-1 when it did not finish): xvfb-run may add a status of its own
// when it cannot clean up its temporary folder on a busy machine.
int runInXvfb(const std::string& inner, const fs::path& dir, std::string& output,
              const std::string& screen = "1280x1024") {
    const fs::path log = dir / "run.log";
    const fs::path statusFile = dir / "inner.status";
    // A hung run is killed, Xvfb and all, before the test itself times out.
    const std::string command = "timeout -k 5 110 xvfb-run -a -s '-screen 0 " + screen +
                                "x24' sh -c \"(" + inner + "); echo \\$? >'" +
                                statusFile.string() + "'\" >'" + log.string() + "' 2>&1";
    const int ran = std::system(command.c_str());
    std::ifstream in(log);
    output.assign(std::istreambuf_iterator<char>(in), {});
    int status = -1;
    std::ifstream(statusFile) >> status;
    if (status < 0) output += "\n(xvfb-run ended with " + std::to_string(ran) + ")";
    return status;
}

TEST(EngineWindowXvfb, WindowWithMenuBarAppearsAndQuitTimerEndsTheRun) {
    if (!haveProgram("xvfb-run") || !haveProgram("import") || !haveProgram("convert"))
        FER_SKIP_UNLESS_CI("xvfb-run or ImageMagick missing");
    const fs::path dir =
        fs::temp_directory_path() / ("fer-xvfb-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    {
        // System command 11 (wait for a click), then the end of the script.
        const unsigned char script[] = {0x0B, 0x0B, 0xFF, 0x00, 0x00};
        std::ofstream(dir / "MAIN.MES", std::ios::binary)
            .write(reinterpret_cast<const char*>(script), sizeof script);
    }
    const fs::path shot = dir / "shot.png";
    // The engine runs in the background; the screen is taken while it waits.
    // An instrumented engine's leak check is about the program, not the X libraries.
    const std::string inner = "unset SDL_VIDEODRIVER; ASAN_OPTIONS=detect_leaks=0 '" +
                              std::string(FER_ENGINE_PATH) + "' '" + dir.string() +
                              "' --quit-after 1500 & pid=\\$!; sleep 1; " + "import -window root '" +
                              shot.string() + "'; wait \\$pid";
    const auto start = std::chrono::steady_clock::now();
    std::string output;
    const int status = runInXvfb(inner, dir, output);
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
            .count();
    EXPECT_EQ(status, 0) << output;
    EXPECT_LT(seconds, 30);
    ASSERT_TRUE(fs::exists(shot)) << output;
    std::error_code ec;
    fs::copy_file(shot, "/tmp/fer-xvfb-shot.png", fs::copy_options::overwrite_existing, ec);

    const fs::path ppm = dir / "shot.ppm";
    ASSERT_EQ(std::system(("convert '" + shot.string() + "' '" + ppm.string() + "'").c_str()), 0);
    Image image;
    ASSERT_TRUE(readPpm(ppm, image));
    EXPECT_EQ(image.width, 1280);
    EXPECT_EQ(image.height, 1024);
    // The menu bar: rows mostly of one dark grey, with light text pixels on
    // some of them (the picture is black while the script waits).
    int barRows = 0;
    int textPixels = 0;
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* first = image.at(image.width * 3 / 4, y); // right of the menu titles
        int same = 0;
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.at(x, y);
            if (p[0] == first[0] && p[1] == first[1] && p[2] == first[2]) ++same;
        }
        const bool grey =
            first[0] == first[1] && first[1] == first[2] && first[0] > 16 && first[0] < 96;
        if (!grey || same < image.width / 2) continue;
        ++barRows;
        for (int x = 0; x < image.width; ++x)
            if (image.at(x, y)[0] > 160) ++textPixels;
    }
    EXPECT_GE(barRows, 10) << "no menu bar in the screenshot";
    EXPECT_GE(textPixels, 50) << "no menu texts in the bar";
    fs::remove_all(dir, ec);
}

// --text-hook clipboard: the demo's title screen, its first message, is on
// the clipboard as UTF-8 while the game waits; another program reads it.
TEST(EngineWindowXvfb, TextHookPutsTheMessageOnTheClipboard) {
    if (!haveProgram("xvfb-run") || !haveProgram("xclip"))
        FER_SKIP_UNLESS_CI("xvfb-run or xclip missing");
    const fs::path dir =
        fs::temp_directory_path() / ("fer-clip-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    const fs::path copied = dir / "clipboard.txt";
    const std::string inner = "unset SDL_VIDEODRIVER; ASAN_OPTIONS=detect_leaks=0 '" +
                              std::string(FER_ENGINE_PATH) + "' --text-hook clipboard '" +
                              std::string(FER_DEMO_DIR) + "' --quit-after 4000 & pid=\\$!; sleep 2.5; " +
                              "timeout 5 xclip -o -selection clipboard >'" + copied.string() +
                              "'; wait \\$pid";
    std::string output;
    EXPECT_EQ(runInXvfb(inner, dir, output), 0) << output;
    std::ifstream in(copied);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text, "小　风　筝\n点击或按回车键开始") << output;
    std::error_code ec;
    fs::remove_all(dir, ec);
}

TEST(EngineWindowXvfb, AFailedDropInTheWindowEndsTheRunWithStatus1) {
    if (!haveProgram("xvfb-run")) FER_SKIP_UNLESS_CI("xvfb-run missing");
    const fs::path dir =
        fs::temp_directory_path() / ("fer-xvfb-drop-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    {
        // A wait for a click that nobody gives.
        const unsigned char script[] = {0x0B, 0x0B, 0xFF, 0x00, 0x00};
        std::ofstream(dir / "MAIN.MES", std::ios::binary)
            .write(reinterpret_cast<const char*>(script), sizeof script);
        // The drop of a file that is not there arrives through the window's event queue.
        // The fatal box it brings is answered with Enter, as a player would.
        std::ofstream(dir / "input.txt")
            << "300 drop " << (dir / "GONE.MES").string() << "\n900 press enter\n";
    }
    // No --quit-after: only the failed drop can end the run; timeout kills a hidden process.
    const std::string inner = "unset SDL_VIDEODRIVER; ASAN_OPTIONS=detect_leaks=0 timeout 20 '" +
                              std::string(FER_ENGINE_PATH) + "' --input '" +
                              (dir / "input.txt").string() + "' '" + dir.string() + "'";
    const auto start = std::chrono::steady_clock::now();
    std::string output;
    const int status = runInXvfb(inner, dir, output);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(status, 1) << output;
    // xvfb-run itself takes a moment to start the server.
    EXPECT_LT(took, std::chrono::seconds(10)) << output;
    std::error_code ec;
    fs::remove_all(dir, ec);
}

// Counts the pixels of one colour in a rectangle.
int pixelsOf(const Image& image, int x0, int y0, int x1, int y1, uint8_t r, uint8_t g, uint8_t b) {
    int n = 0;
    for (int y = std::max(0, y0); y < std::min(image.height, y1); ++y)
        for (int x = std::max(0, x0); x < std::min(image.width, x1); ++x) {
            const uint8_t* p = image.at(x, y);
            if (p[0] == r && p[1] == g && p[2] == b) ++n;
        }
    return n;
}

TEST(EngineWindowXvfb, FlagsViewIsDrawnInTheWindow) {
    if (!haveProgram("xvfb-run") || !haveProgram("import") || !haveProgram("convert"))
        FER_SKIP_UNLESS_CI("xvfb-run or ImageMagick missing");
    const fs::path dir =
        fs::temp_directory_path() / ("fer-xvfb-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    fs::copy_file(FER_FLAGS_SCRIPT, dir / "MAIN.MES");
    std::ofstream(dir / "KITE5HAN.INI") << "[Config]\r\nbDEBUG=1\r\n";
    // The flags view opens from the menu and closes with Esc before the quit timer.
    std::ofstream(dir / "input.txt") << "300 menu 40010\n2200 press esc\n";
    const fs::path shot = dir / "flags.png";
    const std::string inner = "unset SDL_VIDEODRIVER; ASAN_OPTIONS=detect_leaks=0 '" +
                              std::string(FER_ENGINE_PATH) + "' '" + dir.string() +
                              "' --scale 1 --input '" + (dir / "input.txt").string() +
                              "' --quit-after 2800 & pid=\\$!; sleep 1.5; import -window root '" +
                              shot.string() + "'; wait \\$pid";
    std::string output;
    const int status = runInXvfb(inner, dir, output);
    EXPECT_EQ(status, 0) << output;
    ASSERT_TRUE(fs::exists(shot)) << output;
    std::error_code ec;
    fs::copy_file(shot, "/tmp/fer-xvfb-flags.png", fs::copy_options::overwrite_existing, ec);
    const fs::path ppm = dir / "flags.ppm";
    ASSERT_EQ(std::system(("convert '" + shot.string() + "' '" + ppm.string() + "'").c_str()), 0);
    Image image;
    ASSERT_TRUE(readPpm(ppm, image));
    // The labels are cyan and the values white, on the view's black ground.
    const int cyan = pixelsOf(image, 0, 0, image.width, image.height, 0, 255, 255);
    EXPECT_GE(cyan, 500) << "no cyan labels in the screenshot";
    // Cyan appears nowhere else: it lies in a box about the view's size.
    int left = image.width, top = image.height, right = 0, bottom = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.at(x, y);
            if (p[0] == 0 && p[1] == 255 && p[2] == 255) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    EXPECT_GT(right - left, 500) << "the column labels span the grid";
    EXPECT_GT(bottom - top, 150) << "the row labels span the grid";
    EXPECT_GE(pixelsOf(image, left, top, right + 80, bottom + 16, 255, 255, 255), 300)
        << "no white values in the grid";
    fs::remove_all(dir, ec);
}

// Full screen, entered with --fullscreen or Alt+Enter, with a window manager
// or without one (a kiosk): the menu bar hidden, the title at the largest
// whole factor that fits the whole screen, centred, sharp; Alt+Enter back
// brings the window to its own size and place.
TEST(EngineWindowXvfb, FullScreenFillsTheScreenWithOrWithoutAWindowManager) {
    if (!haveProgram("xvfb-run") || !haveProgram("import") || !haveProgram("convert") ||
        !haveProgram("xdotool") || !haveProgram("openbox"))
        FER_SKIP_UNLESS_CI("xvfb-run, ImageMagick, xdotool or openbox missing");
    struct Row {
        int width, height;
        bool windowManager, altEnter;
        int x, y; // where the 1280x800 picture lies
    };
    for (const Row row :
         {Row{1280, 800, true, true, 0, 0}, Row{1600, 1000, true, false, 160, 100},
          Row{1280, 800, false, false, 0, 0}, Row{1600, 1000, false, true, 160, 100}}) {
        const std::string what = std::to_string(row.width) + "x" + std::to_string(row.height) +
                                 (row.windowManager ? " with" : " without") + " a window manager" +
                                 (row.altEnter ? ", Alt+Enter" : ", --fullscreen");
        const fs::path dir =
            fs::temp_directory_path() / ("fer-xvfb-full-" + std::to_string(std::random_device{}()));
        fs::create_directories(dir);
        for (const auto& entry : fs::directory_iterator(FER_DEMO_DIR))
            if (entry.is_regular_file()) fs::copy_file(entry.path(), dir / entry.path().filename());
        const fs::path shot = dir / "full.png", before = dir / "before.txt",
                       after = dir / "after.txt";
        // Inside the double quotes of the outer shell: the inner shell's $ are escaped. The
        // pointer rests on the window (the keys' target without a window manager).
        const std::string geometry = "xdotool search --pid \\$pid | head -1 | xargs xdotool "
                                     "getwindowgeometry --shell > '";
        const std::string inner =
            std::string("unset SDL_VIDEODRIVER; ") +
            (row.windowManager ? "openbox & sleep 0.5; " : "") + "ASAN_OPTIONS=detect_leaks=0 '" +
            FER_ENGINE_PATH + "' '" + dir.string() + "' " + (row.altEnter ? "" : "--fullscreen ") +
            "--quit-after 7000 & pid=\\$!; sleep 2; " + "xdotool mousemove " +
            std::to_string(row.width / 2) + " " + std::to_string(row.height / 2) + "; " +
            (row.altEnter ? geometry + before.string() + "'; xdotool key alt+Return; " : "") +
            "sleep 1.5; import -window root '" + shot.string() + "'; " +
            (row.altEnter ? "xdotool key alt+Return; sleep 1; " + geometry + after.string() + "'; "
                          : "") +
            "wait \\$pid";
        std::string output;
        ASSERT_EQ(runInXvfb(inner, dir, output,
                            std::to_string(row.width) + "x" + std::to_string(row.height)),
                  0)
            << what << output;
        const fs::path ppm = dir / "full.ppm";
        ASSERT_EQ(std::system(("convert '" + shot.string() + "' '" + ppm.string() + "'").c_str()),
                  0);
        std::error_code ec;
        fs::copy_file(shot,
                      "/tmp/fer-xvfb-fullscreen-" + std::to_string(row.width) +
                          (row.windowManager ? "-wm" : "") + ".png",
                      fs::copy_options::overwrite_existing, ec);
        Image image;
        ASSERT_TRUE(readPpm(ppm, image));
        ASSERT_EQ(image.width, row.width);
        auto black = [&](int x, int y) {
            const uint8_t* p = image.at(x, y);
            return p[0] == 0 && p[1] == 0 && p[2] == 0;
        };
        // The night sky's corners are not black; the borders are, and no menu bar is there.
        for (auto [x, y] : {std::pair{0, 0}, {1279, 0}, {0, 799}, {1279, 799}})
            EXPECT_FALSE(black(row.x + x, row.y + y)) << what << ": picture at " << x << "," << y;
        if (row.x > 0) {
            for (auto [x, y] : {std::pair{0, 0},
                                {row.width - 1, row.height - 1},
                                {row.x - 1, 400},
                                {800, row.y - 1},
                                {800, row.y + 800}})
                EXPECT_TRUE(black(x, y)) << what << ": border at " << x << "," << y;
        }
        const uint8_t* sky = image.at(row.x + 960, row.y + 5); // blue, not the bar's grey
        EXPECT_GT(sky[2], sky[0] + 8) << what << ": the menu bar covers the picture";
        // Sharp: every picture pixel is a 2x2 block of one colour.
        int blurred = 0;
        for (int y = row.y; y < row.y + 800; y += 2)
            for (int x = row.x; x < row.x + 1280; x += 2)
                for (auto [dx, dy] : {std::pair{1, 0}, {0, 1}, {1, 1}})
                    blurred +=
                        !std::equal(image.at(x, y), image.at(x, y) + 3, image.at(x + dx, y + dy));
        EXPECT_EQ(blurred, 0) << what << ": the picture is not shown sharp at twice its size";
        if (row.altEnter) {
            std::ifstream a(before), b(after);
            const std::string was(std::istreambuf_iterator<char>(a), {}),
                is(std::istreambuf_iterator<char>(b), {});
            EXPECT_NE(was.find("WIDTH="), std::string::npos) << what << output;
            EXPECT_EQ(was.find("WIDTH=" + std::to_string(row.width)), std::string::npos) << was;
            EXPECT_EQ(is, was) << what << ": the window did not come back to its size and place";
        }
        fs::remove_all(dir, ec);
    }
}

// With a window manager: the title from a settings file in GB2312, as every
// game has it, is the window's UTF-8 name; the menu bar's item lights up
// under the pointer and goes dark when the pointer leaves it.
TEST(EngineWindowXvfb, TitleInUtf8AndMenuHighlightFollowsThePointer) {
    if (!haveProgram("xvfb-run") || !haveProgram("import") || !haveProgram("convert") ||
        !haveProgram("xdotool") || !haveProgram("openbox"))
        FER_SKIP_UNLESS_CI("xvfb-run, ImageMagick, xdotool or openbox missing");
    const fs::path dir =
        fs::temp_directory_path() / ("fer-xvfb-hover-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    for (const auto& entry : fs::directory_iterator(FER_DEMO_DIR))
        if (entry.is_regular_file()) fs::copy_file(entry.path(), dir / entry.path().filename());
    {
        std::ifstream in(dir / "KITE5HAN.INI", std::ios::binary);
        std::string ini(std::istreambuf_iterator<char>(in), {});
        in.close();
        const std::string utf8 = "TITLE=\xE5\xB0\x8F\xE9\xA3\x8E\xE7\xAD\x9D";
        const size_t at = ini.find(utf8);
        ASSERT_NE(at, std::string::npos);
        ini.replace(at, utf8.size(), "TITLE=\xD0\xA1\xB7\xE7\xF3\xDD"); // GB2312
        std::ofstream(dir / "KITE5HAN.INI", std::ios::binary) << ini;
    }
    const fs::path over = dir / "over.png", away = dir / "away.png";
    const std::string inner =
        "unset SDL_VIDEODRIVER; openbox & wm=\\$!; sleep 0.5; ASAN_OPTIONS=detect_leaks=0 '" +
        std::string(FER_ENGINE_PATH) + "' '" + dir.string() +
        "' --scale 1 --quit-after 9000 & pid=\\$!; sleep 3; w=\\$(xdotool getactivewindow); "
        "xdotool getwindowname \\$w > '" + (dir / "name.txt").string() + "'; "
        "xdotool getwindowgeometry --shell \\$w > '" + (dir / "geometry.txt").string() + "'; "
        "xdotool mousemove --window \\$w 24 9; sleep 0.7; import -window root '" + over.string() +
        "'; xdotool mousemove --window \\$w 300 200; sleep 0.7; import -window root '" +
        away.string() + "'; wait \\$pid; status=\\$?; kill \\$wm; exit \\$status";
    std::string output;
    const int status = runInXvfb(inner, dir, output);
    EXPECT_EQ(status, 0) << output;
    {
        std::ifstream in(dir / "name.txt");
        std::string name;
        std::getline(in, name);
        EXPECT_EQ(name, "\xE5\xB0\x8F\xE9\xA3\x8E\xE7\xAD\x9D") << output;
    }
    int wx = -1, wy = -1;
    {
        std::ifstream in(dir / "geometry.txt");
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("X=", 0) == 0) wx = std::stoi(line.substr(2));
            if (line.rfind("Y=", 0) == 0) wy = std::stoi(line.substr(2));
        }
    }
    ASSERT_GE(wx, 0) << output;
    // Highlight-blue pixels on the menu bar's first item.
    auto lit = [&](const fs::path& shot) {
        const fs::path ppm = shot.string() + ".ppm";
        if (std::system(("convert '" + shot.string() + "' '" + ppm.string() + "'").c_str()) != 0)
            return -1;
        Image image;
        if (!readPpm(ppm, image)) return -1;
        int n = 0;
        // Around the window's top left corner (the window manager's idea of
        // it may include its frame): the menus' hover colour, (60, 127, 207).
        auto near = [](int v, int want) { return v > want - 20 && v < want + 20; };
        for (int y = std::max(0, wy - 40); y < wy + 40 && y < image.height; ++y)
            for (int x = std::max(0, wx - 20); x < wx + 120 && x < image.width; ++x) {
                const uint8_t* p = image.at(x, y);
                n += near(p[0], 60) && near(p[1], 127) && near(p[2], 207);
            }
        return n;
    };
    std::error_code copyError;
    fs::copy_file(over, "/tmp/fer-xvfb-hover.png", fs::copy_options::overwrite_existing, copyError);
    EXPECT_GT(lit(over), 800) << "no highlight under the pointer at " << wx << "," << wy;
    EXPECT_LT(lit(away), 100) << "the highlight stayed after the pointer left";
    std::error_code ec;
    fs::remove_all(dir, ec);
}

// A box is as wide as its title when the title is wider than its text: the
// fatal error "文件打开错误" / "SAVE01" shows its whole title bar.
TEST(EngineWindowXvfb, ABoxIsAsWideAsItsTitle) {
    if (!haveProgram("xvfb-run") || !haveProgram("import") || !haveProgram("convert"))
        FER_SKIP_UNLESS_CI("xvfb-run or ImageMagick missing");
    const fs::path dir =
        fs::temp_directory_path() / ("fer-xvfb-box-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    {
        // load_state 1 (SAVE01, which is not there); end
        const char main[] = {0x0B, 0x04, char(0xFF), 0x02, 0x00, char(0xFF), 0x02, 0x01,
                             char(0xFF), 0x00, 0x00};
        std::ofstream(dir / "MAIN.MES", std::ios::binary).write(main, sizeof main);
    }
    const fs::path shot = dir / "box.png";
    const std::string inner = "unset SDL_VIDEODRIVER; ASAN_OPTIONS=detect_leaks=0 '" +
                              std::string(FER_ENGINE_PATH) + "' '" + dir.string() +
                              "' --scale 1 --quit-after 5000 & pid=\\$!; sleep 2.5; import -window "
                              "root '" + shot.string() + "'; wait \\$pid";
    std::string output;
    EXPECT_EQ(runInXvfb(inner, dir, output), 1) << output;
    const fs::path ppm = dir / "box.ppm";
    ASSERT_EQ(std::system(("convert '" + shot.string() + "' '" + ppm.string() + "'").c_str()), 0);
    Image image;
    ASSERT_TRUE(readPpm(ppm, image));
    // The box's title bar (the active title colour, (41, 74, 122)): its widest row.
    int widest = 0;
    for (int y = 0; y < image.height; ++y) {
        int n = 0;
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.at(x, y);
            n += p[0] == 41 && p[1] == 74 && p[2] == 122;
        }
        widest = std::max(widest, n);
    }
    // Six 16-pixel characters and the padding on both sides.
    EXPECT_GE(widest, 6 * 16 + 8) << "the box is narrower than its title";
    std::error_code ec;
    fs::remove_all(dir, ec);
}

} // namespace
} // namespace fer

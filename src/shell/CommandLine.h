#pragma once
// The engine's command line.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DisplayMode.h"
#include "shell/ScaleChoice.h"

namespace fer {

struct CommandLine {
    std::string gameDirectory;
    bool headless = false;
    std::string inputPath;
    std::optional<uint64_t> quitAfterMs;
    std::string screenshotPath;
    std::string dumpMemoryPath;
    std::string audioOutPath;
    bool printText = false;
    // --speak: this run speaks the messages; --text-hook clipboard: this run
    // puts them on the clipboard (--text-hook stdout is --print-text).
    bool speak = false;
    bool clipboardText = false;
    std::string fontFile;
    // --scale N|fit|stretch; without it the setting decides.
    std::optional<ScaleChoice> scale;
    // --fullscreen or --window: this run's display mode, "SCREEN" untouched.
    std::optional<DisplayMode> displayMode;
    bool help = false;
    // --debug-adapter: the Debug Adapter Protocol on standard input and output;
    // --debug-port PORT: the same for one client on 127.0.0.1:PORT.
    bool debugAdapter = false;
    std::optional<uint16_t> debugPort;

    // Parses argv[1..]; false with a message in error on bad usage.
    bool parse(const std::vector<std::string_view>& args, std::string& error);

    static const char* usage();
};

} // namespace fer

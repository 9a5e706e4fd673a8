#include "shell/CommandLine.h"

#include <charconv>

namespace fer {

const char* CommandLine::usage() {
    return "usage: engine [OPTIONS] [GAME_DIR]\n"
           "  GAME_DIR            change to this directory before start-up (settings, saves, log, "
           "loose files)\n"
           "  --headless          no window, no sound device (a silent output that plays in real "
           "time);\n"
           "                      message boxes -> stderr \"TITLE: TEXT\", default answer\n"
           "  --input FILE        scripted input, one event per line, '#' comments:\n"
           "                        <ms> down KEY | up KEY | press KEY (down, then up 60 ms "
           "later)\n"
           "                        <ms> mouse X Y | close | menu ID | drop PATH | deactivate | "
           "activate\n"
           "                      <ms> = milliseconds since the start script began to run\n"
           "                      KEY: enter space esc up down left right kp2 kp4 kp6 kp8 ctrl "
           "shift lbutton rbutton\n"
           "  --quit-after MS     close the window MS ms after the start script began to run (a\n"
           "                      deadline: scripted input still waiting comes after the close)\n"
           "  --screenshot PATH   at shut-down write what the player sees (plane 0 through the "
           "on-screen palette), 640x400 PNG\n"
           "  --dump-memory PATH  at shut-down write the whole script memory (1,053,124 bytes)\n"
           "  --audio-out PATH    write everything the engine plays, from the start script on, as "
           "a 16-bit PCM WAV\n"
           "  --print-text        print the text the scripts show on stdout, one line per message\n"
           "  --speak             speak each message through speech-dispatcher (the voice, rate and\n"
           "                      language the desktop's screen reader uses), in the game's language;\n"
           "                      this run only, the Speak setting is neither used nor written\n"
           "  --text-hook clipboard|stdout\n"
           "                      clipboard: put each message on the clipboard as UTF-8, this run\n"
           "                      only; stdout: the same as --print-text\n"
           "  --font FILE         draw the text with this font file instead of the default\n"
           "  --scale N|fit|stretch\n"
           "                      N (1-16): the window shows the 640x400 picture N times as large, "
           "sharp\n"
           "                      (default: the largest whole factor that fits); fit: as large as "
           "the\n"
           "                      window allows, shape kept; stretch: over the whole window. Also "
           "the\n"
           "                      setting Scale= in [FerKite], and the menu\n"
           "  --fullscreen        this run in full screen (the picture scaled on the whole "
           "desktop);\n"
           "                      the SCREEN setting is neither used nor written\n"
           "  --window            this run in a window; SCREEN is neither used nor written\n"
           "                      (Alt+Enter or F11 switches while the game runs)\n"
           "  --debug-adapter     speak the Debug Adapter Protocol on stdin/stdout (an editor "
           "starts\n"
           "                      the engine so); the game starts when the client has launched "
           "it\n"
           "  --debug-port PORT   the same for one client on 127.0.0.1:PORT while the game runs\n"
           "  --help              print this\n"
           "Exit status: 0 normal end, 1 after a fatal error, 2 bad usage.\n";
}

namespace {
bool parseUnsigned(std::string_view text, uint64_t& value) {
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && p == end;
}
} // namespace

bool CommandLine::parse(const std::vector<std::string_view>& args, std::string& error) {
    bool gameDirectorySeen = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                error = std::string(a) + " needs a value";
                return false;
            }
            out = std::string(args[++i]);
            return true;
        };
        if (a == "--help" || a == "-h") {
            help = true;
        } else if (a == "--headless") {
            headless = true;
        } else if (a == "--print-text") {
            printText = true;
        } else if (a == "--speak") {
            speak = true;
        } else if (a == "--text-hook") {
            std::string hook;
            if (!value(hook)) return false;
            if (hook == "clipboard") {
                clipboardText = true;
            } else if (hook == "stdout") {
                printText = true;
            } else {
                error = "--text-hook: not clipboard or stdout: " + hook;
                return false;
            }
        } else if (a == "--input") {
            if (!value(inputPath)) return false;
        } else if (a == "--screenshot") {
            if (!value(screenshotPath)) return false;
        } else if (a == "--dump-memory") {
            if (!value(dumpMemoryPath)) return false;
        } else if (a == "--font") {
            if (!value(fontFile)) return false;
        } else if (a == "--audio-out") {
            if (!value(audioOutPath)) return false;
        } else if (a == "--fullscreen") {
            displayMode = DisplayMode::kFullScreen;
        } else if (a == "--window") {
            displayMode = DisplayMode::kWindowed;
        } else if (a == "--scale") {
            std::string text;
            if (!value(text)) return false;
            scale = ScaleChoice::parse(text);
            if (!scale) {
                error = "--scale: not 1 to 16, fit or stretch: " + text;
                return false;
            }
        } else if (a == "--debug-adapter") {
            debugAdapter = true;
        } else if (a == "--debug-port") {
            std::string text;
            if (!value(text)) return false;
            uint64_t n = 0;
            if (!parseUnsigned(text, n) || n == 0 || n > 65535) {
                error = std::string(a) + ": not a port (1-65535): " + text;
                return false;
            }
            debugPort = static_cast<uint16_t>(n);
        } else if (a == "--quit-after") {
            std::string text;
            if (!value(text)) return false;
            uint64_t n = 0;
            if (!parseUnsigned(text, n)) {
                error = std::string(a) + ": not a valid number: " + text;
                return false;
            }
            quitAfterMs = n;
        } else if (a.size() > 1 && a[0] == '-') {
            error = "unknown option " + std::string(a);
            return false;
        } else {
            if (gameDirectorySeen) {
                error = "more than one game directory given";
                return false;
            }
            gameDirectory = std::string(a);
            gameDirectorySeen = true;
        }
    }
    if (debugAdapter && debugPort) {
        error = "--debug-adapter and --debug-port exclude each other";
        return false;
    }
    return true;
}

} // namespace fer

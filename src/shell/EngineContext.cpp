#include "shell/EngineContext.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "graphics/PngWriter.h"
#include "platform/freetype/FontLocator.h"
#include "platform/freetype/TextFontLoader.h"

namespace fer {

namespace {
constexpr const char* kMemoryErrorTitle = "存储器错误";
constexpr const char* kBuildFailedText = "系统的构筑失败了。";
} // namespace

EngineContext::EngineContext(const CommandLine& options_, const BuildVariant& variant_,
                             std::unique_ptr<Platform> platform_)
    : options(options_), variant(variant_), platform(std::move(platform_)),
      shell(std::filesystem::current_path(), variant_.settingsFileName), window(*this, *platform),
      host(*this), files(host, shell.settings(), {shell.startDirectory()}),
      evaluator(machine, host), interpreter(machine, evaluator, host, variant_), menu(*this),
      graphicsHost(*this) {
    if (options.printText) transcript = std::make_unique<TextTranscript>(variant, stdout);
}

EngineContext::~EngineContext() {
    shutDown();
}

bool EngineContext::createSubsystems() {
    for (auto& name : currentFileNames) name.clear();
    cursorVisible = 1;
    timer.setPaused(true);
    // The tick order: the palette fade first.
    timer.addTick([this] { palette.timerTick(); });
    if (!timer.start()) return false;
    shell.readDebugSetting();
    if (files.setUp() != 1) return false;
    graphics = std::make_unique<GraphicsCommands>(
        machine, planes, palette, graphicsHost, ImageLoader::formatFromSettings(shell.settings()));
    loadPaletteFiles();
    paletteCommands = std::make_unique<PaletteCommands>(machine, planes, palette, *graphics,
                                                        graphicsHost, builtinPalettes);
    // The text font: the command line's choice, else the setting of our own, else the default.
    std::string fontFile = options.fontFile;
    if (fontFile.empty())
        fontFile = shell.getTextSetting(FontLocator::kSection, FontLocator::kKey, "", 4096);
    auto font = loadTextFont(variant, fontFile, host);
    if (!font) return false;
    text = std::make_unique<TextRenderer>(variant, std::move(font));
    if (!text->initialise(host)) return false;
    textCommands = std::make_unique<TextCommands>(interpreter, *text);
    return true;
}

int EngineContext::run() {
    mainSequence();
    writeShutdownFiles();
    shutDown();
    return fatalErrorShown_ ? 1 : 0;
}

void EngineContext::applyMenuSettings() {
    // Without a sound device music and voices stay off.
    if (musicEnabled == 1) {
        voiceEnabled = shell.getIntSetting("Config", "VOICE", 1);
        musicEnabled = shell.getIntSetting("Config", "SOUND", 1);
    } else {
        voiceEnabled = 0;
        musicEnabled = 0;
    }
    moveSetting = shell.getIntSetting("Config", "MOVE", 1);
    switch (moveSetting) {
    case 0:
        platform->setMenuCheck(MenuCommands::kMoveFast, true);
        moveSpeed = 0;
        break;
    case 1:
        platform->setMenuCheck(MenuCommands::kMoveNormal, true);
        moveSpeed = 8;
        break;
    case 2:
        platform->setMenuCheck(MenuCommands::kMoveSlow, true);
        moveSpeed = 16;
        break;
    default: break; // checks nothing, keeps the speed
    }
    platform->setMenuCheck(voiceEnabled == 1 ? MenuCommands::kVoiceOn : MenuCommands::kVoiceOff,
                           true);
    platform->setMenuCheck(musicEnabled == 1 ? MenuCommands::kMusicOn : MenuCommands::kMusicOff,
                           true);
    submapSetting = shell.getIntSetting("Config", "SUBMAP", 0);
    if (submapSetting == 0) platform->setMenuCheck(MenuCommands::kSubmapNormal, true);
    if (submapSetting == 1) platform->setMenuCheck(MenuCommands::kSubmapSkip, true);
}

void EngineContext::loadPaletteFiles() {
    constexpr uint64_t kLargestPaletteFile = 64 * 1024;
    const auto malformed = builtinPalettes.loadOverrides(
        [this](const std::string& name) -> std::optional<std::string> {
            File file = files.openForRead(name);
            const auto size = file.isOpen() ? file.size() : std::nullopt;
            if (!size || *size > kLargestPaletteFile) return std::nullopt;
            std::string text(static_cast<size_t>(*size), '\0');
            if (!file.readExact({reinterpret_cast<uint8_t*>(text.data()), text.size()}))
                return std::nullopt;
            return text;
        });
    for (const auto& name : malformed)
        std::fprintf(stderr,
                     "engine: %s is not a JASC-PAL palette file; the built-in one is used\n",
                     name.c_str());
}

int EngineContext::mainSequence() {
    if (!createSubsystems()) {
        if (!fatalErrorShown_) platform->messageBox(kMemoryErrorTitle, kBuildFailedText);
        fatalErrorShown_ = true;
        return 0;
    }
    const std::string title = shell.getTextSetting("Config", "TITLE", "FerKite", 127);
    if (!window.create(title, shell.debugEnabled() != 0)) {
        std::fprintf(stderr, "engine: the window cannot be created\n");
        fatalErrorShown_ = true;
        return 0;
    }
    window.pump();

    if (!planes.allocate()) {
        fatalError(kMemoryErrorTitle, kBuildFailedText);
        return 0;
    }
    machine.reset();
    applyMenuSettings();

    const std::string start = shell.getTextSetting("Config", "StartMES", "MAIN.MES", 127);
    machine.memory.setScriptName(start);
    currentFileNames[0] = std::string(machine.memory.scriptName());
    if (loadScript(start)) {
        engineRunning = true;
        timer.setPaused(false);
        platform->startClock();
        interpreter.run();
        timer.setPaused(true);
    }
    window.destroy();
    return 0;
}

bool EngineContext::writeScreenshot(const std::string& path) const {
    if (!planes.allocated()) return false;
    return writeIndexedPng(path, planes[0], PlaneSet::kScreenHeight, screenPalette);
}

void EngineContext::saveScreenshot() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    std::filesystem::path path;
    for (int n = 0; n < 100; ++n) {
        path = shell.startDirectory() /
               (std::string("screenshot-") + stamp + (n ? "-" + std::to_string(n) : "") + ".png");
        if (!std::filesystem::exists(path)) break;
    }
    if (!writeScreenshot(path.string()))
        std::fprintf(stderr, "engine: cannot write %s\n", path.string().c_str());
}

void EngineContext::writeShutdownFiles() {
    if (!options.screenshotPath.empty() && !writeScreenshot(options.screenshotPath))
        std::fprintf(stderr, "engine: cannot write %s\n", options.screenshotPath.c_str());
    if (!options.dumpMemoryPath.empty()) {
        struct Closer {
            void operator()(std::FILE* f) const { std::fclose(f); }
        };
        std::unique_ptr<std::FILE, Closer> f(std::fopen(options.dumpMemoryPath.c_str(), "wb"));
        const bool written = f && std::fwrite(machine.memory.data(), 1, ScriptMemory::kSize,
                                              f.get()) == ScriptMemory::kSize;
        if (!written || std::fclose(f.release()) != 0)
            std::fprintf(stderr, "engine: cannot write %s\n", options.dumpMemoryPath.c_str());
    }
}

void EngineContext::shutDown() {
    if (shutDownDone_) return;
    shutDownDone_ = true;
    timer.stop();
    if (transcript) transcript->flush();
    shell.closeLog();
    files.shutDown();
    planes.release();
    if (cursorVisible == 0) platform->showCursor(true);
    platform->releaseCursor();
}

void EngineContext::fatalError(std::string_view title, std::string_view text) {
    if (cursorVisible == 0) platform->showCursor(true);
    platform->messageBox(title, text);
    fatalErrorShown_ = true;
    window.destroy();
    timer.setPaused(true);
    if (cursorVisible == 0) platform->showCursor(false);
}

void EngineContext::present(int x, int y, int w, int h) {
    if (!planes.allocated()) return;
    // Arguments are taken as unsigned 16-bit values.
    const VramPlane& p = planes[0];
    platform->present({p.pixels(), p.width(), p.height(), p.width()}, screenPalette,
                      static_cast<uint16_t>(x), static_cast<uint16_t>(y), static_cast<uint16_t>(w),
                      static_cast<uint16_t>(h));
}

void EngineContext::presentPlane(unsigned n) {
    if (!planes.allocated() || n >= PlaneSet::kCount) return;
    // The script area shows the plane's top 400 rows.
    const VramPlane& p = planes[n];
    const int skip = p.height() - PlaneSet::kScreenHeight;
    platform->present({p.pixels() + static_cast<size_t>(skip) * p.width(), p.width(),
                       PlaneSet::kScreenHeight, p.width()},
                      screenPalette, 0, 0, 640, 400);
}

void EngineContext::switchTo(std::string_view name) {
    interpreter.switcher().switchTo(name);
}

int EngineContext::loadScript(std::string_view name) {
    return files.loadScript(name, machine.memory, ScriptMemory::kCodeBase);
}

} // namespace fer

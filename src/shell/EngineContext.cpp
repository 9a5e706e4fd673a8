#include "shell/EngineContext.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "files/PrintableName.h"
#include "platform/freetype/FontLocator.h"
#include "platform/freetype/TextFontLoader.h"

namespace fer {

namespace {
constexpr const char* kMemoryErrorTitle = "存储器错误";
constexpr const char* kBuildFailedText = "系统的构筑失败了。";
} // namespace

EngineContext::EngineContext(const CommandLine& options, const BuildVariant& variant,
                             std::unique_ptr<Platform> platform)
    : options_(options), variant_(variant), platform_(std::move(platform)),
      shell_(std::filesystem::current_path(), variant.settingsFileName),
      startReading_(shell_.settings()), settings_(shell_.settings()), screen_(*platform_, planes_),
      window_(*platform_, timer_, settings_, screen_),
      errors_(*platform_, window_, timer_, settings_, screen_),
      display_(*platform_, settings_, timer_, window_, errors_),
      files_(errors_, shell_.settings(),
             {.gameDirectory = shell_.startDirectory(),
              .nameCharset = nameCharsetFor(variant.iconvCharset)}),
      text_(variant), host_({window_, *platform_, timer_, screen_, text_, planes_, files_, machine_,
                             machine_.memory, fileNames_, settings_, shell_, errors_}),
      evaluator_(machine_, host_),
      interpreter_(machine_, evaluator_, host_, variant, commands_, sound_),
      graphicsHost_(screen_, *platform_, host_, files_, machine_.memory, fileNames_, text_,
                    errors_),
      graphics_(machine_.memory, planes_, palette_, graphicsHost_,
                ImageLoader::formatFromSettings(shell_.settings()),
                nameCharsetFor(variant.iconvCharset)),
      paletteCommands_(machine_.memory, planes_, palette_, graphics_, graphicsHost_,
                       builtinPalettes_),
      textCommands_(machine_.memory, host_, text_, variant),
      fileCommands_(files_, machine_.memory, fileNames_, sound_),
      cursorCommands_(*platform_, settings_, machine_.memory),
      menu_(*platform_, settings_, screen_, window_, shell_.startDirectory()),
      monitor_(*platform_, machine_, fileNames_, variant) {
    if (options_.printText) {
        transcript_.emplace(variant, stdout);
        host_.setTranscript(&*transcript_);
    }
    connect();
}

EngineContext::~EngineContext() {
    shutDown();
}

void EngineContext::connect() {
    graphics_.registerWith(commands_);
    paletteCommands_.registerWith(commands_);
    textCommands_.registerWith(commands_);
    fileCommands_.registerWith(commands_);
    cursorCommands_.registerWith(commands_);

    window_.onMenu([this](int id) { menu_.command(id); });
    window_.onDrop([this](const std::string& path) { switchTo(path); });
    window_.onScreenshot([this] { saveScreenshot(); });
    // The sync point of every pass: what the timer thread changed (the
    // palette fade) and every present of the pass are shown here, once.
    window_.onPassEnd([this] {
        graphics_.showPaletteChanges();
        screen_.flush();
        monitor_.tick();
    });
    menu_.onSwitch([this](const std::string& name) { switchTo(name); });
    // The "Debug" menu's windows, when the settings ask for that menu.
    menu_.onOtherCommand([this](int id) {
        if (shell_.debugEnabled() == 0) return;
        screen_.flush();
        monitor_.command(id);
    });
    fileNames_.onChange([this] { monitor_.refreshFileNames(); });
    window_.onSize([this](WindowSize kind) {
        display_.switchDisplayMode(kind);
        showDisplay();
    });
    auto toggle = [this] {
        display_.toggleFullScreen();
        showDisplay();
    };
    window_.onToggleFullScreen(toggle);
    menu_.onToggleFullScreen(toggle);
    menu_.onScaleMode([this](ScaleMode mode) { keepScaleMode(mode); });

    settings_.addListener([this](PlayerSettings::Change change) {
        switch (change) {
        case PlayerSettings::Change::kMusic:
            if (settings_.musicEnabled() == 0) {
                sound_.stop(0);
                sound_.stop(1);
            }
            // Scripts see that the player touched the music setting.
            machine_.memory.setReg32(reg32::kMusicToggled, 0xFFFF);
            break;
        case PlayerSettings::Change::kVoice:
            if (settings_.voiceEnabled() == 0) sound_.stop(SoundControl::kVoiceChannel);
            break;
        default: break;
        }
    });
}

bool EngineContext::createSubsystems() {
    fileNames_.clear();
    settings_.setCursorShown(true);
    timer_.setPaused(true);
    // The tick order: the palette fade first.
    timer_.addTick([this] { palette_.timerTick(); });
    if (!timer_.start()) return false;
    shell_.readDebugSetting();
    if (files_.setUp() != 1) return false;
    loadPaletteFiles();
    // The text font: the command line's choice, else the setting of our own, else the default.
    std::string fontFile = options_.fontFile;
    if (fontFile.empty())
        fontFile = shell_.getTextSetting(FontLocator::kSection, FontLocator::kKey, "", 4096);
    auto font = loadTextFont(variant_, fontFile, errors_);
    if (!font) return false;
    text_.setFont(std::move(font));
    return text_.initialise(errors_);
}

int EngineContext::run() {
    mainSequence();
    writeShutdownFiles();
    shutDown();
    return errors_.shown() ? 1 : 0;
}

void EngineContext::loadPaletteFiles() {
    for (const auto& skipped : builtinPalettes_.loadOverrides(files_))
        std::fprintf(stderr, "engine: %s; the built-in one is used\n", skipped.c_str());
}

int EngineContext::mainSequence() {
    // However start-up ends, the settings file is read afresh from here on.
    struct Release {
        SettingsFile::Held& held;
        ~Release() { held.release(); }
    } release{startReading_};
    if (!createSubsystems()) {
        if (!errors_.shown()) platform_->messageBox(kMemoryErrorTitle, kBuildFailedText);
        errors_.markShown();
        return 0;
    }
    const std::string title = shell_.getTextSetting("Config", "TITLE", "FerKite", 127);
    if (!window_.create(title, shell_.debugEnabled() != 0)) {
        std::fprintf(stderr, "engine: the window cannot be created\n");
        errors_.markShown();
        return 0;
    }
    window_.pump();
    // The colour-depth rule: the picture is converted for any desktop.
    if (!display_.checkDepth(DisplayModeController::kPresentedDepth)) return 0;

    if (!planes_.allocate()) {
        errors_.fatalError(kMemoryErrorTitle, kBuildFailedText);
        return 0;
    }
    machine_.reset();
    // Without a sound device music and voices stay off.
    settings_.load(false);
    menu_.showSettings();
    // Full screen when the player left it so, or as the command line asks for this run.
    if (!display_.applyStartChoice(options_.displayMode)) return 0;
    showDisplay();

    const std::string start = shell_.getTextSetting("Config", "StartMES", "MAIN.MES", 127);
    machine_.memory.setScriptName(start);
    fileNames_.set(CurrentFileNames::kScript, machine_.memory.scriptName());
    const bool loaded = host_.loadScript(start);
    startReading_.release();
    if (loaded) {
        window_.setEngineRunning(true);
        timer_.setPaused(false);
        platform_->startClock();
        startRecording();
        interpreter_.run();
        timer_.setPaused(true);
    }
    stopRecording();
    screen_.flush();
    window_.destroy();
    return 0;
}

void EngineContext::showDisplay() {
    menu_.showDisplay(display_.fullScreen(), platform_->scaleMode());
}

void EngineContext::keepScaleMode(ScaleMode mode) {
    SettingsFile& file = shell_.settings();
    const auto kept =
        ScaleChoice::parse(file.getText(ScaleChoice::kSection, ScaleChoice::kKey, "0", 16), true);
    // A whole factor already set stays as it is.
    if (mode == ScaleMode::kWholeFactor && kept && kept->mode == mode) return;
    ScaleChoice choice;
    choice.mode = mode;
    file.putText(ScaleChoice::kSection, ScaleChoice::kKey, choice.text());
}

void EngineContext::startRecording() {
    if (options_.audioOutPath.empty()) return;
    AudioOutput& output = platform_->audio();
    std::string error;
    if (!output.open(AudioFormat{}, recording_, error)) {
        std::fprintf(stderr, "engine: %s; nothing is recorded\n", error.c_str());
        return;
    }
    audioFile_.emplace(options_.audioOutPath, output.format());
    if (!audioFile_->isOpen()) {
        std::fprintf(stderr, "engine: cannot write %s\n", options_.audioOutPath.c_str());
        audioFile_.reset();
        output.close();
        return;
    }
    recording_.setWriter(&*audioFile_);
    output.setPaused(false);
}

void EngineContext::stopRecording() {
    platform_->audio().close();
    recording_.setWriter(nullptr);
    if (audioFile_ && !audioFile_->close())
        std::fprintf(stderr, "engine: cannot write %s\n", options_.audioOutPath.c_str());
    audioFile_.reset();
}

void EngineContext::switchTo(std::string_view name) {
    // A file the player chose is read by its whole path, wherever it lies.
    files_.admitChosenFile(name);
    interpreter_.switcher().switchTo(name);
}

void EngineContext::saveScreenshot() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    std::filesystem::path path;
    for (int n = 0; n < 100; ++n) {
        path = shell_.startDirectory() /
               (std::string("screenshot-") + stamp + (n ? "-" + std::to_string(n) : "") + ".png");
        if (!std::filesystem::exists(path)) break;
    }
    if (!screen_.writeScreenshot(path.string()))
        std::fprintf(stderr, "engine: cannot write %s\n", path.string().c_str());
}

void EngineContext::writeShutdownFiles() {
    if (!options_.screenshotPath.empty() && !screen_.writeScreenshot(options_.screenshotPath))
        std::fprintf(stderr, "engine: cannot write %s\n", options_.screenshotPath.c_str());
    if (!options_.dumpMemoryPath.empty()) {
        struct Closer {
            void operator()(std::FILE* f) const { std::fclose(f); }
        };
        std::unique_ptr<std::FILE, Closer> f(std::fopen(options_.dumpMemoryPath.c_str(), "wb"));
        const bool written = f && std::fwrite(machine_.memory.data(), 1, ScriptMemory::kSize,
                                              f.get()) == ScriptMemory::kSize;
        if (!written || std::fclose(f.release()) != 0)
            std::fprintf(stderr, "engine: cannot write %s\n", options_.dumpMemoryPath.c_str());
    }
}

void EngineContext::shutDown() {
    if (shutDownDone_) return;
    shutDownDone_ = true;
    monitor_.closeAll();
    stopRecording();
    timer_.stop();
    if (transcript_) transcript_->flush();
    shell_.closeLog();
    files_.shutDown();
    planes_.release();
    if (!settings_.cursorShown()) platform_->showCursor(true);
    platform_->releaseCursor();
}

} // namespace fer

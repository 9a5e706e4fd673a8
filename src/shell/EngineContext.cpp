#include "shell/EngineContext.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "core/EngineStrings.h"
#include "files/AtomicFileWriter.h"
#include "files/FileMessages.h"
#include "files/PrintableName.h"
#include "files/UserDataFolder.h"
#include "platform/freetype/FontLocator.h"
#include "platform/freetype/TextFontLoader.h"
#include "shell/GameTitle.h"
#include "sound/SoundDeviceCheck.h"

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
              .nameCharset = nameCharsetFor(variant.iconvCharset),
              .language = engineLanguageFor(variant)}),
      sound_(mixer_, {.openStream = [this](std::string_view name,
                                           int channel) { return files_.openStream(name, channel); },
                      .closeStream = [this](int channel) { files_.closeStream(channel); },
                      .showFailure =
                          [this](const std::string& text) {
                              screen_.flush();
                              platform_->messageBox(title_, text);
                          },
                      .log = [](std::string_view line) {
                          std::fprintf(stderr, "engine: %.*s\n", static_cast<int>(line.size()),
                                       line.data());
                      }}),
      text_(variant), messages_(variant),
      textAssist_(settings_, messages_,
                  {.voicePlaying = [this] { return sound_.isPlaying(SoundControl::kVoiceChannel) != 0; },
                   .milliseconds = [this] { return platform_->milliseconds(); },
                   .logLine =
                       [this, language = engineLanguageFor(variant)](const std::string& path) {
                           const std::string line =
                               engineText(language, EngineString::kReadTextDamaged, {path});
                           std::fprintf(stderr, "%s\n", line.c_str());
                           shell_.logLine(line);
                       }}),
      host_({window_, *platform_, timer_, screen_, text_, planes_, files_, machine_,
                             machine_.memory, fileNames_, settings_, shell_, errors_}),
      soundCommands_(sound_, host_, machine_.memory, fileNames_,
                     {.musicEnabled = [this] { return static_cast<int>(settings_.musicEnabled()); },
                      .voiceEnabled = [this] { return static_cast<int>(settings_.voiceEnabled()); },
                      .voiceStarted = [this](std::string_view name) { messages_.voiceStarted(name); }}),
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
      animation_(machine_.memory, planes_, palette_, graphics_, graphicsHost_),
      particles_(planes_, graphicsHost_, localTimeSeed),
      timedAnimations_(animatedCursor_, animation_, particles_),
      cursorCommands_(*platform_, settings_, machine_.memory, animatedCursor_),
      mapHost_(host_, *platform_, screen_, settings_, errors_),
      map_(machine_.memory, planes_, mapHost_),
      menu_(*platform_, settings_, screen_, window_, shell_.startDirectory(),
            engineLanguageFor(variant)),
      monitor_(*platform_, machine_, fileNames_, variant),
      speaker_(platform_->speech(), engineLanguageFor(variant)), clipboard_(*platform_),
      historyView_(history_, engineString(engineLanguageFor(variant), EngineString::kHistoryTitle)) {
    host_.setMessageStream(&messages_);
    messages_.setLocator([this](std::string& script, uint32_t& address) {
        script.assign(machine_.memory.scriptName());
        address = interpreter_.messageAddress();
    });
    messages_.addListener(speaker_);
    messages_.addListener(clipboard_);
    if (options_.printText) {
        transcript_.emplace(stdout);
        messages_.addListener(*transcript_);
    }
    messages_.addListener(history_);
    messages_.addListener(textAssist_);
    host_.setTextAssist(&textAssist_);
    historyView_.onPlayVoice(
        [this](const std::string& name) { sound_.play(SoundControl::kVoiceChannel, name, false); });
    // The history's selected message is read aloud on request.
    historyView_.onSpeak([this](const GameMessage& message) { speaker_.speakNow(message); });
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
    soundCommands_.registerWith(commands_);
    map_.registerWith(commands_);
    animation_.registerWith(commands_);
    particles_.registerWith(commands_);
    animatedCursor_.onShow(
        [this](uint16_t image) { platform_->setCursorImage(cursorArt_.image(image)); });

    window_.onMenu([this](int id) { menu_.command(id); });
    menu_.onHistory([this] { openHistory(); });
    // Wheel up and Page Up open the history; any key or click leaves auto mode.
    window_.onPlayerInput([this](const PlatformEvent& event) {
        if ((event.type == PlatformEvent::Type::kWheel && event.code > 0) ||
            (event.type == PlatformEvent::Type::kKeyDown && event.code == 33)) {
            openHistory();
            return false;
        }
        if (event.type == PlatformEvent::Type::kKeyDown) textAssist_.playerInput();
        return true;
    });
    window_.onDrop([this](const std::string& path) { switchTo(path); });
    window_.onScreenshot([this] { saveScreenshot(); });
    // The sync point of every pass: the ticks the timer counted are applied
    // (cursor, animations, particles), what the timer thread changed (the
    // palette fade) and every present of the pass are shown here, once.
    window_.onPassEnd([this] {
        timedAnimations_.applyPendingTicks();
        graphics_.showPaletteChanges();
        screen_.flush();
        monitor_.tick();
        // Tracks pause while the window is in the background.
        sound_.setApplicationActive(window_.state() == window_state::kActive);
    });
    // While a box is up the timer's ticks are still applied and shown, as
    // the palette fade is.
    platform_->setModalHook([this] {
        timedAnimations_.applyPendingTicks();
        graphics_.showPaletteChanges();
        screen_.flush();
    });
    menu_.onSwitch([this](const std::string& name) { switchTo(name); });
    menu_.onListScripts([this] { return files_.archivedScripts(); });
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
        case PlayerSettings::Change::kText: menu_.showTextFeatures(); break;
        case PlayerSettings::Change::kVolume:
            sound_.setPlayerVolumes(settings_.musicVolume(), settings_.voiceVolume());
            break;
        case PlayerSettings::Change::kReadingAids: applyReadingAids(); break;
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
    // Then the cursor, the animation channels and the particles: counted
    // here, drawn by the main thread at its sync point.
    timer_.addTick([this] { timedAnimations_.recordTick(); });
    if (!timer_.start()) return false;
    placeWrites();
    loadReadText();
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

void EngineContext::placeWrites() {
    if (UserDataFolder::writable(shell_.startDirectory())) return;
    const std::string title =
        gameTitleInUtf8(shell_.getTextSetting("Config", "TITLE", "", 127), variant_);
    const auto folder = UserDataFolder::forGame(title, shell_.startDirectory());
    if (!folder) return;
    files_.setSaveFolder(*folder);
    shell_.settings().setWriteCopy(*folder / variant_.settingsFileName);
    shell_.setLogFolder(*folder);
}

void EngineContext::attachDebugger(DebugAdapter& adapter) {
    adapter.attach(machine_, interpreter_.host(), fileNames_);
    interpreter_.setDebugHook(&adapter);
    errors_.setBeforeBox(
        [&adapter](std::string_view title, std::string_view text) {
            adapter.beforeFatalError(title, text);
        });
    shell_.setLogListener([&adapter](std::string_view line) { adapter.output("console", line); });
    if (transcript_) {
        transcript_->setLineListener(
            [&adapter](const std::string& line) { adapter.output("stdout", line); });
    }
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
        // The box says which file failed and how, when a file did.
        const std::string& failure = files_.setUpFailure();
        if (!errors_.shown())
            platform_->messageBox(kMemoryErrorTitle, failure.empty() ? std::string(kBuildFailedText)
                                                                     : kBuildFailedText + ("\n" + failure));
        errors_.markShown();
        return 0;
    }
    title_ = gameTitleInUtf8(shell_.getTextSetting("Config", "TITLE", "FerKite", 127), variant_);
    if (!window_.create(title_, shell_.debugEnabled() != 0, menu_.textCaptions(),
                        {menu_.readingAidsPopup(platform_->speech().available())})) {
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
    settings_.load(openSoundOutput());
    sound_.setPlayerVolumes(settings_.musicVolume(), settings_.voiceVolume());
    if (options_.speak) {
        settings_.speakThisRun();
        if (!platform_->speech().available())
            std::fprintf(stderr, "engine: no speech: %s\n",
                         platform_->speech().whyUnavailable().c_str());
    }
    if (options_.clipboardText) settings_.copyTextThisRun();
    applyReadingAids();
    menu_.showSettings();
    // Full screen when the player left it so, or as the command line asks for this run.
    if (!display_.applyStartChoice(options_.displayMode)) return 0;
    showDisplay();

    const std::string start = shell_.getTextSetting("Config", "StartMES", "MAIN.MES", 127);
    machine_.memory.setScriptName(start);
    fileNames_.set(CurrentFileNames::kScript, machine_.memory.scriptName());
    bool loaded = false;
    if (!files_.hasScript(start)) {
        // The caption the load would have shown: a name missing from the
        // script archive is a lookup error, a missing loose file an open error.
        errors_.fatalError(files_.fromArchive(ArchiveSlot::kMes) ? file_text::kLookupErrorTitle
                                                                  : file_text::kOpenErrorTitle,
                           startScriptMissing(start));
    } else {
        loaded = host_.loadScript(start);
    }
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

std::string EngineContext::startScriptMissing(const std::string& start) const {
    const EngineLanguage language = engineLanguageFor(variant_);
    const std::string name = printableName(start, nameCharsetFor(variant_.iconvCharset));
    const std::string folder = shell_.startDirectory().string();
    std::string text =
        name + "\n" +
        engineText(language,
                   files_.fromArchive(ArchiveSlot::kMes) ? EngineString::kScriptNotInArchive
                                                         : EngineString::kScriptNotInFolder,
                   {name, folder});
    std::error_code ec;
    if (!std::filesystem::exists(shell_.settingsPath(), ec))
        text += engineText(language, EngineString::kNoSettingsFile, {variant_.settingsFileName});
    text += engineText(language, EngineString::kGameFolderHolds, {variant_.settingsFileName});
    return text;
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

bool EngineContext::openSoundOutput() {
    AudioOutput& output = platform_->audio();
    AudioFailure failure;
    if (!output.isOpen() && !output.open(AudioFormat{}, recording_, failure)) {
        std::fprintf(stderr, "engine: no sound device (%s); music and voices are off\n",
                     failure.text.c_str());
        const std::string box = soundDeviceFailureBox(failure.reason);
        if (!box.empty()) platform_->messageBox(title_, box);
        return false;
    }
    mixer_.setOutputFormat(output.format());
    // The output plays (silence) from now on: a sound server then has
    // nothing of a pause queued when the first sound comes.
    output.setPaused(false);
    return true;
}

void EngineContext::startRecording() {
    AudioOutput& output = platform_->audio();
    if (!output.isOpen()) {
        if (!options_.audioOutPath.empty())
            std::fprintf(stderr, "engine: no sound output; nothing is recorded\n");
        return;
    }
    if (options_.audioOutPath.empty()) return;
    WriteOutcome outcome = WriteOutcome::kDone;
    audioFile_.emplace(options_.audioOutPath, output.format(), &outcome);
    if (audioFile_->isOpen()) {
        recording_.setWriter(&*audioFile_);
    } else {
        reportUnwritten(options_.audioOutPath, outcome);
        audioFile_.reset();
    }
}

void EngineContext::stopRecording() {
    AudioOutput& output = platform_->audio();
    if (output.isOpen()) {
        const auto underruns = static_cast<unsigned long long>(output.underruns());
        shell_.logLine("sound output: ran dry " + std::to_string(underruns) +
                       " times; its thread's scheduling: " +
                       schedulingGrantName(output.scheduling()));
        if (underruns != 0)
            std::fprintf(stderr, "engine: the sound output ran dry %llu times\n", underruns);
    }
    output.close();
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

void EngineContext::openHistory() {
    screen_.flush();
    historyView_.open();
    platform_->runDebugView(historyView_);
    screen_.present(0, 0, 640, 400);
}

void EngineContext::loadReadText() {
    const std::string title =
        gameTitleInUtf8(shell_.getTextSetting("Config", "TITLE", "", 127), variant_);
    if (const auto folder = UserDataFolder::forGame(title, shell_.startDirectory()))
        textAssist_.load(*folder / "READTEXT.DAT");
}

void EngineContext::saveScreenshot() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    // Beside the game, or in the player's own folder when the game's cannot be written.
    std::filesystem::path folder = shell_.startDirectory();
    if (!files_.saveFolder().empty() && UserDataFolder::create(files_.saveFolder()))
        folder = files_.saveFolder();
    std::filesystem::path path;
    for (int n = 0; n < 100; ++n) {
        path = folder /
               (std::string("screenshot-") + stamp + (n ? "-" + std::to_string(n) : "") + ".png");
        // A name taken by anything, a link that leads nowhere as well, is passed over.
        std::error_code error;
        if (!std::filesystem::exists(std::filesystem::symlink_status(path, error))) break;
    }
    // The player sees what happened, in the window.
    // The notice is in the game's language; the reason goes to stderr.
    const EngineLanguage language = engineLanguageFor(variant_);
    const WriteOutcome outcome = screen_.writeScreenshot(path.string());
    if (outcome == WriteOutcome::kDone) {
        platform_->showNotice(
            engineText(language, EngineString::kScreenshotSaved, {path.filename().string()}));
    } else {
        reportUnwritten(path.string(), outcome);
        platform_->showNotice(
            engineText(language, EngineString::kScreenshotNotSaved, {path.string()}));
    }
}

void EngineContext::reportUnwritten(const std::string& path, WriteOutcome outcome) {
    std::fprintf(stderr, "engine: cannot write %s: %s\n", path.c_str(),
                 writeFailureReason(outcome));
}

void EngineContext::writeShutdownFiles() {
    textAssist_.save();
    if (!options_.screenshotPath.empty()) {
        const WriteOutcome outcome = screen_.writeScreenshot(options_.screenshotPath);
        if (outcome != WriteOutcome::kDone) reportUnwritten(options_.screenshotPath, outcome);
    }
    if (!options_.dumpMemoryPath.empty()) {
        const WriteOutcome outcome =
            replaceFileAtomically(options_.dumpMemoryPath, machine_.memory.bytes());
        if (outcome != WriteOutcome::kDone) reportUnwritten(options_.dumpMemoryPath, outcome);
    }
}

void EngineContext::applyReadingAids() {
    speaker_.setEnabled(settings_.speak() && platform_->speech().available());
    speaker_.setOverVoices(settings_.speakVoiced());
    clipboard_.setEnabled(settings_.copyText());
}

void EngineContext::shutDown() {
    if (shutDownDone_) return;
    shutDownDone_ = true;
    monitor_.closeAll();
    stopRecording();
    timer_.stop();
    messages_.playerWaits(false); // what is still on the screen is complete
    shell_.closeLog();
    files_.shutDown();
    planes_.release();
    if (!settings_.cursorShown()) platform_->showCursor(true);
    platform_->releaseCursor();
}

} // namespace fer

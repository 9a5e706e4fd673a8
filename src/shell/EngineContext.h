#pragma once
// The engine context: one per process. The composition root: it owns every
// object of the engine, builds each completely in creation order, connects
// them (command handlers, window and menu handlers, settings listeners) and
// destroys them in the shut-down order.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/BuildVariant.h"
#include "core/CommandTable.h"
#include "core/CurrentFileNames.h"
#include "core/SoundControl.h"
#include "debug/DebugAdapter.h"
#include "debug/DebugMonitor.h"
#include "files/FileCommands.h"
#include "files/FileStore.h"
#include "graphics/AnimatedCursor.h"
#include "graphics/AnimationChannels.h"
#include "graphics/BuiltinPalettes.h"
#include "graphics/GraphicsCommands.h"
#include "graphics/PaletteCommands.h"
#include "graphics/PaletteManager.h"
#include "graphics/ParticleEffects.h"
#include "graphics/PlaneSet.h"
#include "graphics/TextCommands.h"
#include "graphics/TextRenderer.h"
#include "graphics/TimedAnimations.h"
#include "map/MapCommands.h"
#include "platform/Platform.h"
#include "script/Evaluator.h"
#include "script/Interpreter.h"
#include "script/ScriptMachine.h"
#include "shell/AppShell.h"
#include "shell/ClipboardTextHook.h"
#include "shell/CommandLine.h"
#include "shell/CursorArt.h"
#include "shell/CursorCommands.h"
#include "shell/DisplayModeController.h"
#include "shell/EngineGraphicsHost.h"
#include "shell/EngineHost.h"
#include "shell/EngineMapHost.h"
#include "shell/FatalErrorReporter.h"
#include "shell/MainWindow.h"
#include "shell/MenuCommands.h"
#include "shell/MessageSpeaker.h"
#include "shell/HistoryView.h"
#include "shell/MessageHistory.h"
#include "shell/MessageStream.h"
#include "shell/TextAssist.h"
#include "shell/PlayerSettings.h"
#include "shell/Screen.h"
#include "shell/TextTranscript.h"
#include "shell/TimerThread.h"
#include "sound/AudioMixer.h"
#include "sound/RecordingSource.h"
#include "sound/SoundCommands.h"
#include "sound/SoundManager.h"
#include "sound/WaveFileWriter.h"

namespace fer {

class EngineContext {
  public:
    EngineContext(const CommandLine& options, const BuildVariant& variant,
                  std::unique_ptr<Platform> platform);
    ~EngineContext();
    EngineContext(const EngineContext&) = delete;
    EngineContext& operator=(const EngineContext&) = delete;

    // The main sequence, then the shut-down: 0 after a normal end, 1 after a
    // fatal error.
    int run();
    // A debugger session: the interpreter asks it before every instruction,
    // it stops before a fatal error's box, and the log's and the printed
    // text's lines reach its client.
    void attachDebugger(DebugAdapter& adapter);

    // What tests and benchmarks drive and look at.
    const ScriptMachine& machine() const { return machine_; }
    ScriptMachine& machine() { return machine_; }
    Interpreter& interpreter() { return interpreter_; }
    Platform& platform() { return *platform_; }
    const PlayerSettings& settings() const { return settings_; }
    const CommandTable& commands() const { return commands_; }
    const CurrentFileNames& fileNames() const { return fileNames_; }
    SoundManager& sound() { return sound_; }
    MainWindow& window() { return window_; }
    MenuCommands& menu() { return menu_; }
    MessageSpeaker& speaker() { return speaker_; }
    DebugMonitor& monitor() { return monitor_; }
    // Listeners of the game's messages are added here.
    MessageStream& messages() { return messages_; }
    // The history view; SPEECH's reading aloud is given to it here.
    HistoryView& historyView() { return historyView_; }
    Screen& screen() { return screen_; }
    const AnimationChannels& animation() const { return animation_; }
    const TimedAnimations& timedAnimations() const { return timedAnimations_; }
    const TimerThread& timer() const { return timer_; }
    const DisplayModeController& display() const { return display_; }
    bool fatalErrorShown() const { return errors_.shown(); }

  private:
    void connect();
    bool createSubsystems();
    // When the game folder cannot be written, saves, the log and the
    // settings the engine writes go to the player's own folder.
    void placeWrites();
    // The open error's text for a start script that is not there: which
    // file in which folder, and what a game folder holds.
    std::string startScriptMissing(const std::string& start) const;
    // The game's own versions of the built-in palettes, when it has any.
    void loadPaletteFiles();
    int mainSequence();
    void switchTo(std::string_view name);
    // The display changed or may have: the menu's check marks follow.
    void showDisplay();
    // The reading aids follow the player settings.
    void applyReadingAids();
    // The player chose a scale mode in the menu: it is kept in the settings.
    void keepScaleMode(ScaleMode mode);
    // F12: a screenshot in the game directory under a fresh name.
    void saveScreenshot();
    // The history over the picture, until the player closes it; the script
    // waits meanwhile.
    void openHistory();
    // Where the record of the text read is kept, and it read from there.
    void loadReadText();
    void shutDown();
    void writeShutdownFiles();
    // The line on stderr for a file of the command line or the screenshot key.
    static void reportUnwritten(const std::string& path, WriteOutcome outcome);
    // The device check: opens the sound output, which plays from then on;
    // false, with a line on standard error, when there is none: music and
    // voices stay off.
    bool openSoundOutput();
    // --audio-out: everything the output plays from the start script on is
    // recorded.
    void startRecording();
    void stopRecording();

    const CommandLine& options_;
    const BuildVariant& variant_;
    std::unique_ptr<Platform> platform_;

    AppShell shell_;
    // Start-up reads the settings file once; released when the script starts.
    SettingsFile::Held startReading_;
    PlayerSettings settings_;
    CurrentFileNames fileNames_;
    TimerThread timer_;
    PlaneSet planes_;
    Screen screen_;
    MainWindow window_;
    FatalErrorReporter errors_;
    DisplayModeController display_;
    FileStore files_;
    AudioMixer mixer_;
    RecordingSource recording_{mixer_};
    SoundManager sound_;
    std::optional<WaveFileWriter> audioFile_;
    CommandTable commands_;
    ScriptMachine machine_;
    TextRenderer text_;
    // The game's messages, and their first listener: --print-text.
    MessageStream messages_;
    std::optional<TextTranscript> transcript_;
    MessageHistory history_;
    TextAssist textAssist_;
    EngineHost host_;
    SoundCommands soundCommands_;
    Evaluator evaluator_;
    Interpreter interpreter_;
    PaletteManager palette_;
    EngineGraphicsHost graphicsHost_;
    GraphicsCommands graphics_;
    BuiltinPalettes builtinPalettes_;
    PaletteCommands paletteCommands_;
    TextCommands textCommands_;
    FileCommands fileCommands_;
    // What moves by itself on the timer's ticks.
    CursorArt cursorArt_;
    AnimatedCursor animatedCursor_;
    AnimationChannels animation_;
    ParticleEffects particles_;
    TimedAnimations timedAnimations_;
    CursorCommands cursorCommands_;
    EngineMapHost mapHost_;
    MapCommands map_;
    MenuCommands menu_;
    DebugMonitor monitor_;
    // The reading aids: messages spoken and put on the clipboard.
    MessageSpeaker speaker_;
    ClipboardTextHook clipboard_;
    HistoryView historyView_;

    std::string title_; // the window's title, also of the sound's boxes
    bool shutDownDone_ = false;
};

} // namespace fer

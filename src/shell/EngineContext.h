#pragma once
// The engine context: one per process, owning every object of the engine in
// creation order and destroying them in the shut-down order.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "files/FileStore.h"
#include "graphics/BuiltinPalettes.h"
#include "graphics/GraphicsCommands.h"
#include "graphics/PaletteCommands.h"
#include "graphics/PaletteEntry.h"
#include "graphics/PaletteManager.h"
#include "graphics/PlaneSet.h"
#include "graphics/TextCommands.h"
#include "graphics/TextRenderer.h"
#include "platform/Platform.h"
#include "script/BuildVariant.h"
#include "script/Evaluator.h"
#include "script/Interpreter.h"
#include "script/ScriptMachine.h"
#include "shell/AppShell.h"
#include "shell/CommandLine.h"
#include "shell/EngineGraphicsHost.h"
#include "shell/EngineHost.h"
#include "shell/MainWindow.h"
#include "shell/MenuCommands.h"
#include "shell/TextTranscript.h"
#include "shell/TimerThread.h"

namespace fer {

class EngineContext {
  public:
    static constexpr int kFileNameSlots = 5;

    EngineContext(const CommandLine& options, const BuildVariant& variant,
                  std::unique_ptr<Platform> platform);
    ~EngineContext();
    EngineContext(const EngineContext&) = delete;
    EngineContext& operator=(const EngineContext&) = delete;

    // The main sequence, then the shut-down: 0 after a normal end, 1 after a
    // fatal error.
    int run();

    // The fatal error box: shows it, closes the window and pauses the timer.
    void fatalError(std::string_view title, std::string_view text);
    bool fatalErrorShown() const { return fatalErrorShown_; }
    // Shows a rectangle of plane 0 through the screen palette.
    void present(int x, int y, int w, int h);
    // Shows the whole of another plane in the script area (the debug view).
    void presentPlane(unsigned plane);
    void switchTo(std::string_view name);
    int loadScript(std::string_view name);
    // Writes what the player sees as a PNG; false when it cannot be written.
    bool writeScreenshot(const std::string& path) const;
    // F12: a screenshot in the game directory under a fresh name.
    void saveScreenshot();

    const CommandLine& options;
    const BuildVariant& variant;
    std::unique_ptr<Platform> platform;

    AppShell shell;
    std::array<std::string, kFileNameSlots> currentFileNames;
    int32_t musicEnabled = 0;
    int32_t voiceEnabled = 0;
    int32_t moveSetting = 1;
    uint16_t moveSpeed = 8;
    int32_t submapSetting = 0;
    int32_t cursorVisible = 1;
    bool engineRunning = false;

    TimerThread timer;
    MainWindow window;
    EngineHost host;
    FileStore files;
    ScriptMachine machine;
    Evaluator evaluator;
    Interpreter interpreter;
    MenuCommands menu;
    PlaneSet planes;
    Palette screenPalette{};
    PaletteManager palette;
    EngineGraphicsHost graphicsHost;
    std::unique_ptr<GraphicsCommands> graphics;
    BuiltinPalettes builtinPalettes;
    std::unique_ptr<PaletteCommands> paletteCommands;
    std::unique_ptr<TextRenderer> text;
    std::unique_ptr<TextCommands> textCommands;
    std::unique_ptr<TextTranscript> transcript;

  private:
    bool createSubsystems();
    // The game's own versions of the built-in palettes, when it has any.
    void loadPaletteFiles();
    int mainSequence();
    void applyMenuSettings();
    void shutDown();
    void writeShutdownFiles();

    bool fatalErrorShown_ = false;
    bool shutDownDone_ = false;
};

} // namespace fer

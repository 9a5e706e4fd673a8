#pragma once
// The graphics commands' view of the engine: the screen, the palette shown,
// the pump, picture files and the text colours, each reached through the
// object that owns it.

#include "core/CurrentFileNames.h"
#include "files/FileStore.h"
#include "graphics/GraphicsHost.h"
#include "graphics/TextRenderer.h"
#include "platform/Platform.h"
#include "script/ScriptHost.h"
#include "shell/Screen.h"

namespace fer {

class EngineGraphicsHost : public GraphicsHost {
  public:
    EngineGraphicsHost(Screen& screen, Platform& platform, ScriptHost& host, FileStore& files,
                       ScriptMemory& memory, CurrentFileNames& fileNames, TextRenderer& text,
                       FatalErrorHandler& errors)
        : screen_(screen), platform_(platform), host_(host), files_(files), memory_(memory),
          fileNames_(fileNames), text_(text), errors_(errors) {}

    void present(int x, int y, int w, int h) override { screen_.present(x, y, w, h); }
    void setScreenPalette(const Palette& colours) override { screen_.setPalette(colours); }
    // Steps of an effect that sleeps between presents are shown as they go.
    void sleepMilliseconds(uint32_t ms) override {
        screen_.flush();
        platform_.sleepMilliseconds(static_cast<int>(ms));
    }
    int pump() override { return host_.pump(); }
    int loadPicture(std::string_view name, uint32_t offset) override {
        return files_.loadPicture(name, memory_, offset);
    }
    void setCurrentFileName(int slot, std::string_view name) override {
        fileNames_.set(slot, name);
    }
    void refreshTextColours(const Palette& onScreen) override {
        text_.refreshTextColours(onScreen);
    }
    void fatalError(std::string_view title, std::string_view text) override {
        errors_.fatalError(title, text);
    }

  private:
    Screen& screen_;
    Platform& platform_;
    ScriptHost& host_;
    FileStore& files_;
    ScriptMemory& memory_;
    CurrentFileNames& fileNames_;
    TextRenderer& text_;
    FatalErrorHandler& errors_;
};

} // namespace fer

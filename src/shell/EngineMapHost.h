#pragma once
// The map's view of the engine: the key-state word, the pointer, the screen,
// the player's movement setting and the error report.

#include "map/MapHost.h"
#include "platform/Platform.h"
#include "script/ScriptHost.h"
#include "shell/PlayerSettings.h"
#include "shell/Screen.h"

namespace fer {

class EngineMapHost : public MapHost {
  public:
    EngineMapHost(ScriptHost& host, Platform& platform, Screen& screen,
                  const PlayerSettings& settings, FatalErrorHandler& errors)
        : host_(host), platform_(platform), screen_(screen), settings_(settings), errors_(errors) {}

    bool keyDown(int index) override { return host_.keyDown(index); }
    void pointerPosition(int& x, int& y) override { platform_.cursorPosition(x, y); }
    void present(int x, int y, int w, int h) override { screen_.present(x, y, w, h); }
    bool skipMovement() const override { return settings_.submapSetting() == 1; }
    void fatalError(std::string_view title, std::string_view text) override {
        errors_.fatalError(title, text);
    }

  private:
    ScriptHost& host_;
    Platform& platform_;
    Screen& screen_;
    const PlayerSettings& settings_;
    FatalErrorHandler& errors_;
};

} // namespace fer

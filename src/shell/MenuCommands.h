#pragma once
// The menu commands of the main window: loading a script file, the help,
// the settings toggles and the reading aids (which keep their check marks
// right and leave the rest to the player settings), and the debug views of
// the video planes.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/EngineStrings.h"
#include "core/MenuIds.h"
#include "platform/Platform.h"
#include "shell/MainWindow.h"
#include "shell/PlayerSettings.h"
#include "shell/Screen.h"

namespace fer {

class MenuCommands {
  public:
    MenuCommands(Platform& platform, PlayerSettings& settings, Screen& screen, MainWindow& window,
                 std::filesystem::path gameDirectory, EngineLanguage language)
        : platform_(platform), settings_(settings), screen_(screen), window_(window),
          gameDirectory_(std::move(gameDirectory)), language_(language) {}

    // A script file chosen by the player goes here.
    void onSwitch(std::function<void(const std::string&)> handler) {
        switchTo_ = std::move(handler);
    }
    // The scripts "FileLoad" offers when they come from an archive; nullopt
    // offers the loose script files of the game directory.
    void onListScripts(std::function<std::optional<std::vector<std::string>>()> lister) {
        listScripts_ = std::move(lister);
    }
    // Menu ids the debug monitor answers (0 for the others); called for any
    // id this class does not answer itself.
    void onOtherCommand(std::function<void(int)> handler) { other_ = std::move(handler); }
    // The history item.
    void onHistory(std::function<void()> handler) { history_ = std::move(handler); }
    // The text features' captions in the game's language.
    TextMenuCaptions textCaptions() const;
    // The full-screen item, and a scale mode the player chose.
    void onToggleFullScreen(std::function<void()> handler) { toggle_ = std::move(handler); }
    void onScaleMode(std::function<void(ScaleMode)> handler) { scale_ = std::move(handler); }

    void command(int id);

    // The popup of the reading aids, for the settings popup; without a
    // speech service its speech item says so and does nothing.
    MenuItem readingAidsPopup(bool speechAvailable);

    // Sets the check marks the player settings call for (at start-up).
    void showSettings();
    // The check marks of skipping read text and auto mode, as they are now.
    void showTextFeatures();

    void musicToggle(int on);
    void voiceToggle(int on);
    // The player's volumes: the step's item checked, the others not.
    void musicVolume(int percent);
    void voiceVolume(int percent);
    void movementSpeed(int id);
    void submapMovement(int id);
    // The reading aids: each item turns its aid on or off.
    void readingAid(int id);
    // The display's check marks: full screen and the scale mode.
    void showDisplay(bool fullScreen, ScaleMode scale);
    void scaleMode(ScaleMode mode);
    void fileLoad();
    // The keys the player uses and the about part.
    void help();
    // Shows plane n until the decide key is pressed and released, then
    // plane 0 again.
    void viewPlane(unsigned n);

  private:
    // How long a view waits for an event between passes (a timer tick).
    static constexpr int kViewWaitMs = 15;

    void showVolumes();
    // One pass of the pump, then a wait for the next event when it had none;
    // false when the window closed or a new script was chosen.
    bool pumpOrWait();

    Platform& platform_;
    PlayerSettings& settings_;
    Screen& screen_;
    MainWindow& window_;
    std::filesystem::path gameDirectory_;
    EngineLanguage language_;
    bool speechAvailable_ = false;
    std::function<void(const std::string&)> switchTo_;
    std::function<std::optional<std::vector<std::string>>()> listScripts_;
    std::function<void(int)> other_;
    std::function<void()> history_;
    std::function<void()> toggle_;
    std::function<void(ScaleMode)> scale_;
};

} // namespace fer

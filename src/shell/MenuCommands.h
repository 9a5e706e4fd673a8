#pragma once
// The menu commands of the main window: loading a script file, the about box,
// the settings toggles that write themselves back to the settings file, and
// the debug views of the video planes.

namespace fer {

class EngineContext;

class MenuCommands {
  public:
    static constexpr int kFileLoad = 40001;
    static constexpr int kHelp = 40003;
    static constexpr int kViewPrimary = 40004;
    static constexpr int kViewBack1 = 40005; // to 40008: planes 1 to 4
    static constexpr int kViewBack4 = 40008;
    static constexpr int kViewBack5 = 40016;
    static constexpr int kMusicOn = 40017;
    static constexpr int kMusicOff = 40018;
    static constexpr int kVoiceOn = 40019;
    static constexpr int kVoiceOff = 40020;
    static constexpr int kMoveSlow = 40021;
    static constexpr int kMoveNormal = 40022;
    static constexpr int kMoveFast = 40023;
    static constexpr int kSubmapNormal = 40025;
    static constexpr int kSubmapSkip = 40026;

    explicit MenuCommands(EngineContext& context) : context_(context) {}

    void command(int id);

    void musicToggle(int on);
    void voiceToggle(int on);
    void movementSpeed(int id);
    void submapMovement(int id);
    void fileLoad();
    void about();
    // Shows plane n until the decide key, then plane 0 again.
    void viewPlane(unsigned n);

  private:
    EngineContext& context_;
};

} // namespace fer

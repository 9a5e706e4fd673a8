#include "shell/MenuCommands.h"

#include "shell/EngineContext.h"

namespace fer {

void MenuCommands::command(int id) {
    switch (id) {
    case kFileLoad: fileLoad(); break;
    case kHelp: about(); break;
    case kViewPrimary: viewPlane(0); break;
    case kViewBack5: viewPlane(5); break;
    case kMusicOn: musicToggle(1); break;
    case kMusicOff: musicToggle(0); break;
    case kVoiceOn: voiceToggle(1); break;
    case kVoiceOff: voiceToggle(0); break;
    case kMoveSlow:
    case kMoveNormal:
    case kMoveFast: movementSpeed(id); break;
    case kSubmapNormal:
    case kSubmapSkip: submapMovement(id); break;
    default:
        if (id >= kViewBack1 && id <= kViewBack4)
            viewPlane(static_cast<unsigned>(id - kViewBack1 + 1));
        break; // the debug monitor's views and "COMMAND" do nothing here
    }
}

void MenuCommands::musicToggle(int on) {
    Platform& p = *context_.platform;
    p.setMenuCheck(on ? kMusicOff : kMusicOn, false);
    p.setMenuCheck(on ? kMusicOn : kMusicOff, true);
    if (!on) {
        context_.host.stopSound(0);
        context_.host.stopSound(1);
    }
    context_.musicEnabled = on;
    context_.machine.memory.setReg32(1, 0xFFFF);
    context_.shell.putIntSetting("Config", "SOUND", on);
}

void MenuCommands::voiceToggle(int on) {
    Platform& p = *context_.platform;
    p.setMenuCheck(on ? kVoiceOff : kVoiceOn, false);
    p.setMenuCheck(on ? kVoiceOn : kVoiceOff, true);
    if (!on) context_.host.stopSound(2);
    context_.voiceEnabled = on;
    context_.shell.putIntSetting("Config", "VOICE", on);
}

void MenuCommands::movementSpeed(int id) {
    Platform& p = *context_.platform;
    switch (context_.moveSetting) {
    case 0: p.setMenuCheck(kMoveFast, false); break;
    case 1: p.setMenuCheck(kMoveNormal, false); break;
    case 2: p.setMenuCheck(kMoveSlow, false); break;
    default: break;
    }
    switch (id) {
    case kMoveSlow:
        context_.moveSetting = 2;
        context_.moveSpeed = 16;
        break;
    case kMoveNormal:
        context_.moveSetting = 1;
        context_.moveSpeed = 8;
        break;
    default:
        context_.moveSetting = 0;
        context_.moveSpeed = 0;
        break;
    }
    p.setMenuCheck(id, true);
    context_.shell.putIntSetting("Config", "MOVE", context_.moveSetting);
}

void MenuCommands::submapMovement(int id) {
    Platform& p = *context_.platform;
    const bool skip = id == kSubmapSkip;
    p.setMenuCheck(kSubmapNormal, !skip);
    p.setMenuCheck(kSubmapSkip, skip);
    context_.submapSetting = skip ? 1 : 0;
    context_.shell.putIntSetting("Config", "SUBMAP", context_.submapSetting);
}

void MenuCommands::fileLoad() {
    const std::string name =
        context_.platform->chooseScriptFile(context_.shell.startDirectory().string());
    if (!name.empty()) context_.switchTo(name);
}

void MenuCommands::about() {
    context_.platform->aboutBox("关于", "FerKite 游戏引擎\n版本 0.1");
}

void MenuCommands::viewPlane(unsigned n) {
    MainWindow& window = context_.window;
    context_.presentPlane(n);
    while (!window.keys().query(0)) {
        if (window.pump() == 0) break;
    }
    window.pump();
    context_.present(0, 0, 640, 400);
    window.pump();
}

} // namespace fer

#include "shell/MenuCommands.h"

#include <utility>

#include "platform/ScriptFiles.h"

namespace fer {

using namespace menu_id;

void MenuCommands::command(int id) {
    switch (id) {
    case kFileLoad: fileLoad(); break;
    case kHelp: help(); break;
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
    case kFullScreen:
        if (toggle_) toggle_();
        break;
    case kScaleWhole: scaleMode(ScaleMode::kWholeFactor); break;
    case kScaleFit: scaleMode(ScaleMode::kFit); break;
    case kScaleStretch: scaleMode(ScaleMode::kStretch); break;
    case kSpeak:
    case kSpeakVoiced:
    case kCopyText: readingAid(id); break;
    case kHistory:
        if (history_) history_();
        break;
    case kSkipRead: settings_.setSkipRead(!settings_.skipRead()); break;
    case kAutoMode: settings_.setAutoMode(!settings_.autoMode()); break;
    default:
        if (id >= kMusicVolume0 && id < kMusicVolume0 + kVolumeSteps) {
            musicVolume((id - kMusicVolume0) * 25);
        } else if (id >= kVoiceVolume0 && id < kVoiceVolume0 + kVolumeSteps) {
            voiceVolume((id - kVoiceVolume0) * 25);
        } else if (id >= kViewBack1 && id <= kViewBack4) {
            viewPlane(static_cast<unsigned>(id - kViewBack1 + 1));
        } else if (other_) {
            other_(id); // the debug monitor's views; "COMMAND" does nothing
        }
        break;
    }
}

void MenuCommands::showSettings() {
    switch (settings_.moveSetting()) {
    case 0: platform_.setMenuCheck(kMoveFast, true); break;
    case 1: platform_.setMenuCheck(kMoveNormal, true); break;
    case 2: platform_.setMenuCheck(kMoveSlow, true); break;
    default: break; // checks nothing
    }
    // Both items of each toggle, so a mark never stays from before.
    platform_.setMenuCheck(kVoiceOn, settings_.voiceEnabled() == 1);
    platform_.setMenuCheck(kVoiceOff, settings_.voiceEnabled() != 1);
    platform_.setMenuCheck(kMusicOn, settings_.musicEnabled() == 1);
    platform_.setMenuCheck(kMusicOff, settings_.musicEnabled() != 1);
    showVolumes();
    if (settings_.submapSetting() == 0) platform_.setMenuCheck(kSubmapNormal, true);
    if (settings_.submapSetting() == 1) platform_.setMenuCheck(kSubmapSkip, true);
    platform_.setMenuCheck(kSpeak, speechAvailable_ && settings_.speak());
    platform_.setMenuCheck(kSpeakVoiced, settings_.speakVoiced());
    platform_.setMenuCheck(kCopyText, settings_.copyText());
    showTextFeatures();
}

MenuItem MenuCommands::readingAidsPopup(bool speechAvailable) {
    speechAvailable_ = speechAvailable;
    auto item = [this](EngineString text, int id) {
        MenuItem m;
        m.text = engineString(language_, text);
        m.id = id;
        return m;
    };
    MenuItem popup;
    popup.text = engineString(language_, EngineString::kMenuReadingAids);
    popup.items = {item(speechAvailable ? EngineString::kMenuSpeak : EngineString::kMenuSpeakMissing,
                        kSpeak),
                   item(EngineString::kMenuSpeakVoiced, kSpeakVoiced),
                   item(EngineString::kMenuCopyText, kCopyText)};
    return popup;
}

void MenuCommands::readingAid(int id) {
    switch (id) {
    case kSpeak:
        if (!speechAvailable_) return;
        settings_.setSpeak(!settings_.speak());
        platform_.setMenuCheck(kSpeak, settings_.speak());
        break;
    case kSpeakVoiced:
        settings_.setSpeakVoiced(!settings_.speakVoiced());
        platform_.setMenuCheck(kSpeakVoiced, settings_.speakVoiced());
        break;
    case kCopyText:
        settings_.setCopyText(!settings_.copyText());
        platform_.setMenuCheck(kCopyText, settings_.copyText());
        break;
    default: break;
    }
}

void MenuCommands::showTextFeatures() {
    platform_.setMenuCheck(kSkipRead, settings_.skipRead());
    platform_.setMenuCheck(kAutoMode, settings_.autoMode());
}

TextMenuCaptions MenuCommands::textCaptions() const {
    return {engineString(language_, EngineString::kMenuHistory),
            engineString(language_, EngineString::kMenuSkipRead),
            engineString(language_, EngineString::kMenuAutoMode)};
}

void MenuCommands::musicToggle(int on) {
    platform_.setMenuCheck(on ? kMusicOff : kMusicOn, false);
    platform_.setMenuCheck(on ? kMusicOn : kMusicOff, true);
    settings_.setMusic(on);
}

void MenuCommands::voiceToggle(int on) {
    platform_.setMenuCheck(on ? kVoiceOff : kVoiceOn, false);
    platform_.setMenuCheck(on ? kVoiceOn : kVoiceOff, true);
    settings_.setVoice(on);
}

void MenuCommands::showVolumes() {
    // The nearest step is checked.
    const int music = (settings_.musicVolume() + 12) / 25;
    const int voice = (settings_.voiceVolume() + 12) / 25;
    for (int step = 0; step < kVolumeSteps; ++step) {
        platform_.setMenuCheck(kMusicVolume0 + step, step == music);
        platform_.setMenuCheck(kVoiceVolume0 + step, step == voice);
    }
}

void MenuCommands::musicVolume(int percent) {
    settings_.setMusicVolume(percent);
    showVolumes();
}

void MenuCommands::voiceVolume(int percent) {
    settings_.setVoiceVolume(percent);
    showVolumes();
}

void MenuCommands::movementSpeed(int id) {
    switch (settings_.moveSetting()) {
    case 0: platform_.setMenuCheck(kMoveFast, false); break;
    case 1: platform_.setMenuCheck(kMoveNormal, false); break;
    case 2: platform_.setMenuCheck(kMoveSlow, false); break;
    default: break;
    }
    settings_.setMove(id == kMoveSlow ? 2 : id == kMoveNormal ? 1 : 0);
    platform_.setMenuCheck(id, true);
}

void MenuCommands::submapMovement(int id) {
    const bool skip = id == kSubmapSkip;
    platform_.setMenuCheck(kSubmapNormal, !skip);
    platform_.setMenuCheck(kSubmapSkip, skip);
    settings_.setSubmap(skip ? 1 : 0);
}

void MenuCommands::showDisplay(bool fullScreen, ScaleMode scale) {
    platform_.setMenuCheck(kFullScreen, fullScreen);
    platform_.setMenuCheck(kScaleWhole, scale == ScaleMode::kWholeFactor);
    platform_.setMenuCheck(kScaleFit, scale == ScaleMode::kFit);
    platform_.setMenuCheck(kScaleStretch, scale == ScaleMode::kStretch);
}

void MenuCommands::scaleMode(ScaleMode mode) {
    platform_.setScaleMode(mode);
    showDisplay(platform_.displayMode() == DisplayMode::kFullScreen, mode);
    if (scale_) scale_(mode);
}

void MenuCommands::fileLoad() {
    screen_.flush();
    std::optional<std::vector<std::string>> names;
    if (listScripts_) names = listScripts_();
    if (!names) names = scriptFilesIn(gameDirectory_.string());
    const std::string name = platform_.chooseScriptFile(*names);
    if (!name.empty() && switchTo_) switchTo_(name);
}

void MenuCommands::help() {
    screen_.flush();
    auto text = [this](EngineString id) { return std::string(engineString(language_, id)); };
    using S = EngineString;
    HelpPage page;
    page.title = text(S::kHelpTitle);
    page.keysHeading = text(S::kHelpKeysHeading);
    // What each key does, as the key mapping and the display switch have it.
    for (const auto& [keys, action] : {std::pair{S::kKeysDecide, S::kKeysDecideAction},
                                       {S::kKeysCancel, S::kKeysCancelAction},
                                       {S::kKeysArrows, S::kKeysArrowsAction},
                                       {S::kKeysShift, S::kKeysShiftAction},
                                       {S::kKeysCtrl, S::kKeysCtrlAction},
                                       {S::kKeysHistory, S::kKeysHistoryAction},
                                       {S::kKeysSkipRead, S::kKeysSkipReadAction},
                                       {S::kKeysAutoMode, S::kKeysAutoModeAction},
                                       {S::kKeysFullScreen, S::kKeysFullScreenAction},
                                       {S::kKeysScreenshot, S::kKeysScreenshotAction},
                                       {S::kKeysSpeak, S::kKeysSpeakAction},
                                       {S::kKeysCopyText, S::kKeysCopyTextAction}})
        page.keys.emplace_back(text(keys), text(action));
    page.aboutHeading = text(S::kAboutHeading);
    page.about = text(S::kAboutText);
    page.ok = text(S::kOk);
    platform_.helpBox(page);
}

void MenuCommands::viewPlane(unsigned n) {
    screen_.showPlane(n);
    KeyState& keys = window_.keys();
    bool open = true;
    while (open && !keys.query(0)) open = pumpOrWait();
    // The decide key that ends the view is the view's: the script sees the
    // key again only once it has been released and pressed anew.
    while (open && keys.peek(0)) open = pumpOrWait();
    keys.query(0);
    screen_.showPlane(0);
    window_.pump();
}

bool MenuCommands::pumpOrWait() {
    if (window_.pump() == 0) return false;
    if (!window_.handledEvent()) platform_.waitForEvent(kViewWaitMs);
    return true;
}

} // namespace fer

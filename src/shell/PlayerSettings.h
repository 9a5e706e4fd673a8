#pragma once
// What the player chooses from the menu and the display: music and voices,
// the movement speed, sub-map movement, the screen mode, and whether the
// game shows the mouse cursor. Each change is written to the settings file
// (section "Config"), except the cursor, and every listener hears of it: the
// sound subsystem, the map and the display act on their own settings. The
// music and voice volumes (0 to 100 %) are our own: "MusicVolume" and
// "VoiceVolume" in section "FerKite", as are the text features: "SkipRead"
// and "AutoMode" (1 on), and "AutoWait", the milliseconds auto mode waits
// per character of a message without a voice; and the reading aids: "Speak"
// (messages spoken), "SpeakVoiced" (also those with a voice) and "CopyText"
// (messages put on the clipboard), each 1 for on, off by default.

#include <cstdint>
#include <functional>
#include <vector>

#include "files/SettingsFile.h"

namespace fer {

class PlayerSettings {
  public:
    enum class Change { kMusic, kVoice, kMove, kSubmap, kScreen, kCursor, kVolume, kText, kReadingAids };
    static constexpr int32_t kDefaultAutoWait = 60;
    static constexpr int32_t kMaxAutoWait = 1000;
    using Listener = std::function<void(Change)>;

    explicit PlayerSettings(SettingsFile& file) : file_(file) {}

    // Reads "SOUND", "VOICE", "MOVE" and "SUBMAP" (and "SCREEN"). Without a
    // sound device music and voices stay off whatever the file says. A
    // "MOVE" other than 0, 1 or 2 keeps the normal speed. Nothing is written
    // and no listener is told.
    void load(bool soundDevice);

    int32_t musicEnabled() const { return music_; }
    int32_t voiceEnabled() const { return voice_; }
    // The "MOVE" setting as read or chosen, and the speed it gives (0, 8, 16).
    int32_t moveSetting() const { return moveSetting_; }
    uint16_t moveSpeed() const { return moveSpeed_; }
    int32_t submapSetting() const { return submap_; }
    int32_t screenSetting() const { return screen_; }
    bool cursorShown() const { return cursorShown_; }
    int32_t musicVolume() const { return musicVolume_; }
    int32_t voiceVolume() const { return voiceVolume_; }
    bool speak() const { return speak_; }
    bool speakVoiced() const { return speakVoiced_; }
    bool copyText() const { return copyText_; }
    bool skipRead() const { return skipRead_; }
    bool autoMode() const { return autoMode_; }
    int32_t autoWait() const { return autoWait_; }

    // The player's choices: each writes its key and tells the listeners.
    void setMusic(int32_t on);
    void setVoice(int32_t on);
    // 0 fast, 1 normal, 2 slow.
    void setMove(int32_t setting);
    void setSubmap(int32_t skip);
    void setScreen(int32_t fullScreen);
    // Volumes in percent, kept within 0 to 100.
    void setMusicVolume(int32_t percent);
    void setVoiceVolume(int32_t percent);
    // The reading aids as the player chooses them (written).
    void setSpeak(bool on);
    void setSpeakVoiced(bool on);
    void setCopyText(bool on);
    // This run's reading aids from the command line: on, and not written.
    void speakThisRun() { speak_ = true; }
    void copyTextThisRun() { copyText_ = true; }
    void setSkipRead(bool on);
    void setAutoMode(bool on);
    // Whether the game shows the cursor (not written).
    void setCursorShown(bool shown);

    void addListener(Listener listener) { listeners_.push_back(std::move(listener)); }

  private:
    void tell(Change change);

    SettingsFile& file_;
    int32_t music_ = 0;
    int32_t voice_ = 0;
    int32_t moveSetting_ = 1;
    uint16_t moveSpeed_ = 8;
    int32_t submap_ = 0;
    int32_t screen_ = 0;
    bool cursorShown_ = true;
    int32_t musicVolume_ = 100;
    int32_t voiceVolume_ = 100;
    bool speak_ = false;
    bool speakVoiced_ = false;
    bool copyText_ = false;
    bool skipRead_ = false;
    bool autoMode_ = false;
    int32_t autoWait_ = kDefaultAutoWait;
    std::vector<Listener> listeners_;
};

} // namespace fer

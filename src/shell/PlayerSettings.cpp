#include "shell/PlayerSettings.h"

namespace fer {

namespace {
constexpr const char* kSection = "Config";
constexpr const char* kOwnSection = "FerKite";

int32_t percent(int32_t value) {
    return value < 0 ? 0 : value > 100 ? 100 : value;
}

uint16_t speedOf(int32_t setting) {
    switch (setting) {
    case 0: return 0;
    case 2: return 16;
    default: return 8;
    }
}
} // namespace

void PlayerSettings::load(bool soundDevice) {
    if (soundDevice) {
        voice_ = file_.getInt(kSection, "VOICE", 1);
        music_ = file_.getInt(kSection, "SOUND", 1);
    } else {
        voice_ = 0;
        music_ = 0;
    }
    moveSetting_ = file_.getInt(kSection, "MOVE", 1);
    // A value other than 0, 1 or 2 keeps the speed as it was.
    if (moveSetting_ >= 0 && moveSetting_ <= 2) moveSpeed_ = speedOf(moveSetting_);
    submap_ = file_.getInt(kSection, "SUBMAP", 0);
    screen_ = file_.getInt(kSection, "SCREEN", 0);
    musicVolume_ = percent(file_.getInt(kOwnSection, "MusicVolume", 100));
    voiceVolume_ = percent(file_.getInt(kOwnSection, "VoiceVolume", 100));
    speak_ = file_.getInt(kOwnSection, "Speak", 0) == 1;
    speakVoiced_ = file_.getInt(kOwnSection, "SpeakVoiced", 0) == 1;
    copyText_ = file_.getInt(kOwnSection, "CopyText", 0) == 1;
    skipRead_ = file_.getInt(kOwnSection, "SkipRead", 0) == 1;
    autoMode_ = file_.getInt(kOwnSection, "AutoMode", 0) == 1;
    autoWait_ = file_.getInt(kOwnSection, "AutoWait", kDefaultAutoWait);
    if (autoWait_ < 0 || autoWait_ > kMaxAutoWait) autoWait_ = kDefaultAutoWait;
}

void PlayerSettings::setSpeak(bool on) {
    speak_ = on;
    file_.putInt(kOwnSection, "Speak", on ? 1 : 0);
    tell(Change::kReadingAids);
}

void PlayerSettings::setSpeakVoiced(bool on) {
    speakVoiced_ = on;
    file_.putInt(kOwnSection, "SpeakVoiced", on ? 1 : 0);
    tell(Change::kReadingAids);
}

void PlayerSettings::setCopyText(bool on) {
    copyText_ = on;
    file_.putInt(kOwnSection, "CopyText", on ? 1 : 0);
    tell(Change::kReadingAids);
}

void PlayerSettings::setSkipRead(bool on) {
    if (on == skipRead_) return;
    skipRead_ = on;
    file_.putInt(kOwnSection, "SkipRead", on ? 1 : 0);
    tell(Change::kText);
}

void PlayerSettings::setAutoMode(bool on) {
    if (on == autoMode_) return;
    autoMode_ = on;
    file_.putInt(kOwnSection, "AutoMode", on ? 1 : 0);
    tell(Change::kText);
}

void PlayerSettings::setMusicVolume(int32_t value) {
    musicVolume_ = percent(value);
    file_.putInt(kOwnSection, "MusicVolume", musicVolume_);
    tell(Change::kVolume);
}

void PlayerSettings::setVoiceVolume(int32_t value) {
    voiceVolume_ = percent(value);
    file_.putInt(kOwnSection, "VoiceVolume", voiceVolume_);
    tell(Change::kVolume);
}

void PlayerSettings::setMusic(int32_t on) {
    music_ = on;
    file_.putInt(kSection, "SOUND", on);
    tell(Change::kMusic);
}

void PlayerSettings::setVoice(int32_t on) {
    voice_ = on;
    file_.putInt(kSection, "VOICE", on);
    tell(Change::kVoice);
}

void PlayerSettings::setMove(int32_t setting) {
    moveSetting_ = setting;
    moveSpeed_ = speedOf(setting);
    file_.putInt(kSection, "MOVE", setting);
    tell(Change::kMove);
}

void PlayerSettings::setSubmap(int32_t skip) {
    submap_ = skip;
    file_.putInt(kSection, "SUBMAP", skip);
    tell(Change::kSubmap);
}

void PlayerSettings::setScreen(int32_t fullScreen) {
    screen_ = fullScreen;
    file_.putInt(kSection, "SCREEN", fullScreen);
    tell(Change::kScreen);
}

void PlayerSettings::setCursorShown(bool shown) {
    if (cursorShown_ == shown) return;
    cursorShown_ = shown;
    tell(Change::kCursor);
}

void PlayerSettings::tell(Change change) {
    for (const auto& listener : listeners_) listener(change);
}

} // namespace fer

#pragma once
// The ids of the window's menu items. The menu bar is built from them and
// menu events carry them.

namespace fer::menu_id {

inline constexpr int kFileLoad = 40001;
inline constexpr int kHelp = 40003;
inline constexpr int kViewPrimary = 40004;
inline constexpr int kViewBack1 = 40005; // 40005..40008: planes 1 to 4
inline constexpr int kViewBack2 = 40006;
inline constexpr int kViewBack3 = 40007;
inline constexpr int kViewBack4 = 40008;
inline constexpr int kNowFile = 40009;
inline constexpr int kViewFlags = 40010;
inline constexpr int kViewReg16 = 40011;
inline constexpr int kViewReg32 = 40012;
inline constexpr int kDump = 40013;
inline constexpr int kViewDim16 = 40014;
inline constexpr int kViewDim32 = 40015;
inline constexpr int kViewBack5 = 40016;
inline constexpr int kMusicOn = 40017;
inline constexpr int kMusicOff = 40018;
inline constexpr int kVoiceOn = 40019;
inline constexpr int kVoiceOff = 40020;
inline constexpr int kMoveSlow = 40021;
inline constexpr int kMoveNormal = 40022;
inline constexpr int kMoveFast = 40023;
inline constexpr int kCommand = 40024;
inline constexpr int kSubmapNormal = 40025;
inline constexpr int kSubmapSkip = 40026;
// The debug monitor's own additions: views that stay up while the script
// runs, and the view of the code being executed.
inline constexpr int kLiveViews = 40040;
inline constexpr int kViewCode = 40041;
// The player's volumes: music and voice at 0, 25, 50, 75 and 100 %
// (base + percent / 25).
inline constexpr int kMusicVolume0 = 40050;
inline constexpr int kVoiceVolume0 = 40060;
inline constexpr int kVolumeSteps = 5;
// Reading aids: speech of the messages, also over voiced ones, and the
// messages copied to the clipboard.
inline constexpr int kSpeak = 40080;
inline constexpr int kSpeakVoiced = 40081;
inline constexpr int kCopyText = 40082;
// The display: full screen or a window, and how the picture is scaled.
inline constexpr int kFullScreen = 40101;
inline constexpr int kScaleWhole = 40102;
inline constexpr int kScaleFit = 40103;
inline constexpr int kScaleStretch = 40104;

// The text features: the history, skipping read text and auto mode.
inline constexpr int kHistory = 40110;
inline constexpr int kSkipRead = 40111;
inline constexpr int kAutoMode = 40112;

} // namespace fer::menu_id

#pragma once
// The engine's own words: button labels, the help, notices and the lines
// that explain a failure below a box's fixed caption and text. The game's
// own captions and messages are not here; they stay as the game has them.
// One table, in the language of the build's code page (Chinese for GB2312,
// Japanese for Shift-JIS), in UTF-8.

#include <initializer_list>
#include <string>
#include <string_view>

#include "core/BuildVariant.h"

namespace fer {

enum class EngineLanguage { kChinese, kJapanese };

// Japanese for the Shift-JIS code page, Chinese for any other.
EngineLanguage engineLanguageFor(const BuildVariant& variant);

enum class EngineString {
    // Buttons of the boxes.
    kOk,
    kCancel,
    // The help: its title, the keys (what to press, then what it does) and
    // the about part.
    kHelpTitle,
    kHelpKeysHeading,
    kKeysDecide,
    kKeysDecideAction,
    kKeysCancel,
    kKeysCancelAction,
    kKeysArrows,
    kKeysArrowsAction,
    kKeysShift,
    kKeysShiftAction,
    kKeysCtrl,
    kKeysCtrlAction,
    kKeysFullScreen,
    kKeysFullScreenAction,
    kKeysScreenshot,
    kKeysScreenshotAction,
    kAboutHeading,
    kAboutText,
    // Notices of the screenshot key: %1 the file's name, or the path not written.
    kScreenshotSaved,
    kScreenshotNotSaved,
    // An archive that cannot be opened at start-up: %1 its name, %2 the
    // folder, %3 one of the reasons that follow.
    kArchiveFailure,
    kArchiveMissing,
    kArchiveUnreadable,
    kArchiveNotAFile,
    kArchiveOutside,
    kArchiveTooShort,
    kArchiveDamaged,
    kArchiveNoMemory,
    // A start script that is not there: %1 its name, %2 the folder.
    kScriptNotInFolder,
    kScriptNotInArchive,
    // %1 the settings file's name.
    kNoSettingsFile,
    kGameFolderHolds,
    // The text font: %1 a path or a package, %2 and %3 what the reason names.
    kFontChosenMissing,
    kFontNoneFound,
    kFontUnusable,
    kFontNoCjk,
    kNoCodePageConverter,
    // The menu's items for reading aids: the popup, speech (and its text when
    // the desktop has no speech service), speech over voiced lines, the clipboard.
    kMenuReadingAids,
    kMenuSpeak,
    kMenuSpeakMissing,
    kMenuSpeakVoiced,
    kMenuCopyText,
    // Help: their keys.
    kKeysSpeak,
    kKeysSpeakAction,
    kKeysCopyText,
    kKeysCopyTextAction,
    // The text features: the history's title, the menu items, their help
    // lines and the log line of a damaged read-text record (%1 its path).
    kHistoryTitle,
    kMenuHistory,
    kMenuSkipRead,
    kMenuAutoMode,
    kKeysHistory,
    kKeysHistoryAction,
    kKeysSkipRead,
    kKeysSkipReadAction,
    kKeysAutoMode,
    kKeysAutoModeAction,
    kReadTextDamaged,
    kCount
};

// The text of the entry in the language.
const char* engineString(EngineLanguage language, EngineString id);

// The text with %1, %2 and %3 replaced by the values in order.
std::string engineText(EngineLanguage language, EngineString id,
                       std::initializer_list<std::string_view> values = {});

} // namespace fer

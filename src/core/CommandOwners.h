#pragma once
// Who carries out the script machine's operations, and the names of the
// command numbers: system commands 0..20 (opcode 11) and external commands
// 90..126 (opcode 16). InstructionTable.h lists every instruction and
// command with its owner; owners register their handlers in the
// CommandTable at start-up, and the table refuses a handler from any other
// owner. A number listed with no handler registered (its subsystem is not
// part of this build) does nothing.

#include <cstdint>
#include <string_view>

namespace fer {

enum class CommandKind : uint8_t { kSystem, kExternal, kInstruction };

enum class Subsystem : uint8_t {
    kScript,    // the script engine (script/)
    kText,      // text output (graphics/TextCommands)
    kGraphics,  // pictures, palette and block transfers (graphics/GraphicsCommands)
    kPalette,   // palette presets and transitions (graphics/PaletteCommands)
    kCursor,    // the mouse cursor (shell/CursorCommands)
    kAnimation, // animation channels and particle effects
    kSound,     // music and voices
    kFiles,     // data files and archives (files/FileCommands)
    kMap,       // the tile map and its characters
};

std::string_view subsystemName(Subsystem s);

inline constexpr uint32_t kLastSystemCommand = 20;
inline constexpr uint32_t kFirstExternalCommand = 90;
inline constexpr uint32_t kLastExternalCommand = 126;

// System command numbers.
namespace sys {
enum SystemCommand : uint32_t {
    kFontSize = 0,
    kPrintNumber = 1,
    kCursor = 2,
    kAnimation = 3,
    kSaveState = 4,
    kMusic = 5,
    kVoice = 6,
    kLoadData = 7,
    kLoadImage = 8,
    kPalette = 9,
    kBlockTransfer = 10,
    kWait = 11,
    kTextColour = 12,
    kRunAt = 13,
    kHitTest = 14,
    kChoiceKey = 15,
    kClock = 16,
    kMap = 17,
    kMessageLog = 18,
    kStopAll = 19,
    kWaitClick = 20,
};
} // namespace sys

// External command numbers.
namespace ext {
enum ExternalCommand : uint32_t {
    kTakeSnapshot = 90,
    kRestoreSnapshot = 91,
    kStartEffectA = 92,
    kStopEffectA = 93,
    kSavePalette = 94,
    kRestorePalette = 95,
    kReservedFromPreset1 = 96,
    kSkipHeld = 97,
    kTableLookup = 98,
    kDecideHeld = 99,
    kWaitRelease = 100,
    kResetTicks = 101,
    kFadeSpeed16 = 102,
    kWaitMoveSpeed = 103,
    kPreset2 = 104,
    kGreyPicture = 105,
    kRestoreColours = 106,
    kReadSlot6 = 107,
    kCancelHeld = 108,
    kFadeToPreset3 = 109,
    kPointerTable1 = 110,
    kLogNumber = 111,
    kPointerTable3 = 112,
    kPointerTable2 = 113,
    kPreset4 = 114,
    kBlackPicture = 115,
    kWaitTicks = 116,
    kFadeToPreset5 = 117,
    kStartEffectB = 118,
    kStopEffectB = 119,
    kThroughBlack = 120,
    kToSavedPalette = 121,
    kSavedColours = 122,
    kThroughBlackReserved10 = 123,
    kHaltEffectA = 124,
    kResumeEffectA = 125,
    kHoldUp = 126,
};
} // namespace ext

} // namespace fer

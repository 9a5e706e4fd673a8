#pragma once
// The one table of the script machine's operations: the instructions 0..20,
// the system commands 0..20 that opcode 11 runs and the external commands
// 90..126 that opcode 16 runs. Each row gives the number, the name that the
// assembler, the disassembler and the code view use, the argument signature,
// the owning subsystem and a one-line description. The interpreter
// dispatches instructions by the names of op::, and reads their operands as
// the signature says; commands reach the handlers their owners register in
// the CommandTable.
//
// An instruction's signature lists its operands in order, each as its kind
// and a name: expr (an expression ending with 0xFF), u8, u16, target (four
// bytes, relative to codeBase), list (values with continuation bytes), args
// (an argument list), text (double-byte characters to a zero lead byte) and
// text8 (single-byte characters to a zero byte). A command's signature
// names the arguments of its list.

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/CommandOwners.h"
#include "core/Opcodes.h"

namespace fer {

struct TableEntry {
    CommandKind kind;
    uint32_t number;
    std::string_view name;
    std::string_view signature;
    Subsystem owner;
    std::string_view what;
};

namespace operation_table {
using K = CommandKind;
using S = Subsystem;
namespace op = mes::op;
inline constexpr size_t kInstructionCount = mes::op::kLastOpcode + 1;
inline constexpr size_t kSystemCount = kLastSystemCommand + 1;
inline constexpr size_t kExternalCount = kLastExternalCommand - kFirstExternalCommand + 1;

inline constexpr std::array<TableEntry, kInstructionCount + kSystemCount + kExternalCount> kRows{{
    {K::kInstruction, op::kEnd, "end", "", S::kScript, "end: this loop returns"},
    {K::kInstruction, op::kText, "text", "text", S::kScript, "message text in double-byte characters"},
    {K::kInstruction, op::kSingleText, "stext", "text8", S::kScript, "message text in single-byte characters"},
    {K::kInstruction, op::kSetFlags, "flag", "u16 n, list", S::kScript, "set flags n, n + 1, ... (each at most 15)"},
    {K::kInstruction, op::kSetReg16, "r16", "u8 r, list", S::kScript, "set 16-bit registers r, r + 1, ..."},
    {K::kInstruction, op::kSetBytes, "mem", "expr a, list", S::kScript, "set the bytes of script memory at a, a + 1, ..."},
    {K::kInstruction, op::kSetDim8, "dim8", "expr i, u8 k, list", S::kScript, "set elements i, i + 1, ... of byte array k"},
    {K::kInstruction, op::kSetDim16, "dim16", "expr i, u8 k, list", S::kScript, "set elements i, i + 1, ... of 16-bit array k"},
    {K::kInstruction, op::kSetDim32, "dim32", "expr i, u8 k, list", S::kScript, "set elements i, i + 1, ... of 32-bit array k"},
    {K::kInstruction, op::kIfGoto, "unless", "expr c, target t", S::kScript, "go on when c is 1, else jump to codeBase + t"},
    {K::kInstruction, op::kGoto, "goto", "target t", S::kScript, "jump to codeBase + t"},
    {K::kInstruction, op::kSystem, "sys", "expr s, args", S::kScript, "run system command s"},
    {K::kInstruction, op::kChangeScript, "change_script", "args", S::kScript, "replace the running script"},
    {K::kInstruction, op::kCallScript, "call_script", "args", S::kScript, "call another script and come back"},
    {K::kInstruction, op::kChoiceItem, "choice", "args, target t", S::kScript, "define a choice item with key arg 0"},
    {K::kInstruction, op::kCallProc, "call", "args", S::kScript, "call procedure arg 0"},
    {K::kInstruction, op::kExternal, "ext", "args", S::kScript, "run external command arg 0 (90..126)"},
    {K::kInstruction, op::kTextControl, "text_control", "u8 c", S::kScript, "text control: 0 starts a new line"},
    {K::kInstruction, op::kDefineProc, "proc", "expr p, target t", S::kScript, "define procedure p"},
    {K::kInstruction, op::kChoiceLoop, "choose", "", S::kScript, "run the choice loop"},
    {K::kInstruction, op::kSetReg32, "r32", "u8 r, list", S::kScript, "set 32-bit registers r, r + 1, ..."},

    {K::kSystem, sys::kFontSize, "font_size", "", S::kText, "font size from 16-bit registers 40 and 41"},
    {K::kSystem, sys::kPrintNumber, "print_number", "number", S::kText, "print a number at the text cursor"},
    {K::kSystem, sys::kCursor, "cursor", "operation, a1..a4", S::kCursor, "mouse cursor: show, hide, confine, read, move, animate"},
    {K::kSystem, sys::kAnimation, "animation", "operation, a1, a2", S::kAnimation, "animation channels"},
    {K::kSystem, sys::kSaveState, "save_state", "operation, slot", S::kScript, "save and load game state"},
    {K::kSystem, sys::kMusic, "music", "operation, file", S::kSound, "music"},
    {K::kSystem, sys::kVoice, "voice", "operation, file", S::kSound, "voice"},
    {K::kSystem, sys::kLoadData, "load_data", "file, offset", S::kFiles, "load a data file into script memory"},
    {K::kSystem, sys::kLoadImage, "load_image", "file", S::kGraphics, "load and draw a picture"},
    {K::kSystem, sys::kPalette, "palette", "mode, a1..a3", S::kGraphics, "palette"},
    {K::kSystem, sys::kBlockTransfer, "block_transfer", "mode, a1...", S::kGraphics, "block transfers between planes"},
    {K::kSystem, sys::kWait, "wait", "[duration]", S::kScript, "wait for a time or a click"},
    {K::kSystem, sys::kTextColour, "text_colour", "colours", S::kText, "text colours"},
    {K::kSystem, sys::kRunAt, "run_at", "address", S::kScript, "run code at an address"},
    {K::kSystem, sys::kHitTest, "hit_test", "x, y", S::kScript, "hit test"},
    {K::kSystem, sys::kChoiceKey, "choice_key", "slot", S::kScript, "choice key"},
    {K::kSystem, sys::kClock, "clock", "", S::kScript, "local date and time"},
    {K::kSystem, sys::kMap, "map", "operation, a, b, c", S::kMap, "map"},
    {K::kSystem, sys::kMessageLog, "message_log", "operation, a1", S::kScript, "message log"},
    {K::kSystem, sys::kStopAll, "stop_all", "1, archives", S::kFiles, "stop all sound and reopen the archives"},
    {K::kSystem, sys::kWaitClick, "wait_click", "", S::kScript, "wait for a click"},

    {K::kExternal, ext::kTakeSnapshot, "take_snapshot", "", S::kScript, "take a snapshot of saved state"},
    {K::kExternal, ext::kRestoreSnapshot, "restore_snapshot", "", S::kScript, "restore parts of the snapshot"},
    {K::kExternal, ext::kStartEffectA, "start_effect_a", "", S::kAnimation, "start particle effect A"},
    {K::kExternal, ext::kStopEffectA, "stop_effect_a", "", S::kAnimation, "stop particle effect A"},
    {K::kExternal, ext::kSavePalette, "save_palette", "first, count", S::kPalette, "saved palette entries from the working palette"},
    {K::kExternal, ext::kRestorePalette, "restore_palette", "", S::kPalette, "working palette from the saved palette"},
    {K::kExternal, ext::kReservedFromPreset1, "reserved_from_preset_1", "", S::kPalette, "reserved entries from preset 1"},
    {K::kExternal, ext::kSkipHeld, "skip_held", "", S::kScript, "is skip held"},
    {K::kExternal, ext::kTableLookup, "table_lookup", "record", S::kScript, "data-table lookup"},
    {K::kExternal, ext::kDecideHeld, "decide_held", "", S::kScript, "is decide held"},
    {K::kExternal, ext::kWaitRelease, "wait_release", "", S::kScript, "wait until decide and cancel are released"},
    {K::kExternal, ext::kResetTicks, "reset_ticks", "", S::kScript, "reset the tick count"},
    {K::kExternal, ext::kFadeSpeed16, "fade_speed_16", "", S::kPalette, "fade speed 16"},
    {K::kExternal, ext::kWaitMoveSpeed, "wait_move_speed", "", S::kScript, "wait for the movement speed"},
    {K::kExternal, ext::kPreset2, "preset_2", "", S::kPalette, "entries from 16 from preset 2"},
    {K::kExternal, ext::kGreyPicture, "grey_picture", "", S::kPalette, "grey picture"},
    {K::kExternal, ext::kRestoreColours, "restore_colours", "", S::kPalette, "colours back from the saved palette"},
    {K::kExternal, ext::kReadSlot6, "read_slot_6", "", S::kScript, "read values from save slot 6"},
    {K::kExternal, ext::kCancelHeld, "cancel_held", "", S::kScript, "is cancel held"},
    {K::kExternal, ext::kFadeToPreset3, "fade_to_preset_3", "", S::kPalette, "fade to preset 3"},
    {K::kExternal, ext::kPointerTable1, "pointer_table_1", "a1, a2", S::kPalette, "entries 16..187 from the first pointer table"},
    {K::kExternal, ext::kLogNumber, "log_number", "number", S::kScript, "number into the message log"},
    {K::kExternal, ext::kPointerTable3, "pointer_table_3", "a1, a2", S::kPalette, "entries 16..235 from the third pointer table"},
    {K::kExternal, ext::kPointerTable2, "pointer_table_2", "a1, a2", S::kPalette, "entries 16..235 from the second pointer table"},
    {K::kExternal, ext::kPreset4, "preset_4", "", S::kPalette, "entries 0..15 from preset 4"},
    {K::kExternal, ext::kBlackPicture, "black_picture", "", S::kPalette, "entries 16..235 black"},
    {K::kExternal, ext::kWaitTicks, "wait_ticks", "ticks", S::kScript, "wait a number of ticks"},
    {K::kExternal, ext::kFadeToPreset5, "fade_to_preset_5", "", S::kPalette, "fade to preset 5"},
    {K::kExternal, ext::kStartEffectB, "start_effect_b", "", S::kAnimation, "start particle effect B"},
    {K::kExternal, ext::kStopEffectB, "stop_effect_b", "", S::kAnimation, "stop particle effect B"},
    {K::kExternal, ext::kThroughBlack, "through_black", "", S::kPalette, "transition through black"},
    {K::kExternal, ext::kToSavedPalette, "to_saved_palette", "", S::kPalette, "transition to the saved palette"},
    {K::kExternal, ext::kSavedColours, "saved_colours", "", S::kPalette, "entries 16..127 from the saved palette"},
    {K::kExternal, ext::kThroughBlackReserved10, "through_black_10", "", S::kPalette, "transition through black, reserved 10"},
    {K::kExternal, ext::kHaltEffectA, "halt_effect_a", "", S::kAnimation, "stop particle effect A"},
    {K::kExternal, ext::kResumeEffectA, "resume_effect_a", "", S::kAnimation, "let particle effect A run again"},
    {K::kExternal, ext::kHoldUp, "hold_up", "", S::kScript, "hold up"},
}};

// The instruction rows in opcode order, then the command rows.
inline constexpr std::span<const TableEntry> kInstructions{kRows.data(), kInstructionCount};
inline constexpr std::span<const TableEntry> kCommands{kRows.data() + kInstructionCount,
                                                       kSystemCount + kExternalCount};

// The row of each section lies at its number's place, so a look-up is an index.
constexpr bool rowsInPlace() {
    for (size_t i = 0; i < kRows.size(); ++i) {
        const TableEntry& e = kRows[i];
        const size_t at = e.kind == K::kInstruction ? e.number
                          : e.kind == K::kSystem    ? kInstructionCount + e.number
                                                    : kInstructionCount + kSystemCount +
                                                       (e.number - kFirstExternalCommand);
        if (at != i) return false;
    }
    return true;
}
static_assert(rowsInPlace(), "every row stands at its number's place");
} // namespace operation_table

// The row of an instruction; nullptr for a byte that is no opcode.
constexpr const TableEntry* instructionEntry(uint32_t opcode) {
    return opcode < operation_table::kInstructionCount ? &operation_table::kRows[opcode] : nullptr;
}

// The row of a command; nullptr for a number outside the listing.
constexpr const TableEntry* commandEntry(CommandKind kind, uint32_t number) {
    using namespace operation_table;
    if (kind == CommandKind::kSystem && number <= kLastSystemCommand)
        return &kRows[kInstructionCount + number];
    if (kind == CommandKind::kExternal && number >= kFirstExternalCommand &&
        number <= kLastExternalCommand)
        return &kRows[kInstructionCount + kSystemCount + (number - kFirstExternalCommand)];
    return nullptr;
}

} // namespace fer

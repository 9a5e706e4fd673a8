#pragma once
// Who carries out each script command: the one listing of system commands
// 0..20 and external commands 90..126 with the subsystem that owns each.
// Owners register their handlers in the CommandTable at start-up, and the
// table refuses a handler from any other owner. A number listed with no
// handler registered (its subsystem is not part of this build) does nothing.

#include <array>
#include <cstdint>
#include <string_view>

namespace fer {

enum class CommandKind : uint8_t { kSystem, kExternal };

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

struct CommandOwner {
    CommandKind kind;
    uint32_t number;
    Subsystem owner;
    std::string_view what;
};

inline constexpr uint32_t kLastSystemCommand = 20;
inline constexpr uint32_t kFirstExternalCommand = 90;
inline constexpr uint32_t kLastExternalCommand = 126;

namespace command_listing {
using K = CommandKind;
using S = Subsystem;
inline constexpr std::array<CommandOwner, 58> kOwners{{
    {K::kSystem, 0, S::kText, "font size from 16-bit registers 40 and 41"},
    {K::kSystem, 1, S::kText, "print a number at the text cursor"},
    {K::kSystem, 2, S::kCursor, "mouse cursor: show, hide, confine, read, move, animate"},
    {K::kSystem, 3, S::kAnimation, "animation channels"},
    {K::kSystem, 4, S::kScript, "save and load game state"},
    {K::kSystem, 5, S::kSound, "music"},
    {K::kSystem, 6, S::kSound, "voice"},
    {K::kSystem, 7, S::kFiles, "load a data file into script memory"},
    {K::kSystem, 8, S::kGraphics, "load and draw a picture"},
    {K::kSystem, 9, S::kGraphics, "palette"},
    {K::kSystem, 10, S::kGraphics, "block transfers between planes"},
    {K::kSystem, 11, S::kScript, "wait for a time or a click"},
    {K::kSystem, 12, S::kText, "text colours"},
    {K::kSystem, 13, S::kScript, "run code at an address"},
    {K::kSystem, 14, S::kScript, "hit test"},
    {K::kSystem, 15, S::kScript, "choice key"},
    {K::kSystem, 16, S::kScript, "local date and time"},
    {K::kSystem, 17, S::kMap, "map"},
    {K::kSystem, 18, S::kScript, "message log"},
    {K::kSystem, 19, S::kFiles, "stop all sound and reopen the archives"},
    {K::kSystem, 20, S::kScript, "wait for a click"},
    {K::kExternal, 90, S::kScript, "take a snapshot of saved state"},
    {K::kExternal, 91, S::kScript, "restore parts of the snapshot"},
    {K::kExternal, 92, S::kAnimation, "start particle effect A"},
    {K::kExternal, 93, S::kAnimation, "stop particle effect A"},
    {K::kExternal, 94, S::kPalette, "saved palette entries from the working palette"},
    {K::kExternal, 95, S::kPalette, "working palette from the saved palette"},
    {K::kExternal, 96, S::kPalette, "reserved entries from preset 1"},
    {K::kExternal, 97, S::kScript, "is skip held"},
    {K::kExternal, 98, S::kScript, "data-table lookup"},
    {K::kExternal, 99, S::kScript, "is decide held"},
    {K::kExternal, 100, S::kScript, "wait until decide and cancel are released"},
    {K::kExternal, 101, S::kScript, "reset the tick count"},
    {K::kExternal, 102, S::kPalette, "fade speed 16"},
    {K::kExternal, 103, S::kScript, "wait for the movement speed"},
    {K::kExternal, 104, S::kPalette, "entries from 16 from preset 2"},
    {K::kExternal, 105, S::kPalette, "grey picture"},
    {K::kExternal, 106, S::kPalette, "colours back from the saved palette"},
    {K::kExternal, 107, S::kScript, "read values from save slot 6"},
    {K::kExternal, 108, S::kScript, "is cancel held"},
    {K::kExternal, 109, S::kPalette, "fade to preset 3"},
    {K::kExternal, 110, S::kPalette, "entries 16..187 from the first pointer table"},
    {K::kExternal, 111, S::kScript, "number into the message log"},
    {K::kExternal, 112, S::kPalette, "entries 16..235 from the third pointer table"},
    {K::kExternal, 113, S::kPalette, "entries 16..235 from the second pointer table"},
    {K::kExternal, 114, S::kPalette, "entries 0..15 from preset 4"},
    {K::kExternal, 115, S::kPalette, "entries 16..235 black"},
    {K::kExternal, 116, S::kScript, "wait a number of ticks"},
    {K::kExternal, 117, S::kPalette, "fade to preset 5"},
    {K::kExternal, 118, S::kAnimation, "start particle effect B"},
    {K::kExternal, 119, S::kAnimation, "stop particle effect B"},
    {K::kExternal, 120, S::kPalette, "transition through black"},
    {K::kExternal, 121, S::kPalette, "transition to the saved palette"},
    {K::kExternal, 122, S::kPalette, "entries 16..127 from the saved palette"},
    {K::kExternal, 123, S::kPalette, "transition through black, reserved 10"},
    {K::kExternal, 124, S::kAnimation, "stop particle effect A"},
    {K::kExternal, 125, S::kAnimation, "let particle effect A run again"},
    {K::kExternal, 126, S::kScript, "hold up"},
}};
} // namespace command_listing

// The listed owner of a command; nullptr for a number outside the listing.
const CommandOwner* commandOwner(CommandKind kind, uint32_t number);

} // namespace fer

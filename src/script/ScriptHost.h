#pragma once
// What the script machine itself needs of the rest of the engine: the message
// pump and window state, input, the timer, the screen and text, its files and
// the log. Commands owned by other subsystems reach them through the command
// table, not through here, so a new subsystem adds nothing to this interface.

#include <cstdint>
#include <span>
#include <string_view>

#include "core/FatalErrorHandler.h"
#include "core/KeyIndex.h"
#include "core/WindowState.h"
#include "core/TextSink.h"

namespace fer {

struct LocalTime {
    uint16_t year, month, dayOfWeek, day, hour, minute, second, millisecond;
};

class ScriptHost : public FatalErrorHandler, public TextSink {
  public:
    virtual ~ScriptHost() = default;

    // Window and message pump. pump handles at most one message and returns 0
    // when the window state is 3 or 255, else 1.
    virtual int pump() = 0;
    virtual int windowState() const = 0;
    // The interpreter's pass: one pump, then the window state it left.
    virtual int pumpAndState() {
        pump();
        return windowState();
    }
    virtual void setWindowState(int state) = 0;
    // How many passes may follow the last pump without pumping, as long as
    // their instructions only assign, jump or define: a host whose pump found
    // nothing waiting may answer a few, so that a busy loop of such
    // instructions does not pay for a pump each. 0, the default, pumps
    // before every instruction.
    virtual uint32_t quietPasses() const { return 0; }

    // Input.
    virtual bool keyDown(int index) = 0;
    virtual void clearKeys() = 0;
    virtual void waitWhileHeld(uint32_t ticks, int index) = 0;
    virtual bool shiftHeld() = 0;

    // The game waits for the player: a wait for a click (choice false) or
    // the choice loop (true) begins. The message drawn before is complete.
    virtual void playerWaits(bool choice) { (void)choice; }
    // The wait for a click has ended.
    virtual void playerWaitEnds() {}

    // Timer thread.
    virtual uint32_t tickCount() const = 0;
    virtual void resetTicks() = 0;
    virtual uint32_t ticks() const = 0;
    virtual LocalTime localTime() const = 0;

    // Screen and text: present and drawChar (TextSink).

    // Files: loads a script's bytes to ScriptMemory offset 0x1000; 0 on failure
    // (the failure was reported already).
    virtual int loadScript(std::string_view name) = 0;
    // Records the name of the file loaded last in a slot of the current file
    // names (0 script, 1 picture, 2 data, 3 music, 4 voice); the debug
    // monitor's file-name view repaints if it is open.
    virtual void setCurrentFileName(int slot, std::string_view name) = 0;
    // Reads a loose file (a save) into destination: at most destination.size()
    // bytes. 0 on failure (reported already).
    virtual int readWholeFile(std::string_view name, std::span<uint8_t> destination) = 0;
    // Replaces a save file with exactly these 4096 bytes. 0 on failure.
    virtual int writeSaveFile(std::string_view name, std::span<const uint8_t> bytes) = 0;

    // The pace the player chose for movement (the "MOVE" setting): 0, 8 or
    // 16 ticks; the wait for the movement speed waits a quarter of it.
    virtual uint16_t moveSpeed() const = 0;

    // Log file (the fatal error box comes from FatalErrorHandler).
    virtual void logLine(std::string_view text) = 0;
    // A hint for the script's author, such as a call of a procedure never
    // defined: the log, and the console too while debugging.
    virtual void authorNote(std::string_view text) { logLine(text); }
};

} // namespace fer

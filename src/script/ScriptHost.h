#pragma once
// What the script machine needs of the rest of the engine. The interpreter,
// the evaluator and the script engine's own commands reach the window, input,
// timer, screen, text, files, sound and log only through this interface, so
// they run with test doubles as well as with the real engine.

#include <cstdint>
#include <span>
#include <string_view>

#include "script/ArgumentList.h"
#include "script/FatalErrorHandler.h"

namespace fer {

// Window states of the main window.
namespace window_state {
inline constexpr int kActive = 0;
inline constexpr int kInactive = 1;
inline constexpr int kMinimised = 2;
inline constexpr int kRestart = 3;
inline constexpr int kClosed = 255;
} // namespace window_state

// Key indexes of keyDown.
namespace key {
inline constexpr int kDecide = 0;
inline constexpr int kCancel = 1;
inline constexpr int kUp = 2;
inline constexpr int kDown = 3;
inline constexpr int kLeft = 4;
inline constexpr int kRight = 5;
inline constexpr int kShift = 6;
inline constexpr int kSkip = 7;
inline constexpr int kAny = 8;
} // namespace key

struct LocalTime {
    uint16_t year, month, dayOfWeek, day, hour, minute, second, millisecond;
};

class ScriptHost : public FatalErrorHandler {
  public:
    virtual ~ScriptHost() = default;

    // Window and message pump. pump handles at most one message and returns 0
    // when the window state is 3 or 255, else 1.
    virtual int pump() = 0;
    virtual int windowState() const = 0;
    virtual void setWindowState(int state) = 0;

    // Input.
    virtual bool keyDown(int index) = 0;
    virtual void clearKeys() = 0;
    virtual void waitWhileHeld(uint32_t ticks, int index) = 0;
    virtual bool shiftHeld() = 0;

    // Timer thread.
    virtual uint32_t tickCount() const = 0;
    virtual void resetTicks() = 0;
    virtual uint32_t ticks() const = 0;
    virtual LocalTime localTime() const = 0;

    // Screen and text.
    virtual void present(int x, int y, int w, int h) = 0;
    virtual void drawChar(unsigned plane, uint16_t code, int x, int y, unsigned style) = 0;

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

    // The movement speed from the "MOVE" setting: 0, 8 or 16.
    virtual uint16_t moveSpeed() const = 0;

    // Sound: report failed tracks once per pass; stop a channel.
    virtual void reportFailures() = 0;
    virtual void stopSound(int channel) = 0;

    // Commands owned by the other subsystems: system commands (by number
    // 0..20, for the ones the script engine does not carry out) and external
    // commands 90..126. The arguments are those just read.
    virtual void systemCommand(uint32_t number, const ArgumentList& args) = 0;
    virtual void externalCommand(uint32_t number, const ArgumentList& args) = 0;

    // Log file (the fatal error box comes from FatalErrorHandler).
    virtual void logLine(std::string_view text) = 0;
};

} // namespace fer

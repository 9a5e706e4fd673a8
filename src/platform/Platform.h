#pragma once
// What the engine needs of the machine it runs on: a window with a menu bar,
// one event at a time, showing plane 0 through a 256-colour palette, message
// boxes, the mouse cursor and its image, the display mode, the sound output,
// speech, the debug monitor's views, the Shift key's physical state and a
// clock. The SDL2 backend shows a real window; the headless backend shows
// nothing, prints its message boxes on stderr and plays scripted input.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/PaletteEntry.h"
#include "platform/AudioOutput.h"
#include "platform/HelpPage.h"
#include "platform/CursorImage.h"
#include "platform/DebugView.h"
#include "platform/DisplayMode.h"
#include "platform/MenuModel.h"
#include "platform/PlatformEvent.h"
#include "platform/SpeechService.h"

namespace fer {

// A view of an 8-bit plane: rows stored bottom-up, `stride` bytes apart.
struct PlaneView {
    const uint8_t* pixels;
    int width;
    int height;
    int stride;
};

class Platform {
  public:
    virtual ~Platform() = default;

    // Opens the window with its title and menu bar (the headless backend
    // opens nothing). False on failure.
    virtual bool openWindow(std::string_view title, const MenuModel& menu) = 0;
    virtual void closeWindow() = 0;
    // Sets the check mark of a menu item.
    virtual void setMenuCheck(int id, bool checked) = 0;

    // Takes one waiting event; false when none waits. Cheap when none waits.
    virtual bool nextEvent(PlatformEvent& event) = 0;

    // Shows the rectangle (x, y, w, h; y from the top) of the plane through
    // the palette before it returns.
    virtual void present(const PlaneView& plane, std::span<const PaletteEntry, 256> palette, int x,
                         int y, int w, int h) = 0;

    // A warning box with OK; waits until it is closed.
    virtual void messageBox(std::string_view title, std::string_view text) = 0;
    // A question with OK and Cancel; true for OK.
    virtual bool confirmBox(std::string_view title, std::string_view text) = 0;
    // A short notice over the picture that fades after two seconds (the
    // headless backend prints it on stderr); the game goes on meanwhile.
    virtual void showNotice(std::string_view text) = 0;
    // The help with the keys and the about part, modal, closed with OK.
    virtual void helpBox(const HelpPage& page) = 0;
    // A modal choice among script names (loose files or archive entries);
    // the chosen name, or empty when cancelled.
    virtual std::string chooseScriptFile(const std::vector<std::string>& names) = 0;
    // While a box or a modal view waits for the player, the hook runs
    // between its frames, so the engine's timed work goes on; presents made
    // by the hook show behind the box. A backend whose boxes do not wait
    // never runs it.
    virtual void setModalHook(std::function<void()> hook) { (void)hook; }

    // The mouse cursor, in 640x400 client coordinates.
    virtual void showCursor(bool shown) = 0;
    virtual void confineCursor(int left, int top, int right, int bottom) = 0;
    virtual void releaseCursor() = 0;
    virtual void moveCursor(int x, int y) = 0;
    virtual void cursorPosition(int& x, int& y) const = 0;
    // The cursor's look: the game's image, or the system arrow for nullptr
    // (or an image that is not valid).
    virtual void setCursorImage(const CursorImage* image) = 0;

    // Full screen or a window, and how the picture is scaled. False when the
    // mode cannot be entered (the mode stays as it was).
    virtual bool setDisplayMode(DisplayMode mode) = 0;
    virtual DisplayMode displayMode() const = 0;
    virtual void setScaleMode(ScaleMode mode) = 0;
    virtual ScaleMode scaleMode() const = 0;
    // Shows the window at its normal size, maximised or minimised. Returns
    // the size notifications the window system gives at once, in order: the
    // caller handles them before it goes on, nested in its own handling.
    // Notifications the window system gives later arrive as events.
    virtual std::vector<WindowSize> showWindow(WindowShow show) = 0;
    // Whether the window is maximised.
    virtual bool windowMaximised() const = 0;

    // The sound output (closed until the engine opens it).
    virtual AudioOutput& audio() = 0;
    // The desktop's speech service (it connects on the first text spoken).
    virtual SpeechService& speech() = 0;
    // Puts UTF-8 text on the desktop's clipboard (the headless backend has none).
    virtual void setClipboardText(std::string_view utf8) = 0;

    // The debug monitor's windows. A shown view stays up, drawn afresh from
    // its cells, until hidden or closed by the player; a modal view runs
    // until the player closes it, while the timer goes on.
    virtual void showDebugView(DebugView& view) = 0;
    virtual void hideDebugView(DebugView& view) = 0;
    virtual bool debugViewShown(const DebugView& view) const = 0;
    virtual void runDebugView(DebugView& view) = 0;
    // A shown view's contents changed: it is drawn afresh (the headless
    // backend prints it again). Nothing for a view that is not shown.
    virtual void refreshDebugView(DebugView& view) = 0;

    // A modal box with a one-line text field, OK and CANCEL: the text given
    // with OK, nullopt when cancelled.
    virtual std::optional<std::string> askText(std::string_view title, std::string_view prompt) = 0;

    // Whether Shift is down at this moment, whatever has the focus.
    virtual bool shiftHeld() const = 0;

    // Milliseconds from an arbitrary start, monotonic.
    virtual uint64_t milliseconds() const = 0;
    virtual void sleepMilliseconds(int ms) = 0;
    // Waits until an event waits (player's or scripted) or maxMs went by,
    // without taking it.
    virtual void waitForEvent(int maxMs) { sleepMilliseconds(maxMs); }

    // Marks the moment the start script begins to run (scripted input and the
    // quit timer count from there).
    virtual void startClock() = 0;
};

} // namespace fer

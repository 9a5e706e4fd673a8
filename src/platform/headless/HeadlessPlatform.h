#pragma once
// The headless backend: no window and no sound device. Message boxes print
// "TITLE: TEXT" on stderr and take their default answer (OK); input comes
// from a script of timed events; --quit-after becomes a close request; the
// sound output consumes frames in real time; debug views print their text
// on stdout; cursor images, display modes and the window's size states are
// recorded. Modal views and the text box take their keys and text from the
// scripted input; with nothing left to come they close at once (a text box
// is cancelled).

#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "platform/ScriptedInput.h"
#include "platform/StopSignals.h"
#include "platform/TimedEventQueue.h"
#include "platform/VirtualPointer.h"
#include "platform/headless/VirtualAudioOutput.h"

namespace fer {

class HeadlessPlatform : public Platform {
  public:
    HeadlessPlatform(std::vector<TimedEvent> events, std::optional<uint64_t> quitAfterMs);

    bool openWindow(std::string_view title, const MenuModel& menu) override;
    void closeWindow() override {}
    void setMenuCheck(int id, bool checked) override;
    bool menuChecked(int id) const;
    bool nextEvent(PlatformEvent& event) override;
    void present(const PlaneView& plane, std::span<const PaletteEntry, 256> palette, int x, int y,
                 int w, int h) override;
    void messageBox(std::string_view title, std::string_view text) override;
    bool confirmBox(std::string_view title, std::string_view text) override;
    void helpBox(const HelpPage& page) override;
    void showNotice(std::string_view text) override;
    // The headless file choice takes the first name.
    std::string chooseScriptFile(const std::vector<std::string>& names) override;
    void showCursor(bool) override {}
    void confineCursor(int left, int top, int right, int bottom) override;
    void releaseCursor() override { pointer_.release(); }
    void moveCursor(int x, int y) override;
    void cursorPosition(int& x, int& y) const override;
    void setCursorImage(const CursorImage* image) override;
    bool setDisplayMode(DisplayMode mode) override;
    DisplayMode displayMode() const override { return displayMode_; }
    void setScaleMode(ScaleMode mode) override { scaleMode_ = mode; }
    ScaleMode scaleMode() const override { return scaleMode_; }
    // As a desktop window system does: a change of state is notified at
    // once, showing the window in the state it has already is not.
    std::vector<WindowSize> showWindow(WindowShow show) override;
    bool windowMaximised() const override { return windowState_ == WindowSize::kMaximised; }
    AudioOutput& audio() override { return audio_; }
    SpeechService& speech() override { return *speech_; }
    void setClipboardText(std::string_view) override {}
    void showDebugView(DebugView& view) override;
    void hideDebugView(DebugView& view) override { shownViews_.erase(&view); }
    bool debugViewShown(const DebugView& view) const override;
    void runDebugView(DebugView& view) override;
    void refreshDebugView(DebugView& view) override;
    std::optional<std::string> askText(std::string_view title, std::string_view prompt) override;
    bool shiftHeld() const override { return shift_; }
    uint64_t milliseconds() const override;
    void sleepMilliseconds(int ms) override;
    void waitForEvent(int maxMs) override;
    void startClock() override;

    uint64_t presents() const { return presents_; }
    // The title and menu bar the window would show.
    const std::string& title() const { return title_; }
    const MenuModel& menu() const { return menu_; }
    // The cursor image set last (empty for the system arrow), and how many were set.
    const std::optional<CursorImage>& cursorImage() const { return cursorImage_; }
    uint64_t cursorImagesSet() const { return cursorImagesSet_; }

    // The display calls in order: "fullscreen", "windowed", "restore",
    // "maximise", "minimise" (a refused full screen as "fullscreen refused").
    const std::vector<std::string>& displayCalls() const { return displayCalls_; }
    // Called at every display call, before it takes effect.
    void onDisplayCall(std::function<void(const std::string&)> observer) {
        displayObserver_ = std::move(observer);
    }
    // Whether full screen is refused (as by a window system that cannot).
    void refuseFullScreen(bool refuse) { refuseFullScreen_ = refuse; }
    WindowSize windowState() const { return windowState_; }

    // Writes a view's text print (see DebugView.h).
    static void printDebugView(DebugView& view, std::FILE* out);

  private:
    // The next scripted event for a modal view or box, waiting for it while
    // one is still to come; false when nothing more will come.
    bool nextModalEvent(PlatformEvent& event);
    // Hands an event a modal view or box does not take to the engine, after it.
    void keepForLater(PlatformEvent event);
    void recordDisplayCall(std::string call);
    // The window's new state; the notification it gives, if any.
    std::vector<WindowSize> changeWindowState(WindowShow show);

    TimedEventQueue script_;
    StopSignals stop_;
    std::deque<PlatformEvent> pending_; // events that came while a modal view was up
    bool shift_ = false;
    VirtualPointer pointer_;
    uint64_t presents_ = 0;
    std::set<int> checked_;
    std::string title_;
    MenuModel menu_;
    std::optional<CursorImage> cursorImage_;
    uint64_t cursorImagesSet_ = 0;
    DisplayMode displayMode_ = DisplayMode::kWindowed;
    ScaleMode scaleMode_ = ScaleMode::kWholeFactor;
    WindowSize windowState_ = WindowSize::kRestored;
    bool maximisedBeforeMinimise_ = false;
    bool refuseFullScreen_ = false;
    std::vector<std::string> displayCalls_;
    std::function<void(const std::string&)> displayObserver_;
    VirtualAudioOutput audio_;
    std::unique_ptr<SpeechService> speech_ = createSpeechService();
    std::set<const DebugView*> shownViews_;
};

} // namespace fer

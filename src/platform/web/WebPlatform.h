#pragma once
// The browser backend: plane 0 on the page's <canvas>, the menus, boxes,
// file choice and debug views as the page's own HTML (web/page/dialogs.js),
// keyboard, mouse and touch from the page's listeners, full screen through
// the browser. The engine runs on the page's main thread: every wait gives
// control back to the browser (ASYNCIFY), and a box waits for its answer the
// same way while the modal hook keeps the engine's timed work going. The
// page's side is the object Module.ferHost that web/page/engine.js makes.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "platform/PaletteConverter.h"
#include "platform/Platform.h"
#include "platform/SpeechService.h"
#include "platform/VirtualPointer.h"
#include "platform/headless/VirtualAudioOutput.h"

namespace fer {

class WebPlatform : public Platform {
  public:
    bool openWindow(std::string_view title, const MenuModel& menu) override;
    void closeWindow() override;
    void setMenuCheck(int id, bool checked) override;
    bool nextEvent(PlatformEvent& event) override;
    void present(const PlaneView& plane, std::span<const PaletteEntry, 256> palette, int x, int y,
                 int w, int h) override;
    void messageBox(std::string_view title, std::string_view text) override;
    bool confirmBox(std::string_view title, std::string_view text) override;
    void showNotice(std::string_view text) override;
    void helpBox(const HelpPage& page) override;
    std::string chooseScriptFile(const std::vector<std::string>& names) override;
    void setModalHook(std::function<void()> hook) override { modalHook_ = std::move(hook); }
    void showCursor(bool shown) override;
    void confineCursor(int left, int top, int right, int bottom) override;
    void releaseCursor() override { pointer_.release(); }
    void moveCursor(int x, int y) override;
    void cursorPosition(int& x, int& y) const override;
    void setCursorImage(const CursorImage* image) override;
    bool setDisplayMode(DisplayMode mode) override;
    DisplayMode displayMode() const override;
    void setScaleMode(ScaleMode mode) override;
    ScaleMode scaleMode() const override { return scaleMode_; }
    std::vector<WindowSize> showWindow(WindowShow show) override;
    bool windowMaximised() const override { return false; }
    AudioOutput& audio() override { return audio_; }
    void showDebugView(DebugView& view) override;
    void hideDebugView(DebugView& view) override;
    bool debugViewShown(const DebugView& view) const override;
    void runDebugView(DebugView& view) override;
    void refreshDebugView(DebugView& view) override;
    std::optional<std::string> askText(std::string_view title, std::string_view prompt) override;
    bool shiftHeld() const override;
    uint64_t milliseconds() const override;
    void sleepMilliseconds(int ms) override;
    void waitForEvent(int maxMs) override;
    void startClock() override {}

    // The page has no speech service of the desktop's.
    SpeechService& speech() override { return *speech_; }
    void setClipboardText(std::string_view utf8) override;

  private:
    std::unique_ptr<SpeechService> speech_ = createSpeechService();
    // Waits, one frame at a time with the modal hook, until the page's box
    // is answered; the answer (-1 when the page went away).
    int awaitAnswer();

    PaletteConverter converter_;
    std::vector<uint32_t> pixels_ = std::vector<uint32_t>(640 * 400);
    std::function<void()> modalHook_;
    VirtualPointer pointer_;
    ScaleMode scaleMode_ = ScaleMode::kWholeFactor;
    std::set<const DebugView*> shownViews_;
    // Sound is paced and mixed as headless; the page plays nothing yet.
    VirtualAudioOutput audio_;
};

} // namespace fer

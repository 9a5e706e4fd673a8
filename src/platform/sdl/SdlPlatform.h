#pragma once
// The SDL2 backend: a real, resizable window (SdlWindow) with a Dear ImGui
// menu bar, boxes and debug views (ImGuiLayer) over the 640x400 picture,
// SDL's events translated (SdlEventTranslator), the cursor (SdlCursor) and
// the sound device (SdlAudioOutput). Boxes and modal views run their own
// small event loop. Scripted input and the quit timer work as in the
// headless backend, alongside the player's input. Every call but the sound
// device's pulls must come from the thread that created it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/BoxLabels.h"
#include "platform/Platform.h"
#include "platform/ScriptedInput.h"

namespace fer {

struct SdlOptions {
    int scale = 0; // 0: the largest whole factor that fits the desktop
    std::vector<TimedEvent> events;
    std::optional<uint64_t> quitAfterMs;
    ScaleMode scaleMode = ScaleMode::kWholeFactor;
    BoxLabels labels; // the boxes' OK and Cancel
};

class SdlPlatform : public Platform {
  public:
    // Starts SDL's video and creates the (still hidden) window and its
    // renderer; null with the reason in error on failure.
    static std::unique_ptr<SdlPlatform> create(SdlOptions options, std::string& error);
    ~SdlPlatform() override;
    SdlPlatform(const SdlPlatform&) = delete;
    SdlPlatform& operator=(const SdlPlatform&) = delete;

    bool openWindow(std::string_view title, const MenuModel& menu) override;
    void closeWindow() override;
    void setMenuCheck(int id, bool checked) override;
    bool nextEvent(PlatformEvent& event) override;
    void present(const PlaneView& plane, std::span<const PaletteEntry, 256> palette, int x, int y,
                 int w, int h) override;
    void messageBox(std::string_view title, std::string_view text) override;
    bool confirmBox(std::string_view title, std::string_view text) override;
    void helpBox(const HelpPage& page) override;
    void showNotice(std::string_view text) override;
    std::string chooseScriptFile(const std::vector<std::string>& names) override;
    void setModalHook(std::function<void()> hook) override;
    void showCursor(bool shown) override;
    void confineCursor(int left, int top, int right, int bottom) override;
    void releaseCursor() override;
    void moveCursor(int x, int y) override;
    void cursorPosition(int& x, int& y) const override;
    void setCursorImage(const CursorImage* image) override;
    bool setDisplayMode(DisplayMode mode) override;
    DisplayMode displayMode() const override;
    void setScaleMode(ScaleMode mode) override;
    ScaleMode scaleMode() const override;
    // The window system reports its changes later: nothing at once.
    std::vector<WindowSize> showWindow(WindowShow show) override;
    bool windowMaximised() const override;
    AudioOutput& audio() override;
    SpeechService& speech() override { return *speech_; }
    void setClipboardText(std::string_view utf8) override;
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
    void startClock() override;

    // For tests and tools.
    bool menuChecked(int id) const;
    int scaleFactor() const;
    int menuBarHeight() const;
    // Whether the menu bar is shown (in full screen only when called up).
    bool menuBarShown() const;
    void windowSize(int& width, int& height) const;
    void setWindowSize(int width, int height);
    // The picture's top-left corner and factor in the window.
    void pictureOrigin(int& x, int& y) const;
    uint32_t windowId() const;
    // The colour (0xRRGGBB) shown at a window point, read back from the renderer.
    uint32_t shownPixel(int windowX, int windowY) const;
    uint64_t frames() const;
    bool hasCursorImage() const;
    // The rectangle the window system keeps the mouse in (window points);
    // false when it is free.
    bool mouseConfinement(int& x, int& y, int& w, int& h) const;
    bool cursorShownNow() const;
    // How many times the menus are drawn enlarged.
    int menuZoom() const;
    // Game controllers open now.
    size_t gamepads() const;

  private:
    struct Impl;
    explicit SdlPlatform(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
    std::unique_ptr<SpeechService> speech_ = createSpeechService();
};

} // namespace fer

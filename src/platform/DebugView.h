#pragma once
// A window of the debug monitor: text cells laid out in the view's own pixel
// space, which the platform scales to its window. The monitor says what the
// cells are; the platform draws them (Dear ImGui in the window backend, text
// on standard output headless).
//
// The text print of a view (headless, and for tools):
//   <headerLine()>
//   <x> <y> <text>      one line per cell, in drawing order
//   [END VIEW]
// A view with a one-line print (printLine()) prints that line alone.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fer {

struct DebugCell {
    int x = 0; // the cell's top-left corner in the view's pixel space
    int y = 0;
    std::string text;           // UTF-8
    uint32_t colour = 0xFFFFFF; // 0xRRGGBB
};

class DebugView {
  public:
    virtual ~DebugView() = default;

    virtual std::string title() const = 0;
    // The view's own pixel space.
    virtual int width() const = 0;
    virtual int height() const = 0;
    // The cells as they are now; called whenever the view is drawn.
    virtual std::vector<DebugCell> cells() = 0;
    // A key pressed while the view has the focus (a virtual-key code: 33
    // Page Up, 34 Page Down...). False closes a modal view.
    virtual bool key(int virtualKey) { return virtualKey != 27; }
    // The mouse wheel turned (steps up positive) or a button clicked (0 left,
    // 1 right) at (x, y) of the view's pixel space. False closes a modal view.
    virtual bool wheel(int steps) {
        (void)steps;
        return true;
    }
    virtual bool click(int x, int y, int button) {
        (void)x;
        (void)y;
        (void)button;
        return true;
    }

    // How opaque the view's black ground is drawn (255: the picture behind
    // does not show through).
    virtual uint8_t groundAlpha() const { return 255; }

    // The first line of the text print, which names the view and its state.
    virtual std::string headerLine() const { return "[VIEW " + title() + "]"; }
    // The whole text print when the view prints as one line; nullopt for the
    // usual print of its cells.
    virtual std::optional<std::string> printLine() { return std::nullopt; }
};

} // namespace fer

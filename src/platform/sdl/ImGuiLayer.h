#pragma once
// Everything Dear ImGui draws over the picture: the menu bar, the modal boxes
// and the debug monitor's views, with the menu font built for the texts they
// show. One frame at a time, between the picture and the present.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <SDL.h>

#include "platform/DebugView.h"
#include "platform/MenuModel.h"
#include "platform/sdl/ImGuiDialogs.h"
#include "platform/sdl/ImGuiMenuBar.h"
#include "platform/sdl/MenuFont.h"
#include "platform/sdl/MenuGlyphs.h"

struct ImGuiContext;

namespace fer {

class ImGuiLayer {
  public:
    ImGuiLayer();
    ~ImGuiLayer();
    ImGuiLayer(const ImGuiLayer&) = delete;
    ImGuiLayer& operator=(const ImGuiLayer&) = delete;

    // Connects to the window and renderer and finds the menu font. False
    // when ImGui's SDL backends cannot start.
    bool attach(SDL_Window* window, SDL_Renderer* renderer);
    // The menu bar's height before the first frame: one line of the font
    // with the frame padding above and below.
    static int initialMenuHeight();

    // The menu model, and the texts whose glyphs the font must hold.
    void setMenu(const MenuModel& menu, std::string_view title);
    ImGuiMenuBar& menuBar() { return menuBar_; }
    void addTexts(std::string_view a, std::string_view b);

    // Draws the menus and boxes `zoom` times enlarged (a whole number, so the
    // bitmap font stays sharp), on a window of rx x ry pixels per point.
    void setZoom(int zoom, float rx, float ry);
    int zoom() const { return zoom_; }

    // Hands an SDL event to ImGui.
    void process(const SDL_Event& event);
    // Whether a press at window row y belongs to the menus (barRows: the
    // rows the shown bar takes, 0 while it is hidden).
    bool wantsPress(int y, int barRows) const;
    // Whether a menu or box is open.
    bool menusOpen() const;
    // Whether the frames to come draw the menu bar.
    void setMenuBarShown(bool shown) { barShown_ = shown; }

    // What a frame draws besides the menu bar.
    struct Overlays {
        MessageBoxView* box = nullptr;
        ScriptChooserView* chooser = nullptr;
        DebugView* modalView = nullptr;
        TextEntryView* entry = nullptr;
        HelpBoxView* help = nullptr;
        BoxAnswer* answer = nullptr;
    };
    // Draws one ImGui frame over what the renderer holds. Returns the id of a
    // menu item chosen in it, or 0. pictureX/Y/W/H: where debug views are laid.
    int drawFrame(const Overlays& overlays, int pictureW, int pictureH);

    // A notice drawn over the picture's lower left corner in the frames to
    // come, at this opacity (0: none).
    void setNotice(std::string text, float alpha) {
        notice_ = std::move(text);
        noticeAlpha_ = alpha;
    }

    // The debug views shown without blocking, drawn in every frame until
    // hidden or closed by the player.
    void showView(DebugView& view);
    // Makes sure the font holds the glyphs of a view's title and cells.
    void addViewTexts(DebugView& view);
    void hideView(DebugView& view);
    bool viewShown(const DebugView& view) const;
    // Whether the modal view was closed in the last frame (its close button).
    bool modalClosed() const { return modalClosed_; }

  private:
    // slot: how many views opened before this one are still up (where it opens).
    void drawView(DebugView& view, int slot, bool* open, bool modal, int pictureW, int pictureH);
    void rebuildFont();

    ImGuiContext* context_ = nullptr;
    bool platformAttached_ = false;
    bool rendererAttached_ = false;
    ImGuiMenuBar menuBar_;
    MenuGlyphs glyphs_;
    MenuFont font_;
    std::string fontPath_;
    struct ShownView {
        DebugView* view;
        int slot;
    };
    std::vector<ShownView> views_;
    bool modalClosed_ = false;
    int zoom_ = 1;
    bool barShown_ = true;
    // Where the last mouse motion put the pointer (window points), and
    // whether it is in the window: the menus follow the events, not the
    // pointer state the X server reports, which lags without input events
    // of its own and left a highlight where the pointer no longer was.
    float mouseX_ = 0.0f, mouseY_ = 0.0f;
    bool mouseKnown_ = false;
    float pixelRatioX_ = 1.0f;
    float pixelRatioY_ = 1.0f;
    std::string notice_;
    float noticeAlpha_ = 0.0f;
};

} // namespace fer

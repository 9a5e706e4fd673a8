#pragma once
// The window's menu bar drawn with Dear ImGui from the menu model, with the
// items' check marks.

#include "platform/MenuModel.h"

namespace fer {

class ImGuiMenuBar {
  public:
    void setModel(MenuModel model) { model_ = std::move(model); }
    const MenuModel& model() const { return model_; }

    // Sets an item's check mark; false when no item has the id.
    bool setCheck(int id, bool checked);
    bool checked(int id) const;

    // Draws the bar in the current ImGui frame (greyed out while a box is up)
    // and returns the id of the item chosen in this frame, or 0. Also
    // records the bar's height.
    int draw(bool enabled);
    // The height of the bar as last drawn (0 before the first frame).
    float height() const { return height_; }

  private:
    MenuModel model_;
    float height_ = 0;
};

} // namespace fer

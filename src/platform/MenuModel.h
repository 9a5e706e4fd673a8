#pragma once
// The window's menu bar as data: popups and items with their ids, texts
// (UTF-8) and check marks. The platform draws it and reports a chosen item
// as a menu event with the item's id.

#include <string>
#include <vector>

namespace fer {

struct MenuItem {
    std::string text;
    int id = 0;                  // 0 for a popup
    std::vector<MenuItem> items; // the popup's items
    bool checked = false;
};

struct MenuModel {
    std::vector<MenuItem> bar;
};

// The menus of the engine window: 103 with the "Debug" commands, 104 without.
// The settings popup ends with the display's popup: full screen and the
// three ways of scaling the picture.
// The text features' items carry these captions (the game's language).
struct TextMenuCaptions {
    std::string history = "History";
    std::string skipRead = "Skip read text";
    std::string autoMode = "Auto mode";
};
MenuModel engineMenu(bool debugMenu, const TextMenuCaptions& text = {});

// Adds a popup at the end of the settings popup.
void addSettingsPopup(MenuModel& menu, MenuItem popup);

} // namespace fer

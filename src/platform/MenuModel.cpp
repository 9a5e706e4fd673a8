#include "platform/MenuModel.h"

namespace fer {

namespace {

MenuItem popup(std::string text, std::vector<MenuItem> items) {
    MenuItem m;
    m.text = std::move(text);
    m.items = std::move(items);
    return m;
}

MenuItem item(std::string text, int id) {
    MenuItem m;
    m.text = std::move(text);
    m.id = id;
    return m;
}

MenuItem settingsPopup() {
    return popup(
        "环境设定",
        {popup("音乐", {item("ＯＮ", 40017), item("ＯＦＦ", 40018)}),
         popup("音声", {item("ＯＮ", 40019), item("ＯＦＦ", 40020)}),
         popup("移动速度", {item("慢速", 40021), item("普通", 40022), item("快速", 40023)}),
         popup("辅助地图移动", {item("通常移动", 40025), item("省略移动", 40026)})});
}

} // namespace

MenuModel engineMenu(bool debugMenu) {
    MenuModel menu;
    if (!debugMenu) {
        menu.bar = {settingsPopup(), item("Help", 40003)};
        return menu;
    }
    menu.bar = {
        item("FileLoad", 40001),
        settingsPopup(),
        popup("Debug",
              {item("NOW FILE", 40009),
               popup("View Vram",
                     {item("View Primary Vram", 40004), item("View Back    Vram 1", 40005),
                      item("View Back    Vram 2", 40006), item("View Back    Vram 3", 40007),
                      item("View Back    Vram 4", 40008), item("View Back    Vram 5", 40016)}),
               item("View FLAG", 40010), item("View 16BIT REG", 40011),
               item("View 32BIT REG", 40012), item("View 16BIT DIM", 40014),
               item("View 32BIT DIM", 40015), item("DUMP", 40013), item("COMMAND", 40024)}),
        item("Help", 40003),
    };
    return menu;
}

} // namespace fer

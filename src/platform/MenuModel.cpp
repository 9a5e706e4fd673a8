#include "platform/MenuModel.h"

#include <string>

#include "core/MenuIds.h"

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

// A popup's ON and OFF, then its volumes from loud to quiet.
std::vector<MenuItem> soundItems(int on, int off, int volume0) {
    std::vector<MenuItem> items{item("ＯＮ", on), item("ＯＦＦ", off)};
    for (int step = menu_id::kVolumeSteps - 1; step >= 0; --step)
        items.push_back(item("音量 " + std::to_string(step * 25) + "%", volume0 + step));
    return items;
}

MenuItem settingsPopup(const TextMenuCaptions& text) {
    return popup(
        "环境设定",
        {popup("音乐", soundItems(menu_id::kMusicOn, menu_id::kMusicOff, menu_id::kMusicVolume0)),
         popup("音声", soundItems(menu_id::kVoiceOn, menu_id::kVoiceOff, menu_id::kVoiceVolume0)),
         popup("移动速度", {item("慢速", menu_id::kMoveSlow), item("普通", menu_id::kMoveNormal), item("快速", menu_id::kMoveFast)}),
         popup("辅助地图移动", {item("通常移动", menu_id::kSubmapNormal), item("省略移动", menu_id::kSubmapSkip)}),
         popup("画面",
               {item("全屏", menu_id::kFullScreen), item("整数倍放大", menu_id::kScaleWhole),
                item("保持比例", menu_id::kScaleFit), item("拉伸", menu_id::kScaleStretch)}),
         item(text.history, menu_id::kHistory), item(text.skipRead, menu_id::kSkipRead),
         item(text.autoMode, menu_id::kAutoMode)});
}

} // namespace

void addSettingsPopup(MenuModel& menu, MenuItem added) {
    for (MenuItem& top : menu.bar) {
        if (top.id == 0 && top.text == "环境设定") {
            top.items.push_back(std::move(added));
            return;
        }
    }
}

MenuModel engineMenu(bool debugMenu, const TextMenuCaptions& text) {
    MenuModel menu;
    if (!debugMenu) {
        menu.bar = {settingsPopup(text), item("Help", menu_id::kHelp)};
        return menu;
    }
    menu.bar = {
        item("FileLoad", menu_id::kFileLoad),
        settingsPopup(text),
        popup("Debug",
              {item("NOW FILE", menu_id::kNowFile),
               popup("View Vram",
                     {item("View Primary Vram", menu_id::kViewPrimary), item("View Back    Vram 1", menu_id::kViewBack1),
                      item("View Back    Vram 2", menu_id::kViewBack2), item("View Back    Vram 3", menu_id::kViewBack3),
                      item("View Back    Vram 4", menu_id::kViewBack4), item("View Back    Vram 5", menu_id::kViewBack5)}),
               item("View FLAG", menu_id::kViewFlags), item("View 16BIT REG", menu_id::kViewReg16),
               item("View 32BIT REG", menu_id::kViewReg32), item("View 16BIT DIM", menu_id::kViewDim16),
               item("View 32BIT DIM", menu_id::kViewDim32), item("DUMP", menu_id::kDump), item("COMMAND", menu_id::kCommand),
               item("CODE", menu_id::kViewCode), item("LIVE", menu_id::kLiveViews)}),
        item("Help", menu_id::kHelp),
    };
    return menu;
}

} // namespace fer

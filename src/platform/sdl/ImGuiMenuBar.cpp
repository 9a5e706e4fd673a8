#include "platform/sdl/ImGuiMenuBar.h"

#include <imgui.h>

namespace fer {

namespace {

// The item with the id (const or not, as the list).
template <typename Items> auto findItem(Items& items, int id) -> decltype(&items.front()) {
    for (auto& item : items) {
        if (item.id == id && item.items.empty()) return &item;
        if (auto* found = findItem(item.items, id)) return found;
    }
    return nullptr;
}

// Draws one item or popup; sets chosen to the id of an activated item.
void drawItem(const MenuItem& item, int& chosen) {
    if (!item.items.empty() || item.id == 0) {
        if (ImGui::BeginMenu(item.text.c_str())) {
            for (const auto& child : item.items) drawItem(child, chosen);
            ImGui::EndMenu();
        }
        return;
    }
    ImGui::PushID(item.id);
    if (ImGui::MenuItem(item.text.c_str(), nullptr, item.checked)) chosen = item.id;
    ImGui::PopID();
}

} // namespace

bool ImGuiMenuBar::setCheck(int id, bool checked) {
    MenuItem* item = findItem(model_.bar, id);
    if (!item) return false;
    item->checked = checked;
    return true;
}

bool ImGuiMenuBar::checked(int id) const {
    const MenuItem* item = findItem(model_.bar, id);
    return item && item->checked;
}

int ImGuiMenuBar::draw(bool enabled) {
    int chosen = 0;
    if (!ImGui::BeginMainMenuBar()) return 0;
    height_ = ImGui::GetWindowHeight();
    if (!enabled) ImGui::BeginDisabled();
    for (const auto& item : model_.bar) drawItem(item, chosen);
    if (!enabled) ImGui::EndDisabled();
    ImGui::EndMainMenuBar();
    return enabled ? chosen : 0;
}

} // namespace fer

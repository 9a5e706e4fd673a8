#include "platform/sdl/ImGuiDialogs.h"

#include <algorithm>

#include <imgui.h>

namespace fer {

namespace {

constexpr float kButtonWidth = 80.0f;
constexpr const char* kOk = "OK";
constexpr const char* kCancel = "Cancel";

void centreNextWindow() {
    const ImGuiViewport* viewport = ImGui::GetMainViewport();
    ImGui::SetNextWindowPos(viewport->GetCenter(), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
}

bool isDecideKey(int vk) {
    return vk == 13 || vk == 32;
}

} // namespace

MessageBoxView::MessageBoxView(std::string title, std::string text, bool withCancel)
    : title_(std::move(title)), text_(std::move(text)), id_(title_ + "##fer-box"),
      withCancel_(withCancel) {}

BoxAnswer MessageBoxView::key(int vk) const {
    if (isDecideKey(vk)) return BoxAnswer::kOk;
    if (vk == 27) return withCancel_ ? BoxAnswer::kCancel : BoxAnswer::kOk;
    return BoxAnswer::kNone;
}

BoxAnswer MessageBoxView::draw() {
    if (!opened_) {
        ImGui::OpenPopup(id_.c_str());
        opened_ = true;
    }
    BoxAnswer answer = BoxAnswer::kNone;
    centreNextWindow();
    if (ImGui::BeginPopupModal(id_.c_str(), nullptr,
                               ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoMove |
                                   ImGuiWindowFlags_NoSavedSettings)) {
        ImGui::TextUnformatted(text_.data(), text_.data() + text_.size());
        ImGui::Spacing();
        if (ImGui::Button(kOk, ImVec2(kButtonWidth, 0))) answer = BoxAnswer::kOk;
        if (withCancel_) {
            ImGui::SameLine();
            if (ImGui::Button(kCancel, ImVec2(kButtonWidth, 0))) answer = BoxAnswer::kCancel;
        }
        ImGui::EndPopup();
    }
    return answer;
}

ScriptChooserView::ScriptChooserView(std::vector<std::string> names) : names_(std::move(names)) {}

std::string ScriptChooserView::selected() const {
    if (names_.empty()) return {};
    return names_[static_cast<size_t>(
        std::clamp(selected_, 0, static_cast<int>(names_.size()) - 1))];
}

BoxAnswer ScriptChooserView::key(int vk) {
    if (isDecideKey(vk)) return names_.empty() ? BoxAnswer::kCancel : BoxAnswer::kOk;
    if (vk == 27) return BoxAnswer::kCancel;
    const int last = std::max(0, static_cast<int>(names_.size()) - 1);
    if (vk == 38 || vk == 104) selected_ = std::max(0, selected_ - 1);
    if (vk == 40 || vk == 98) selected_ = std::min(last, selected_ + 1);
    scrollToSelection_ = true;
    return BoxAnswer::kNone;
}

BoxAnswer ScriptChooserView::draw() {
    static constexpr const char* kId = "*.MES##fer-chooser";
    if (!opened_) {
        ImGui::OpenPopup(kId);
        opened_ = true;
    }
    BoxAnswer answer = BoxAnswer::kNone;
    centreNextWindow();
    if (ImGui::BeginPopupModal(kId, nullptr,
                               ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoMove |
                                   ImGuiWindowFlags_NoSavedSettings)) {
        const float rowHeight = ImGui::GetTextLineHeightWithSpacing();
        if (ImGui::BeginListBox("##files", ImVec2(320.0f, rowHeight * 10.5f))) {
            for (int i = 0; i < static_cast<int>(names_.size()); ++i) {
                const bool isSelected = i == selected_;
                ImGui::PushID(i);
                if (ImGui::Selectable(names_[static_cast<size_t>(i)].c_str(), isSelected,
                                      ImGuiSelectableFlags_AllowDoubleClick)) {
                    selected_ = i;
                    if (ImGui::IsMouseDoubleClicked(0)) answer = BoxAnswer::kOk;
                }
                if (isSelected && scrollToSelection_) ImGui::SetScrollHereY();
                ImGui::PopID();
            }
            scrollToSelection_ = false;
            ImGui::EndListBox();
        }
        ImGui::Spacing();
        if (names_.empty()) ImGui::BeginDisabled();
        if (ImGui::Button(kOk, ImVec2(kButtonWidth, 0))) answer = BoxAnswer::kOk;
        if (names_.empty()) ImGui::EndDisabled();
        ImGui::SameLine();
        if (ImGui::Button(kCancel, ImVec2(kButtonWidth, 0))) answer = BoxAnswer::kCancel;
        ImGui::EndPopup();
    }
    return answer;
}

} // namespace fer

#include "platform/sdl/ImGuiDialogs.h"

#include <algorithm>
#include <cfloat>
#include <cstring>

#include <imgui.h>

namespace fer {

namespace {

constexpr float kButtonWidth = 80.0f;

void centreNextWindow() {
    const ImGuiViewport* viewport = ImGui::GetMainViewport();
    ImGui::SetNextWindowPos(viewport->GetCenter(), ImGuiCond_Always, ImVec2(0.5f, 0.5f));
}

// Both buttons as wide, and wide enough for the longer label.
float buttonWidth(const BoxLabels& labels) {
    const float padding = 2 * ImGui::GetStyle().FramePadding.x;
    return std::max({kButtonWidth, ImGui::CalcTextSize(labels.ok.c_str()).x + padding,
                     ImGui::CalcTextSize(labels.cancel.c_str()).x + padding});
}

// Opens the popup id on its first frame, centred on the window.
void openCentred(const char* id, bool& opened) {
    if (!opened) {
        ImGui::OpenPopup(id);
        opened = true;
    }
    centreNextWindow();
}

bool isDecideKey(int vk) {
    return vk == 13 || vk == 32;
}

} // namespace

MessageBoxView::MessageBoxView(std::string title, std::string text, bool withCancel,
                               BoxLabels labels)
    : title_(std::move(title)), text_(std::move(text)), id_(title_ + "##fer-box"),
      withCancel_(withCancel), labels_(std::move(labels)) {}

BoxAnswer MessageBoxView::key(int vk) const {
    if (isDecideKey(vk)) return BoxAnswer::kOk;
    if (vk == 27) return withCancel_ ? BoxAnswer::kCancel : BoxAnswer::kOk;
    return BoxAnswer::kNone;
}

BoxAnswer MessageBoxView::draw() {
    openCentred(id_.c_str(), opened_);
    BoxAnswer answer = BoxAnswer::kNone;
    // As wide as its title or its text, whichever is wider, and never wider
    // than the window: a longer text wraps.
    const ImGuiStyle& style = ImGui::GetStyle();
    const float widest = ImGui::GetMainViewport()->WorkSize.x;
    const float titleWidth =
        ImGui::CalcTextSize(title_.c_str()).x + 2 * (style.FramePadding.x + style.WindowPadding.x);
    ImGui::SetNextWindowSizeConstraints(ImVec2(std::min(titleWidth, widest), 0.0f),
                                        ImVec2(widest, FLT_MAX));
    if (ImGui::BeginPopupModal(id_.c_str(), nullptr,
                               ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoMove |
                                   ImGuiWindowFlags_NoSavedSettings)) {
        ImGui::PushTextWrapPos(widest - 2 * style.WindowPadding.x);
        ImGui::TextUnformatted(text_.data(), text_.data() + text_.size());
        ImGui::PopTextWrapPos();
        ImGui::Spacing();
        const float width = buttonWidth(labels_);
        if (ImGui::Button(labels_.ok.c_str(), ImVec2(width, 0))) answer = BoxAnswer::kOk;
        if (withCancel_) {
            ImGui::SameLine();
            if (ImGui::Button(labels_.cancel.c_str(), ImVec2(width, 0)))
                answer = BoxAnswer::kCancel;
        }
        ImGui::EndPopup();
    }
    return answer;
}

ScriptChooserView::ScriptChooserView(std::vector<std::string> names, BoxLabels labels)
    : names_(std::move(names)), labels_(std::move(labels)) {}

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
    openCentred(kId, opened_);
    BoxAnswer answer = BoxAnswer::kNone;
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
        const float width = buttonWidth(labels_);
        if (ImGui::Button(labels_.ok.c_str(), ImVec2(width, 0))) answer = BoxAnswer::kOk;
        if (names_.empty()) ImGui::EndDisabled();
        ImGui::SameLine();
        if (ImGui::Button(labels_.cancel.c_str(), ImVec2(width, 0)))
            answer = BoxAnswer::kCancel;
        ImGui::EndPopup();
    }
    return answer;
}

namespace {
// The field holds this many bytes with the terminating zero.
constexpr size_t kTextCapacity = 256;
} // namespace

TextEntryView::TextEntryView(std::string title, std::string prompt)
    : title_(std::move(title)), prompt_(std::move(prompt)), id_(title_ + "##fer-text"),
      buffer_(kTextCapacity, '\0') {}

BoxAnswer TextEntryView::key(int vk) const {
    if (vk == 13) return BoxAnswer::kOk;
    if (vk == 27) return BoxAnswer::kCancel;
    return BoxAnswer::kNone;
}

void TextEntryView::type(const std::string& text) {
    typed_ += text;
}

std::string TextEntryView::text() const {
    std::string text(buffer_.data());
    return text + typed_.substr(0, buffer_.size() - 1 - std::min(buffer_.size() - 1, text.size()));
}

BoxAnswer TextEntryView::draw() {
    if (!opened_) {
        ImGui::OpenPopup(id_.c_str());
    }
    BoxAnswer answer = BoxAnswer::kNone;
    centreNextWindow();
    if (ImGui::BeginPopupModal(id_.c_str(), nullptr,
                               ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoMove |
                                   ImGuiWindowFlags_NoSavedSettings)) {
        ImGui::TextUnformatted(prompt_.data(), prompt_.data() + prompt_.size());
        if (!opened_) ImGui::SetKeyboardFocusHere();
        ImGui::SetNextItemWidth(2 * kButtonWidth + ImGui::GetStyle().ItemSpacing.x);
        // While the field is being edited ImGui holds its text: scripted text
        // goes in through the editing callback, else straight into the buffer.
        auto insertTyped = [](ImGuiInputTextCallbackData* data) {
            auto* typed = static_cast<std::string*>(data->UserData);
            if (!typed->empty()) {
                const int room = data->BufSize - 1 - data->BufTextLen;
                const int n = std::min(room, static_cast<int>(typed->size()));
                data->InsertChars(data->CursorPos, typed->data(), typed->data() + n);
                typed->clear();
            }
            return 0;
        };
        ImGui::InputText("##field", buffer_.data(), buffer_.size(),
                         ImGuiInputTextFlags_CallbackAlways, insertTyped, &typed_);
        if (!typed_.empty()) {
            const size_t used = std::strlen(buffer_.data());
            const size_t n = std::min(buffer_.size() - 1 - used, typed_.size());
            std::memcpy(buffer_.data() + used, typed_.data(), n);
            buffer_[used + n] = '\0';
            typed_.clear();
        }
        ImGui::Spacing();
        if (ImGui::Button("OK", ImVec2(kButtonWidth, 0))) answer = BoxAnswer::kOk;
        ImGui::SameLine();
        if (ImGui::Button("CANCEL", ImVec2(kButtonWidth, 0))) answer = BoxAnswer::kCancel;
        ImGui::EndPopup();
    }
    opened_ = true;
    return answer;
}

HelpBoxView::HelpBoxView(HelpPage page) : page_(std::move(page)), id_(page_.title + "##fer-help") {}

BoxAnswer HelpBoxView::key(int vk) const {
    return isDecideKey(vk) || vk == 27 ? BoxAnswer::kOk : BoxAnswer::kNone;
}

BoxAnswer HelpBoxView::draw() {
    openCentred(id_.c_str(), opened_);
    BoxAnswer answer = BoxAnswer::kNone;
    // Room on every side: twice the usual padding, and a gap between the
    // keys and what they do.
    const ImGuiStyle& style = ImGui::GetStyle();
    const ImVec2 padding(style.WindowPadding.x * 2.5f, style.WindowPadding.y * 2.0f);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, padding);
    if (ImGui::BeginPopupModal(id_.c_str(), nullptr,
                               ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoMove |
                                   ImGuiWindowFlags_NoSavedSettings)) {
        ImGui::TextDisabled("%s", page_.keysHeading.c_str());
        ImGui::Spacing();
        float keysWidth = 0.0f;
        for (const auto& row : page_.keys)
            keysWidth = std::max(keysWidth, ImGui::CalcTextSize(row.first.c_str()).x);
        const float actionsAt = ImGui::GetCursorPosX() + keysWidth + 2 * style.ItemSpacing.x +
                                ImGui::CalcTextSize("  ").x;
        for (const auto& [keys, action] : page_.keys) {
            ImGui::TextUnformatted(keys.c_str());
            ImGui::SameLine(actionsAt);
            ImGui::TextUnformatted(action.c_str());
        }
        ImGui::Spacing();
        ImGui::Separator();
        ImGui::Spacing();
        ImGui::TextDisabled("%s", page_.aboutHeading.c_str());
        ImGui::Spacing();
        ImGui::TextUnformatted(page_.about.c_str());
        ImGui::Spacing();
        ImGui::Spacing();
        if (ImGui::Button(page_.ok.c_str(), ImVec2(kButtonWidth, 0))) answer = BoxAnswer::kOk;
        ImGui::EndPopup();
    }
    ImGui::PopStyleVar();
    return answer;
}

} // namespace fer

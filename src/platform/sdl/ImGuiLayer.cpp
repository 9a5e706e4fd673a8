#include "platform/sdl/ImGuiLayer.h"

#include <algorithm>
#include <cfloat>
#include <cstdio>

#include <imgui.h>
#include <imgui_impl_sdl.h>
#include <imgui_impl_sdlrenderer.h>

namespace fer {

namespace {
// The menus' look at zoom 1.
ImGuiStyle baseStyle() {
    ImGuiStyle style;
    ImGui::StyleColorsDark(&style);
    style.WindowRounding = 0;
    style.PopupRounding = 0;
    style.FrameRounding = 0;
    style.Colors[ImGuiCol_ModalWindowDimBg] = ImVec4(0, 0, 0, 0.4f); // darken, not fog
    // Boxes and views hide the picture behind them: a list over a busy
    // picture cannot be read.
    style.Colors[ImGuiCol_WindowBg].w = 1.0f;
    style.Colors[ImGuiCol_PopupBg].w = 1.0f;
    return style;
}
} // namespace

ImGuiLayer::ImGuiLayer() {
    IMGUI_CHECKVERSION();
    context_ = ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr; // no imgui.ini in the game directory
    io.LogFilename = nullptr;
    // The engine decides whether the cursor is shown.
    io.ConfigFlags |= ImGuiConfigFlags_NoMouseCursorChange;
    ImGui::GetStyle() = baseStyle();
}

ImGuiLayer::~ImGuiLayer() {
    if (rendererAttached_) ImGui_ImplSDLRenderer_Shutdown();
    if (platformAttached_) ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext(context_);
}

int ImGuiLayer::initialMenuHeight() {
    return static_cast<int>(MenuFont::kPixelSize + 2 * ImGui::GetStyle().FramePadding.y);
}

bool ImGuiLayer::attach(SDL_Window* window, SDL_Renderer* renderer) {
    platformAttached_ = ImGui_ImplSDL2_InitForSDLRenderer(window);
    rendererAttached_ = platformAttached_ && ImGui_ImplSDLRenderer_Init(renderer);
    if (!rendererAttached_) return false;
    fontPath_ = MenuFont::findFile();
    if (!font_.build(fontPath_, glyphs_))
        std::fprintf(stderr, "engine: no CJK font found for the menus (install fonts-unifont)\n");
    return true;
}

void ImGuiLayer::rebuildFont() {
    font_.build(fontPath_, glyphs_);
    ImGui_ImplSDLRenderer_DestroyFontsTexture();
    ImGui_ImplSDLRenderer_CreateFontsTexture();
}

void ImGuiLayer::setMenu(const MenuModel& menu, std::string_view title) {
    menuBar_.setModel(menu);
    glyphs_.add(title);
    glyphs_.add(menu);
    rebuildFont();
}

void ImGuiLayer::addTexts(std::string_view a, std::string_view b) {
    bool added = glyphs_.add(a);
    added |= glyphs_.add(b);
    if (added) rebuildFont();
}

void ImGuiLayer::setZoom(int zoom, float rx, float ry) {
    pixelRatioX_ = rx;
    pixelRatioY_ = ry;
    if (zoom == zoom_) return;
    // Sizes are scaled from the style as set up, not from the last zoom.
    ImGuiStyle style = baseStyle();
    style.ScaleAllSizes(static_cast<float>(zoom));
    ImGui::GetStyle() = style;
    ImGui::GetIO().FontGlobalScale = static_cast<float>(zoom);
    zoom_ = zoom;
}

void ImGuiLayer::process(const SDL_Event& event) {
    ImGui_ImplSDL2_ProcessEvent(&event);
    if (event.type == SDL_MOUSEMOTION) {
        mouseX_ = static_cast<float>(event.motion.x);
        mouseY_ = static_cast<float>(event.motion.y);
        mouseKnown_ = true;
    } else if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) {
        mouseX_ = static_cast<float>(event.button.x);
        mouseY_ = static_cast<float>(event.button.y);
        mouseKnown_ = true;
    } else if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_LEAVE) {
        mouseKnown_ = false;
    }
}

bool ImGuiLayer::wantsPress(int y, int barRows) const {
    return y < barRows || ImGui::GetIO().WantCaptureMouse || menusOpen();
}

bool ImGuiLayer::menusOpen() const {
    return ImGui::IsPopupOpen(nullptr, ImGuiPopupFlags_AnyPopup);
}

void ImGuiLayer::showView(DebugView& view) {
    if (!viewShown(view)) views_.push_back(&view);
    addViewTexts(view);
}

void ImGuiLayer::addViewTexts(DebugView& view) {
    bool added = glyphs_.add(view.title());
    for (const DebugCell& cell : view.cells()) added |= glyphs_.add(cell.text);
    if (added) rebuildFont();
}

void ImGuiLayer::hideView(DebugView& view) {
    views_.erase(std::remove(views_.begin(), views_.end(), &view), views_.end());
}

bool ImGuiLayer::viewShown(const DebugView& view) const {
    return std::find(views_.begin(), views_.end(), &view) != views_.end();
}

void ImGuiLayer::drawView(DebugView& view, bool* open, bool modal, int pictureW, int pictureH) {
    // The view's own pixel space, scaled as the picture is.
    const float scale = std::max(1.0f, std::min(static_cast<float>(pictureW) / 640.0f,
                                                static_cast<float>(pictureH) / 400.0f));
    const ImVec2 size(static_cast<float>(view.width()) * scale,
                      static_cast<float>(view.height()) * scale);
    ImGui::SetNextWindowSize(ImVec2(size.x + 16, size.y + 40), ImGuiCond_Appearing);
    // A view first appears in the middle of the window, wholly inside it.
    ImGui::SetNextWindowPos(ImGui::GetMainViewport()->GetCenter(), ImGuiCond_Appearing,
                            ImVec2(0.5f, 0.5f));
    const std::string title =
        view.title() + "##" + std::to_string(reinterpret_cast<uintptr_t>(&view));
    if (view.groundAlpha() < 255) ImGui::SetNextWindowBgAlpha(0.0f); // the picture shows through
    if (ImGui::Begin(title.c_str(), open, ImGuiWindowFlags_NoSavedSettings)) {
        const ImVec2 origin = ImGui::GetCursorScreenPos();
        ImDrawList* draw = ImGui::GetWindowDrawList();
        draw->AddRectFilled(origin, ImVec2(origin.x + size.x, origin.y + size.y),
                            IM_COL32(0, 0, 0, view.groundAlpha()));
        const float fontSize = MenuFont::kPixelSize * scale;
        for (const DebugCell& cell : view.cells()) {
            const ImU32 colour = IM_COL32((cell.colour >> 16) & 0xFF, (cell.colour >> 8) & 0xFF,
                                          cell.colour & 0xFF, 255);
            draw->AddText(ImGui::GetFont(), fontSize,
                          ImVec2(origin.x + static_cast<float>(cell.x) * scale,
                                 origin.y + static_cast<float>(cell.y) * scale),
                          colour, cell.text.c_str());
        }
        ImGui::Dummy(size);
        // A modal view hears the wheel and the clicks over its picture, in
        // its own pixel space; its answer may close it.
        if (modal && ImGui::IsItemHovered()) {
            const ImVec2 mouse = ImGui::GetIO().MousePos;
            const int x = static_cast<int>((mouse.x - origin.x) / scale);
            const int y = static_cast<int>((mouse.y - origin.y) / scale);
            const float turned = ImGui::GetIO().MouseWheel;
            bool stays = true;
            if (turned != 0.0f) stays = view.wheel(turned > 0.0f ? 1 : -1);
            if (stays && ImGui::IsMouseClicked(ImGuiMouseButton_Left)) stays = view.click(x, y, 0);
            if (stays && ImGui::IsMouseClicked(ImGuiMouseButton_Right)) stays = view.click(x, y, 1);
            if (!stays) *open = false;
        }
        // A view shown without blocking pages with the keys while it has the focus
        // (a modal view hears its keys from the box's own loop).
        if (!modal && ImGui::IsWindowFocused()) {
            if (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_PageUp))) view.key(33);
            if (ImGui::IsKeyPressed(ImGui::GetKeyIndex(ImGuiKey_PageDown))) view.key(34);
        }
    }
    ImGui::End();
}

int ImGuiLayer::drawFrame(const Overlays& o, int pictureW, int pictureH) {
    ImGui_ImplSDLRenderer_NewFrame();
    ImGui_ImplSDL2_NewFrame();
    // The pointer where the events put it; outside the window, nowhere.
    ImGuiIO& io = ImGui::GetIO();
    if (!mouseKnown_) {
        io.MousePos = ImVec2(-FLT_MAX, -FLT_MAX);
    } else if (io.MousePos.x != -FLT_MAX) {
        io.MousePos = ImVec2(mouseX_, mouseY_);
    }
    // The renderer's own pixels per point (the backend asks OpenGL, which
    // this renderer need not be).
    ImGui::GetIO().DisplayFramebufferScale = ImVec2(pixelRatioX_, pixelRatioY_);
    ImGui::NewFrame();
    const bool modal = o.box || o.chooser || o.modalView || o.entry || o.help;
    const int chosen = barShown_ ? menuBar_.draw(!modal) : 0;
    for (size_t i = 0; i < views_.size();) {
        bool open = true;
        drawView(*views_[i], &open, false, pictureW, pictureH);
        if (open)
            ++i;
        else
            views_.erase(views_.begin() + static_cast<ptrdiff_t>(i));
    }
    modalClosed_ = false;
    if (o.modalView) {
        bool open = true;
        drawView(*o.modalView, &open, true, pictureW, pictureH);
        modalClosed_ = !open;
    }
    if (noticeAlpha_ > 0.0f && !notice_.empty()) {
        const ImGuiViewport* viewport = ImGui::GetMainViewport();
        const float margin = 8.0f * static_cast<float>(zoom_);
        ImGui::SetNextWindowPos(ImVec2(viewport->WorkPos.x + margin,
                                       viewport->WorkPos.y + viewport->WorkSize.y - margin),
                                ImGuiCond_Always, ImVec2(0.0f, 1.0f));
        ImGui::PushStyleVar(ImGuiStyleVar_Alpha, noticeAlpha_);
        ImGui::Begin("##fer-notice", nullptr,
                     ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoInputs |
                         ImGuiWindowFlags_NoFocusOnAppearing | ImGuiWindowFlags_NoNav |
                         ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings);
        ImGui::TextUnformatted(notice_.data(), notice_.data() + notice_.size());
        ImGui::End();
        ImGui::PopStyleVar();
    }
    BoxAnswer given = BoxAnswer::kNone;
    if (o.box) given = o.box->draw();
    if (o.chooser) given = o.chooser->draw();
    if (o.entry) given = o.entry->draw();
    if (o.help) given = o.help->draw();
    if (o.answer) *o.answer = given;
    ImGui::Render();
    ImGui_ImplSDLRenderer_RenderDrawData(ImGui::GetDrawData());
    return chosen;
}

} // namespace fer

#include "debug/DebugMonitor.h"

#include <algorithm>

#include "core/MenuIds.h"
#include "debug/CodeView.h"
#include "debug/DumpAddress.h"
#include "script/Charset.h"

namespace fer {

using namespace menu_id;

DebugMonitor::DebugMonitor(Platform& platform, const ScriptMachine& machine,
                           const CurrentFileNames& names, const BuildVariant& variant)
    : platform_(platform), machine_(machine), names_(names), variant_(variant) {}

DebugMonitor::~DebugMonitor() {
    closeAll();
}

bool DebugMonitor::command(int id) {
    using Kind = MemoryView::Kind;
    switch (id) {
    case kNowFile: showFileNames(); break;
    case kViewFlags: view(Kind::kFlags, id); break;
    case kViewReg16: view(Kind::kRegisters16, id); break;
    case kViewReg32: view(Kind::kRegisters32, id); break;
    case kViewDim16: view(Kind::kArray16, id); break;
    case kViewDim32: view(Kind::kArray32, id); break;
    case kDump: dumpMemory(); break;
    case kViewCode: viewCode(); break;
    case kLiveViews: setLive(!live_); break;
    case kCommand: break;
    default: return false;
    }
    return true;
}

void DebugMonitor::showFileNames() {
    if (!fileNames_) fileNames_.emplace(names_, variant_.iconvCharset);
    platform_.showDebugView(*fileNames_);
}

void DebugMonitor::refreshFileNames() {
    if (fileNamesShown()) platform_.refreshDebugView(*fileNames_);
}

bool DebugMonitor::fileNamesShown() const {
    return fileNames_ && platform_.debugViewShown(*fileNames_);
}

void DebugMonitor::view(MemoryView::Kind kind, int menuId) {
    auto view = std::make_unique<MemoryView>(kind, machine_.memory, menuId);
    view->setLive(live_);
    present(std::move(view), menuId);
}

void DebugMonitor::dumpMemory() {
    const std::optional<std::string> text = platform_.askText(kAddressTitle, kAddressPrompt);
    if (!text) return;
    const std::optional<uint32_t> address = parseDumpAddress(*text, MemoryView::kDumpLength);
    if (!address) return;
    auto view =
        std::make_unique<MemoryView>(MemoryView::Kind::kDump, machine_.memory, kDump, *address);
    view->setLive(live_);
    // A live dump shows one address at a time.
    if (live_) dropLive(kDump);
    present(std::move(view), kDump);
}

void DebugMonitor::viewCode() {
    auto view = std::make_unique<CodeView>(machine_, charset(), variant_.iconvCharset, kViewCode);
    view->setLive(live_);
    present(std::move(view), kViewCode);
}

mes::Charset* DebugMonitor::charset() {
    if (!charsetOpened_) {
        charsetOpened_ = true;
        charset_ = mes::Charset::open(variant_.name);
    }
    return charset_.get();
}

void DebugMonitor::present(std::unique_ptr<DebugView> view, int menuId) {
    if (!live_) {
        platform_.runDebugView(*view);
        return;
    }
    // One live view of a kind: choosing it again shows the one that is up.
    for (LiveView& shown : liveViews_) {
        if (shown.menuId == menuId) {
            platform_.showDebugView(*shown.view);
            shown.drawn = contents(*shown.view);
            return;
        }
    }
    LiveView entry{std::move(view), menuId, {}};
    platform_.showDebugView(*entry.view);
    entry.drawn = contents(*entry.view);
    liveViews_.push_back(std::move(entry));
}

DebugView* DebugMonitor::liveView(int menuId) const {
    for (const LiveView& shown : liveViews_)
        if (shown.menuId == menuId) return shown.view.get();
    return nullptr;
}

void DebugMonitor::dropLive(int menuId) {
    for (auto it = liveViews_.begin(); it != liveViews_.end(); ++it) {
        if (it->menuId == menuId) {
            platform_.hideDebugView(*it->view);
            liveViews_.erase(it);
            return;
        }
    }
}

void DebugMonitor::setLive(bool live) {
    live_ = live;
    platform_.setMenuCheck(kLiveViews, live);
    if (!live) {
        for (LiveView& shown : liveViews_) platform_.hideDebugView(*shown.view);
        liveViews_.clear();
    }
}

std::string DebugMonitor::contents(DebugView& view) {
    std::string text;
    for (const DebugCell& cell : view.cells()) {
        text += std::to_string(cell.x) + ',' + std::to_string(cell.y) + ',' + cell.text;
        text += '\n';
    }
    return text;
}

void DebugMonitor::tickViews() {
    const uint64_t now = platform_.milliseconds();
    if (now - lastFrame_ < kFrameMs) return;
    lastFrame_ = now;
    std::erase_if(liveViews_,
                  [&](const LiveView& shown) { return !platform_.debugViewShown(*shown.view); });
    for (LiveView& shown : liveViews_) {
        std::string current = contents(*shown.view);
        if (current == shown.drawn) continue;
        shown.drawn = std::move(current);
        platform_.refreshDebugView(*shown.view);
    }
}

void DebugMonitor::closeAll() {
    for (LiveView& shown : liveViews_) platform_.hideDebugView(*shown.view);
    liveViews_.clear();
    if (fileNames_) platform_.hideDebugView(*fileNames_);
}

} // namespace fer

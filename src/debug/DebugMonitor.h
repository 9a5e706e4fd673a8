#pragma once
// The debug monitor: the windows of the "Debug" menu that show, while a
// script runs, the files in use and the script machine's flags, registers,
// arrays, memory and code. It reads the machine and never changes it.
//
// The file-name window is shown without blocking and lives from its first
// use to the end: closing it only hides it, and showing it again shows the
// same window with the names of that moment. The other views are modal: the
// interpreter waits inside the menu command until the view is closed (the
// timer thread goes on). With "LIVE" checked they are shown without
// blocking instead and drawn afresh, at most once a frame, whenever what
// they show has changed.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/BuildVariant.h"
#include "core/CurrentFileNames.h"
#include "debug/FileNamesView.h"
#include "debug/MemoryView.h"
#include "platform/Platform.h"
#include "script/ScriptMachine.h"

namespace fer::mes {
class Charset;
}

namespace fer {

class DebugMonitor {
  public:
    static constexpr const char* kAddressTitle = "地址输入";
    static constexpr const char* kAddressPrompt = "请输入地址";
    // Live views are drawn afresh at most this often.
    static constexpr uint64_t kFrameMs = 16;

    DebugMonitor(Platform& platform, const ScriptMachine& machine, const CurrentFileNames& names,
                 const BuildVariant& variant);
    ~DebugMonitor();
    DebugMonitor(const DebugMonitor&) = delete;
    DebugMonitor& operator=(const DebugMonitor&) = delete;

    // Answers a command of the "Debug" menu; false for an id that is not the
    // monitor's. "COMMAND" is the monitor's and does nothing.
    bool command(int id);

    // "NOW FILE": shows the file-name window.
    void showFileNames();
    // The names changed: a shown file-name window is drawn afresh.
    void refreshFileNames();
    bool fileNamesShown() const;
    // The file-name window, once it exists.
    const FileNamesView* fileNamesWindow() const { return fileNames_ ? &*fileNames_ : nullptr; }

    // One of the memory views, modal (or live).
    void view(MemoryView::Kind kind, int menuId);
    // "DUMP": asks for the address, then shows the 80 bytes from it.
    void dumpMemory();
    // The code being executed.
    void viewCode();

    void setLive(bool live);
    bool live() const { return live_; }
    size_t liveViews() const { return liveViews_.size(); }
    // The live view a command shows; null when none is up.
    DebugView* liveView(int menuId) const;

    // Once a pass of the message pump: live views whose contents changed are
    // drawn afresh (at most once a frame); those the player closed are dropped.
    void tick() {
        if (!liveViews_.empty()) tickViews();
    }
    // At shut-down: every window of the monitor is hidden.
    void closeAll();

  private:
    void tickViews();
    struct LiveView {
        std::unique_ptr<DebugView> view;
        int menuId = 0;
        std::string drawn; // what it showed when last drawn
    };

    // Runs a view modally, or shows it live.
    void present(std::unique_ptr<DebugView> view, int menuId);
    void dropLive(int menuId);
    mes::Charset* charset();
    static std::string contents(DebugView& view);

    Platform& platform_;
    const ScriptMachine& machine_;
    const CurrentFileNames& names_;
    const BuildVariant& variant_;
    std::optional<FileNamesView> fileNames_;
    std::unique_ptr<mes::Charset> charset_;
    bool charsetOpened_ = false;
    bool live_ = false;
    std::vector<LiveView> liveViews_;
    uint64_t lastFrame_ = 0;
};

} // namespace fer

#pragma once
// The debug monitor's views of the script machine: flags, 16-bit and 32-bit
// registers, 16-bit array 0, the bases of the 32-bit arrays (32-bit array 0)
// and a dump of 80 bytes. Each reads the memory whenever it is drawn and
// never writes it. Text cells lie in a grid of 8 columns at x = 48 + 72c and
// 10 rows at y = 24 + 16r, with the row labels at x 0 and the column labels
// at y 0; labels are cyan, values white. The flags view and the 16-bit array
// view turn pages (Page Up, Page Down; pages 0 to 25). The dump says below
// its grid where it starts ("ADDR", the address in decimal and hexadecimal).
//
// A modal view is titled "调试"; a live one by its menu item, so that several
// can be told apart ("FLAG (live)", "DUMP 61440 (live)").

#include <cstdint>
#include <string>
#include <vector>

#include "core/ScriptMemory.h"
#include "platform/DebugView.h"

namespace fer {

class MemoryView : public DebugView {
  public:
    enum class Kind { kFlags, kRegisters16, kRegisters32, kArray16, kArray32, kDump };

    static constexpr int kWidth = 620;
    static constexpr int kHeight = 200;
    static constexpr int kDumpHeight = kHeight + 16; // and the line of the address
    static constexpr unsigned kLastPage = 25;
    static constexpr uint32_t kDumpLength = 80;
    static constexpr uint32_t kLabelColour = 0x00FFFF;
    static constexpr uint32_t kValueColour = 0xFFFFFF;
    static constexpr uint32_t kArray16Elements = 200;
    static constexpr uint32_t kArray32Base = 0x0958;

    // menuId names the view in its text print. dumpOrigin: where the dump
    // view begins; moved back when the 80 bytes would leave the memory.
    MemoryView(Kind kind, const ScriptMemory& memory, int menuId, uint32_t dumpOrigin = 0);

    std::string title() const override;
    int width() const override { return kWidth; }
    int height() const override { return kind_ == Kind::kDump ? kDumpHeight : kHeight; }
    std::vector<DebugCell> cells() override;
    bool key(int virtualKey) override;
    std::string headerLine() const override;

    Kind kind() const { return kind_; }
    int menuId() const { return menuId_; }
    unsigned page() const { return page_; }
    bool pages() const { return kind_ == Kind::kFlags || kind_ == Kind::kArray16; }
    // A live view stays up while the script runs; its title and print say so.
    void setLive(bool live) { live_ = live; }
    bool live() const { return live_; }
    uint32_t dumpOrigin() const { return dumpOrigin_; }

  private:
    void gridLabels(std::vector<DebugCell>& cells) const;
    void registers(std::vector<DebugCell>& cells, const char* baseLabel, bool wide) const;

    Kind kind_;
    const ScriptMemory& memory_;
    int menuId_;
    uint32_t dumpOrigin_;
    unsigned page_ = 0;
    bool live_ = false;
};

} // namespace fer

#pragma once
// The code view of the debug monitor: where the game is. The running
// script's name and the address of the instruction being executed, then the
// disassembly around it: a few instructions before (found by decoding from
// a little way back until an instruction starts exactly there) and those
// after, the current one marked "=>". Jump targets are absolute addresses,
// as in the address column; a target that is a line of the view is also
// named by the label a listing of the script gives it ("L" and the target as
// the code holds it, in hexadecimal), and that line starts with the label.
// A line too long for the view goes on in the rows below it.

#include <cstdint>
#include <string>
#include <vector>

#include "debug/NameDecoder.h"
#include "platform/DebugView.h"
#include "script/MemoryDisassembly.h"
#include "script/ScriptMachine.h"

namespace fer::mes {
class Charset;
}

namespace fer {

class CodeView : public DebugView {
  public:
    static constexpr int kWidth = 620;
    static constexpr int kFirstRowY = 24;
    static constexpr int kRowHeight = 16;
    static constexpr int kRows = 20;
    static constexpr int kHeight = kFirstRowY + kRowHeight * kRows;
    static constexpr int kTextX = 104;
    // Text columns of a row: a half-width character takes one, any other two.
    static constexpr size_t kColumns = (kWidth - kTextX) / 8;
    // Rows one line may take; the last of a longer line ends with "...".
    static constexpr size_t kRowsPerLine = 3;
    static constexpr size_t kLinesBefore = 3;
    static constexpr size_t kLines = 10;
    // How far back the decoding looks for the instructions before.
    static constexpr uint32_t kLookBack = 64;

    // charset: the build's, for text in the code; null when it cannot be
    // opened (the view then says so). nameCharset: an iconv name ("CP936").
    CodeView(const ScriptMachine& machine, mes::Charset* charset, const char* nameCharset,
             int menuId);

    std::string title() const override { return live_ ? "CODE (live)" : "CODE"; }
    int width() const override { return kWidth; }
    int height() const override { return kHeight; }
    std::vector<DebugCell> cells() override;
    std::string headerLine() const override;

    void setLive(bool live) { live_ = live; }
    int menuId() const { return menuId_; }

    // The lines around an address: up to kLinesBefore before it, then the
    // line at it and those after, kLines in all at most.
    std::vector<mes::DisassemblyLine> linesAround(uint32_t address);
    // A line's text cut into rows of at most kColumns columns, kRowsPerLine at most.
    static std::vector<std::string> wrap(const std::string& text);

  private:
    // The text of a line as shown, with its jump target and labels.
    std::string lineText(const mes::DisassemblyLine& line) const;

    const ScriptMachine& machine_;
    mes::Charset* charset_;
    NameDecoder decodeName_;
    int menuId_;
    bool live_ = false;
    // The lines last decoded, kept while the address and the script stay the same.
    uint32_t cachedAddress_ = 0;
    std::string cachedScript_;
    std::vector<mes::DisassemblyLine> cached_;
    bool cacheValid_ = false;
};

} // namespace fer

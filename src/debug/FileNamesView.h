#pragma once
// The window of the files in use: the names of the script, picture, data,
// music and voice files loaded last, read afresh whenever it is drawn. Its
// text print is one line:
//   [FILES] MES=<name> PIC=<name> DATA=<name> MUSIC=<name> VOICE=<name>

#include <string>
#include <vector>

#include "core/CurrentFileNames.h"
#include "debug/NameDecoder.h"
#include "platform/DebugView.h"

namespace fer {

class FileNamesView : public DebugView {
  public:
    static constexpr int kWidth = 350;
    static constexpr int kHeight = 174;

    // Names are in the build's double-byte code page (an iconv name such as "CP936").
    FileNamesView(const CurrentFileNames& names, const char* nameCharset);

    std::string title() const override { return "文件"; }
    int width() const override { return kWidth; }
    int height() const override { return kHeight; }
    std::vector<DebugCell> cells() override;
    std::string headerLine() const override { return "[FILES]"; }
    std::optional<std::string> printLine() override;

    // A slot's name as shown (see NameDecoder).
    std::string shownName(int slot) { return decode_(names_.get(slot)); }

  private:
    const CurrentFileNames& names_;
    NameDecoder decode_;
};

} // namespace fer

#pragma once
// Names from game data (script and file names, in the build's double-byte
// code page) as the debug monitor shows them: UTF-8, with no control
// characters. A name that does not convert shows its printable ASCII bytes
// as they are and every other byte as \xNN.

#include <string>
#include <string_view>

#include "core/IconvConverter.h"

namespace fer {

class NameDecoder {
  public:
    // nameCharset: an iconv name such as "CP936".
    explicit NameDecoder(const char* nameCharset) : toUtf8_("UTF-8", nameCharset) {}

    std::string operator()(std::string_view name);

  private:
    IconvConverter toUtf8_;
};

} // namespace fer

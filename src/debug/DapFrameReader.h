#pragma once
// Cuts the debug adapter protocol's byte stream into messages: a header of
// "Content-Length: N" lines ended by an empty line, then N bytes of JSON.
// Bytes are fed as they come; every complete message is handed out once.

#include <optional>
#include <string>
#include <string_view>

#include "debug/JsonValue.h"

namespace fer {

class DapFrameReader {
  public:
    static constexpr size_t kMaxHeader = 1024;

    void feed(std::string_view bytes) { buffer_.append(bytes); }
    // The next message, if one is complete. A malformed frame or body is
    // dropped with the reason in error (and the reader goes on with the
    // bytes after it, or stops for good when the header cannot be read).
    std::optional<JsonValue> next(std::string& error);
    bool broken() const { return broken_; }

  private:
    std::string buffer_;
    bool broken_ = false;
};

} // namespace fer

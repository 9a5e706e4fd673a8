#pragma once
// The engine's one error report. An implementation shows the fatal-error box
// and makes the engine wind down; the caller then returns its own failure.

#include <string_view>

namespace fer {

class FatalErrorHandler {
  public:
    virtual ~FatalErrorHandler() = default;
    virtual void fatalError(std::string_view title, std::string_view text) = 0;
};

} // namespace fer

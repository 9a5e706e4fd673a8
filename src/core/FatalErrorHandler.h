#pragma once
// The engine's one error report. An implementation shows the fatal-error box
// and makes the engine wind down; the caller then returns its own failure.

#include <string_view>

namespace fer {

class FatalErrorHandler {
  public:
    virtual ~FatalErrorHandler() = default;
    virtual void fatalError(std::string_view title, std::string_view text) = 0;
    // A failure the engine goes on after (a save that cannot be written):
    // the same box, and nothing winds down. Without its own way to show it,
    // a handler treats it as fatal.
    virtual void failureNotice(std::string_view title, std::string_view text) {
        fatalError(title, text);
    }
};

} // namespace fer

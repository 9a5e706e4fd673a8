#include "shell/FatalErrorReporter.h"

namespace fer {

void FatalErrorReporter::fatalError(std::string_view title, std::string_view text) {
    if (beforeBox_) beforeBox_(title, text);
    const bool hidden = !settings_.cursorShown();
    screen_.flush(); // the box shows over what the player saw last
    if (hidden) platform_.showCursor(true);
    platform_.messageBox(title, text);
    shown_ = true;
    window_.destroy();
    timer_.setPaused(true);
    if (hidden) platform_.showCursor(false);
}

void FatalErrorReporter::failureNotice(std::string_view title, std::string_view text) {
    const bool hidden = !settings_.cursorShown();
    screen_.flush();
    if (hidden) platform_.showCursor(true);
    platform_.messageBox(title, text);
    if (hidden) platform_.showCursor(false);
}

} // namespace fer

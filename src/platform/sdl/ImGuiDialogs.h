#pragma once
// The window's modal boxes drawn with Dear ImGui inside the window: a message
// box with OK (and Cancel), the choice of a script file from a list, a
// one-line text field with OK and CANCEL, and the help with the keys and the
// about part. Button labels are the game's language's (BoxLabels).
// Each is drawn once per frame until answered; Enter answers OK and Esc
// Cancel (keys are passed in by the caller, so scripted input can answer).

#include <string>
#include <vector>

#include "platform/BoxLabels.h"
#include "platform/HelpPage.h"

namespace fer {

enum class BoxAnswer { kNone, kOk, kCancel };

class MessageBoxView {
  public:
    MessageBoxView(std::string title, std::string text, bool withCancel, BoxLabels labels);

    // Draws the box in the current frame; the answer given by a click in it.
    BoxAnswer draw();
    // The answer a key gives (virtual-key code), kNone for other keys.
    BoxAnswer key(int virtualKey) const;

  private:
    std::string title_;
    std::string text_;
    std::string id_;
    bool withCancel_;
    BoxLabels labels_;
    bool opened_ = false;
};

class ScriptChooserView {
  public:
    ScriptChooserView(std::vector<std::string> names, BoxLabels labels);

    BoxAnswer draw();
    // Enter OK, Esc Cancel, arrows and keypad 8/2 move the selection.
    BoxAnswer key(int virtualKey);
    // The selected name; empty when the list is empty.
    std::string selected() const;

  private:
    std::vector<std::string> names_;
    BoxLabels labels_;
    int selected_ = 0;
    bool opened_ = false;
    bool scrollToSelection_ = true;
};

class TextEntryView {
  public:
    TextEntryView(std::string title, std::string prompt);

    BoxAnswer draw();
    // Enter OK, Esc Cancel.
    BoxAnswer key(int virtualKey) const;
    // Text typed by scripted input, added at the end of the field.
    void type(const std::string& text);
    std::string text() const;

  private:
    std::string title_;
    std::string prompt_;
    std::string id_;
    std::vector<char> buffer_;
    std::string typed_; // scripted text not yet in the field
    bool opened_ = false;
};

class HelpBoxView {
  public:
    explicit HelpBoxView(HelpPage page);

    BoxAnswer draw();
    // Enter, Space and Esc close it.
    BoxAnswer key(int virtualKey) const;

  private:
    HelpPage page_;
    std::string id_;
    bool opened_ = false;
};

} // namespace fer

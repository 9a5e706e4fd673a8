#pragma once
// The history over the picture: the last messages, each with its speaker,
// newest at the bottom, scrolled with the wheel, the arrows and the page
// keys. A click on a voiced message plays its voice again; Esc, a right
// click or the wheel turned down past the end closes it. It runs modally,
// so the script waits meanwhile, as for a debug view.
//
// Its text print (headless):
//   [HISTORY]
//   SPEAKER<TAB>TEXT     one line per message, oldest first; line breaks as blanks
//   [END HISTORY]

#include <functional>
#include <string>
#include <vector>

#include "platform/DebugView.h"
#include "shell/MessageHistory.h"

namespace fer {

class HistoryView : public DebugView {
  public:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 400;
    static constexpr int kRowHeight = 20;
    static constexpr int kRows = kHeight / kRowHeight;
    // Characters of a row: a full-width character counts two, others one.
    static constexpr int kRowColumns = 76;

    HistoryView(const MessageHistory& history, std::string title)
        : history_(history), title_(std::move(title)) {}

    // Plays a voice file again.
    void onPlayVoice(std::function<void(const std::string&)> play) { play_ = std::move(play); }
    // Reads a message aloud (the speech service's, when there is one).
    void onSpeak(std::function<void(const GameMessage&)> speak) { speak_ = std::move(speak); }

    // Scrolled to the newest messages: called before the view is run.
    void open();

    std::string title() const override { return title_; }
    int width() const override { return kWidth; }
    int height() const override { return kHeight; }
    std::vector<DebugCell> cells() override;
    bool key(int virtualKey) override;
    bool wheel(int steps) override;
    bool click(int x, int y, int button) override;
    std::optional<std::string> printLine() override;
    uint8_t groundAlpha() const override { return 190; } // over the picture

  private:
    struct Row {
        std::string text;
        size_t message; // its index in the history
        bool first;     // the message's first row
    };
    void layOut();
    int lastTop() const;
    void play(size_t message);

    const MessageHistory& history_;
    std::string title_;
    std::function<void(const std::string&)> play_;
    std::function<void(const GameMessage&)> speak_;
    std::vector<Row> rows_;
    int top_ = 0;        // the first row shown
    size_t selected_ = 0; // the message Enter plays and reads aloud
};

} // namespace fer

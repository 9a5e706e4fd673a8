#include "shell/TextTranscript.h"

namespace fer {

std::string TextTranscript::oneLine(const GameMessage& message) {
    std::string line;
    if (!message.speaker.empty()) line = message.speaker + "\xEF\xBC\x9A"; // a full-width colon
    for (const char c : message.text) line += c == '\n' ? ' ' : c;
    return line;
}

void TextTranscript::messageShown(const GameMessage& message) {
    if (!out_) return;
    std::fprintf(out_, "%s\n", oneLine(message).c_str());
    std::fflush(out_);
}

} // namespace fer

#include "shell/TextTranscript.h"

namespace fer {

std::string TextTranscript::oneLine(const GameMessage& message) {
    std::string line;
    if (!message.speaker.empty()) line = message.speaker + "\xEF\xBC\x9A"; // a full-width colon
    for (const char c : message.text) line += c == '\n' ? ' ' : c;
    return line;
}

void TextTranscript::messageShown(const GameMessage& message) {
    const std::string line = oneLine(message);
    if (listener_) listener_(line);
    if (!out_) return;
    std::fprintf(out_, "%s\n", line.c_str());
    std::fflush(out_);
}

} // namespace fer

#include "shell/MessageSpeaker.h"

#include <string_view>

namespace fer {

MessageSpeaker::MessageSpeaker(SpeechService& speech, EngineLanguage language)
    : speech_(speech), language_(language == EngineLanguage::kJapanese ? "ja" : "zh") {}

void MessageSpeaker::setEnabled(bool on) {
    if (enabled_ && !on) speech_.cancel();
    enabled_ = on;
}

void MessageSpeaker::messageShown(const GameMessage& message) {
    if (!enabled_ || (!message.voice.empty() && !overVoices_)) return;
    speakNow(message);
}

void MessageSpeaker::speakNow(const GameMessage& message) {
    speech_.say(spokenText(message), language_, SpeechPriority::kText);
}

std::string MessageSpeaker::spokenText(const GameMessage& message) {
    std::string out;
    if (!message.speaker.empty()) out = message.speaker + "：";
    if (!message.choice) return out + message.text;
    // Each item on a line of its own, after its number.
    std::string_view rest = message.text;
    int number = 0;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view item = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (item.empty()) continue;
        out += std::to_string(++number) + ". ";
        out += item;
        out += '\n';
    }
    return out;
}

} // namespace fer

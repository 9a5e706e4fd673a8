#include "shell/MessageStream.h"

namespace fer {

namespace {
constexpr std::string_view kFullWidthColon = "\xEF\xBC\x9A"; // U+FF1A

size_t utf8Characters(std::string_view s) {
    size_t n = 0;
    for (const char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// Punctuation or blanks in a would-be name show that the colon belongs to
// the sentence ("第二幕：…" is a title's colon only when a name is short).
bool looksLikeName(std::string_view name) {
    if (name.empty()) return false;
    for (const std::string_view mark : {" ", "\xE3\x80\x80", "\xEF\xBC\x8C", "\xE3\x80\x82",
                                        "\xEF\xBC\x81", "\xEF\xBC\x9F", "\xE3\x80\x81"})
        if (name.find(mark) != std::string_view::npos) return false;
    return utf8Characters(name) <= MessageStream::kMaxSpeakerCharacters;
}
} // namespace

MessageStream::MessageStream(const BuildVariant& variant)
    : variant_(variant), converter_("UTF-8", variant.iconvCharset) {}

std::string MessageStream::toUtf8(uint16_t code) const {
    char in[2];
    size_t inLength = 0;
    const uint8_t high = static_cast<uint8_t>(code >> 8);
    if (variant_.isLeadByte(high)) in[inLength++] = static_cast<char>(high);
    in[inLength++] = static_cast<char>(code & 0xFF);
    if (inLength == 1 && static_cast<uint8_t>(in[0]) < 0x80) {
        if (static_cast<uint8_t>(in[0]) < 0x20) return {};
        return std::string(1, in[0]);
    }
    return converter_.convert(std::string_view(in, inLength)).value_or(std::string());
}

void MessageStream::characterDrawn(uint16_t code, int x, int y) {
    if (!lines_.empty() && y < lastY_) finish(false); // the text starts again above
    const std::string character = toUtf8(code);
    if (character.empty()) return;
    if (lines_.empty()) {
        script_.clear();
        address_ = 0;
        if (locator_) locator_(script_, address_);
        lines_.emplace_back();
    } else if (y != lastY_ || x < lastX_) {
        lines_.emplace_back();
    }
    lastX_ = x;
    lastY_ = y;
    if (bytes_ + character.size() > kMaxTextBytes) return;
    bytes_ += character.size();
    lines_.back() += character;
}

void MessageStream::voiceStarted(std::string_view name) {
    if (!lines_.empty()) finish(false); // a new voice, a new message
    voice_.assign(name);
}

void MessageStream::playerWaits(bool choice) {
    if (!lines_.empty()) finish(choice);
}

bool MessageStream::splitSpeaker(std::string_view line, std::string& speaker, std::string& rest) {
    const size_t colon = line.find(kFullWidthColon);
    if (colon == std::string_view::npos || !looksLikeName(line.substr(0, colon))) return false;
    speaker.assign(line.substr(0, colon));
    rest.assign(line.substr(colon + kFullWidthColon.size()));
    return true;
}

void MessageStream::finish(bool choice) {
    GameMessage message;
    message.voice = std::move(voice_);
    message.script = std::move(script_);
    message.address = address_;
    message.choice = choice;
    size_t first = 0;
    if (!choice) {
        std::string rest;
        if (splitSpeaker(lines_[0], message.speaker, rest)) {
            if (rest.empty()) {
                first = 1; // the name on a line of its own
            } else {
                lines_[0] = std::move(rest);
            }
        }
    }
    for (size_t i = first; i < lines_.size(); ++i) {
        if (i > first) message.text += '\n';
        message.text += lines_[i];
    }
    lines_.clear();
    bytes_ = 0;
    voice_.clear();
    script_.clear();
    lastX_ = lastY_ = -1;
    for (MessageListener* listener : listeners_) listener->messageShown(message);
}

} // namespace fer

#include "shell/TextTranscript.h"

namespace fer {

TextTranscript::TextTranscript(const BuildVariant& variant, std::FILE* out)
    : variant_(variant), out_(out), converter_("UTF-8", variant.iconvCharset) {}

TextTranscript::~TextTranscript() {
    flush();
}

std::string TextTranscript::toUtf8(uint16_t code) const {
    char in[2];
    size_t inLength = 0;
    const uint8_t high = static_cast<uint8_t>(code >> 8);
    if (variant_.isLeadByte(high)) {
        in[inLength++] = static_cast<char>(high);
    }
    in[inLength++] = static_cast<char>(code & 0xFF);
    if (inLength == 1 && static_cast<uint8_t>(in[0]) < 0x80) {
        if (static_cast<uint8_t>(in[0]) < 0x20) return {};
        return std::string(1, in[0]);
    }
    return converter_.convert(std::string_view(in, inLength)).value_or(std::string());
}

void TextTranscript::add(uint16_t code, int x, int y) {
    if (!line_.empty() && (y != lastY_ || x < lastX_)) flush();
    line_ += toUtf8(code);
    lastX_ = x;
    lastY_ = y;
}

void TextTranscript::flush() {
    if (line_.empty()) return;
    if (listener_) listener_(line_);
    if (out_) {
        std::fprintf(out_, "%s\n", line_.c_str());
        std::fflush(out_);
    }
    line_.clear();
}

} // namespace fer

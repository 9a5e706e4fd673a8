#include "debug/DapFrameReader.h"

#include <charconv>

namespace fer {

std::optional<JsonValue> DapFrameReader::next(std::string& error) {
    while (!broken_) {
        const size_t end = buffer_.find("\r\n\r\n");
        if (end == std::string::npos) {
            if (buffer_.size() > kMaxHeader) {
                broken_ = true;
                error = "a message header longer than 1024 bytes";
            }
            return std::nullopt;
        }
        if (end > kMaxHeader) {
            broken_ = true;
            error = "a message header longer than 1024 bytes";
            return std::nullopt;
        }
        std::optional<size_t> length;
        std::string_view header(buffer_.data(), end);
        while (!header.empty()) {
            const size_t eol = std::min(header.find("\r\n"), header.size());
            const std::string_view line = header.substr(0, eol);
            header.remove_prefix(std::min(eol + 2, header.size()));
            constexpr std::string_view kLength = "Content-Length:";
            if (line.substr(0, kLength.size()) != kLength) continue;
            std::string_view digits = line.substr(kLength.size());
            while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
            size_t n = 0;
            const auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
            if (ec == std::errc() && p == digits.data() + digits.size() && !digits.empty())
                length = n;
        }
        if (!length || *length > JsonValue::kMaxText) {
            broken_ = true;
            error = length ? "a message longer than 1 MiB" : "a message header without Content-Length";
            return std::nullopt;
        }
        if (buffer_.size() - end - 4 < *length) return std::nullopt;
        const std::string body = buffer_.substr(end + 4, *length);
        buffer_.erase(0, end + 4 + *length);
        std::optional<JsonValue> message = JsonValue::parse(body, error);
        if (message && message->isObject()) return message;
        if (message) error = "a message that is not an object";
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace fer

#include "debug/JsonValue.h"

#include <cstdlib>
#include <cmath>
#include <cstdio>

#include "script/Charset.h"

namespace fer {

namespace {

class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {}

    std::optional<JsonValue> document(std::string& error) {
        std::optional<JsonValue> v = value(0);
        skipBlanks();
        if (v && at_ != text_.size()) fail("text after the value");
        if (!error_.empty()) {
            error = error_ + " at byte " + std::to_string(at_);
            return std::nullopt;
        }
        return v;
    }

  private:
    void fail(const char* why) {
        if (error_.empty()) error_ = why;
    }
    void skipBlanks() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' ||
                                      text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }
    bool literal(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }

    std::optional<JsonValue> value(int depth) {
        if (depth > JsonValue::kMaxDepth) {
            fail("nested too deeply");
            return std::nullopt;
        }
        skipBlanks();
        if (at_ >= text_.size()) {
            fail("the text ends where a value should be");
            return std::nullopt;
        }
        const char c = text_[at_];
        if (c == '{') return object(depth);
        if (c == '[') return array(depth);
        if (c == '"') {
            std::string s;
            if (!string(s)) return std::nullopt;
            return JsonValue(std::move(s));
        }
        if (literal("true")) return JsonValue(true);
        if (literal("false")) return JsonValue(false);
        if (literal("null")) return JsonValue();
        return number();
    }

    std::optional<JsonValue> number() {
        const size_t start = at_;
        if (at_ < text_.size() && text_[at_] == '-') ++at_;
        const size_t digits = at_;
        while (at_ < text_.size() && std::string_view("0123456789.eE+-").find(text_[at_]) !=
                                         std::string_view::npos)
            ++at_;
        // strtod in the C locale the engine runs in (the wasm library has
        // no from_chars for doubles); the copy ends the number.
        const std::string copy(text_.substr(start, at_ - start));
        char* end = nullptr;
        const double v = std::strtod(copy.c_str(), &end);
        if (at_ == digits || end != copy.c_str() + copy.size() || !std::isfinite(v) ||
            text_[digits] < '0' || text_[digits] > '9') {
            fail("not a value");
            return std::nullopt;
        }
        return JsonValue(v);
    }

    bool hex4(uint32_t& out) {
        out = 0;
        for (int i = 0; i < 4; ++i, ++at_) {
            if (at_ >= text_.size()) return false;
            const char h = text_[at_];
            const int d = h >= '0' && h <= '9'   ? h - '0'
                          : h >= 'a' && h <= 'f' ? h - 'a' + 10
                          : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                                 : -1;
            if (d < 0) return false;
            out = out * 16 + static_cast<uint32_t>(d);
        }
        return true;
    }

    bool string(std::string& out) {
        ++at_; // the opening quote
        for (;;) {
            if (at_ >= text_.size()) {
                fail("a string is not closed");
                return false;
            }
            const char c = text_[at_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) {
                fail("a control character in a string");
                return false;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) {
                fail("a string is not closed");
                return false;
            }
            const char e = text_[at_++];
            switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '/': out += '/'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                uint32_t cp = 0;
                if (!hex4(cp)) {
                    fail("a bad \\u escape");
                    return false;
                }
                if (cp >= 0xD800 && cp < 0xDC00) {
                    uint32_t low = 0;
                    if (!literal("\\u") || !hex4(low) || low < 0xDC00 || low >= 0xE000) {
                        fail("a lone surrogate");
                        return false;
                    }
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                } else if (cp >= 0xDC00 && cp < 0xE000) {
                    fail("a lone surrogate");
                    return false;
                }
                mes::appendUtf8(out, cp);
                break;
            }
            default: fail("a bad escape"); return false;
            }
        }
    }

    std::optional<JsonValue> array(int depth) {
        ++at_;
        JsonValue a = JsonValue::array();
        skipBlanks();
        if (literal("]")) return a;
        for (;;) {
            std::optional<JsonValue> item = value(depth + 1);
            if (!item) return std::nullopt;
            a.push(std::move(*item));
            skipBlanks();
            if (literal("]")) return a;
            if (!literal(",")) {
                fail("expected ',' or ']'");
                return std::nullopt;
            }
        }
    }

    std::optional<JsonValue> object(int depth) {
        ++at_;
        JsonValue o = JsonValue::object();
        skipBlanks();
        if (literal("}")) return o;
        for (;;) {
            skipBlanks();
            std::string key;
            if (at_ >= text_.size() || text_[at_] != '"') {
                fail("expected a member name");
                return std::nullopt;
            }
            if (!string(key)) return std::nullopt;
            skipBlanks();
            if (!literal(":")) {
                fail("expected ':'");
                return std::nullopt;
            }
            std::optional<JsonValue> member = value(depth + 1);
            if (!member) return std::nullopt;
            o.add(std::move(key), std::move(*member));
            skipBlanks();
            if (literal("}")) return o;
            if (!literal(",")) {
                fail("expected ',' or '}'");
                return std::nullopt;
            }
        }
    }

    std::string_view text_;
    size_t at_ = 0;
    std::string error_;
};

const std::string kEmpty;
const JsonValue kNull;

} // namespace

std::optional<JsonValue> JsonValue::parse(std::string_view text, std::string& error) {
    if (text.size() > kMaxText) {
        error = "the message is larger than 1 MiB";
        return std::nullopt;
    }
    return Reader(text).document(error);
}

int64_t JsonValue::asInteger(int64_t fallback, int64_t lo, int64_t hi) const {
    if (kind_ != Kind::kNumber || number_ != std::floor(number_) || number_ < static_cast<double>(lo) ||
        number_ > static_cast<double>(hi))
        return fallback;
    return static_cast<int64_t>(number_);
}

const std::string& JsonValue::asString() const { return kind_ == Kind::kString ? string_ : kEmpty; }

const JsonValue& JsonValue::operator[](std::string_view key) const {
    for (const auto& [name, value] : members_)
        if (name == key) return value;
    return kNull;
}

bool JsonValue::has(std::string_view key) const {
    for (const auto& member : members_)
        if (member.first == key) return true;
    return false;
}

JsonValue& JsonValue::set(std::string_view key, JsonValue value) {
    kind_ = Kind::kObject;
    for (auto& member : members_) {
        if (member.first == key) {
            member.second = std::move(value);
            return *this;
        }
    }
    members_.emplace_back(std::string(key), std::move(value));
    return *this;
}

JsonValue& JsonValue::add(std::string key, JsonValue value) {
    kind_ = Kind::kObject;
    members_.emplace_back(std::move(key), std::move(value));
    return *this;
}

JsonValue& JsonValue::push(JsonValue value) {
    kind_ = Kind::kArray;
    items_.push_back(std::move(value));
    return *this;
}

std::string JsonValue::write() const {
    std::string out;
    writeTo(out);
    return out;
}

namespace {

void writeString(const std::string& s, std::string& out) {
    out += '"';
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else {
            out += c;
        }
    }
    out += '"';
}

} // namespace

void JsonValue::writeTo(std::string& out) const {
    switch (kind_) {
    case Kind::kNull: out += "null"; break;
    case Kind::kBool: out += bool_ ? "true" : "false"; break;
    case Kind::kNumber: {
        // Whole numbers as integers, others with every digit a double holds.
        char buf[32];
        const bool whole = std::nearbyint(number_) == number_ && std::fabs(number_) < 1e15;
        const int n = whole ? std::snprintf(buf, sizeof buf, "%.0f", number_)
                            : std::snprintf(buf, sizeof buf, "%.17g", number_);
        out.append(buf, n > 0 ? static_cast<size_t>(n) : 0);
        break;
    }
    case Kind::kString: writeString(string_, out); break;
    case Kind::kArray:
        out += '[';
        for (size_t i = 0; i < items_.size(); ++i) {
            if (i) out += ',';
            items_[i].writeTo(out);
        }
        out += ']';
        break;
    case Kind::kObject:
        out += '{';
        for (size_t i = 0; i < members_.size(); ++i) {
            if (i) out += ',';
            writeString(members_[i].first, out);
            out += ':';
            members_[i].second.writeTo(out);
        }
        out += '}';
        break;
    }
}

} // namespace fer

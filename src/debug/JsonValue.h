#pragma once
// A JSON value, with a reader and a writer of our own: what the debug
// adapter's protocol carries. The reader takes at most kMaxText bytes and
// kMaxDepth levels of nesting and refuses anything else with a reason.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fer {

class JsonValue {
  public:
    enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };
    static constexpr size_t kMaxText = 1u << 20;
    static constexpr int kMaxDepth = 64;

    JsonValue() = default;
    JsonValue(bool b) : kind_(Kind::kBool), bool_(b) {}
    JsonValue(double n) : kind_(Kind::kNumber), number_(n) {}
    JsonValue(int n) : JsonValue(static_cast<double>(n)) {}
    JsonValue(int64_t n) : JsonValue(static_cast<double>(n)) {}
    JsonValue(uint32_t n) : JsonValue(static_cast<double>(n)) {}
    JsonValue(std::string s) : kind_(Kind::kString), string_(std::move(s)) {}
    JsonValue(const char* s) : JsonValue(std::string(s)) {}
    JsonValue(std::string_view s) : JsonValue(std::string(s)) {}
    static JsonValue array() { return JsonValue(Kind::kArray); }
    static JsonValue object() { return JsonValue(Kind::kObject); }

    static std::optional<JsonValue> parse(std::string_view text, std::string& error);
    std::string write() const;

    Kind kind() const { return kind_; }
    bool isNull() const { return kind_ == Kind::kNull; }
    bool isString() const { return kind_ == Kind::kString; }
    bool isNumber() const { return kind_ == Kind::kNumber; }
    bool isArray() const { return kind_ == Kind::kArray; }
    bool isObject() const { return kind_ == Kind::kObject; }
    // The value, or the fallback for any other kind.
    bool asBool(bool fallback = false) const { return kind_ == Kind::kBool ? bool_ : fallback; }
    double asNumber(double fallback = 0) const {
        return kind_ == Kind::kNumber ? number_ : fallback;
    }
    // The number as an integer in [lo, hi], else the fallback.
    int64_t asInteger(int64_t fallback, int64_t lo = INT32_MIN, int64_t hi = INT32_MAX) const;
    const std::string& asString() const;

    // An object's member (a null value when there is none) and an array's items.
    const JsonValue& operator[](std::string_view key) const;
    const std::vector<JsonValue>& items() const { return items_; }
    const std::vector<std::pair<std::string, JsonValue>>& members() const { return members_; }
    bool has(std::string_view key) const;

    // Building: set replaces a member of that name.
    JsonValue& set(std::string_view key, JsonValue value);
    JsonValue& push(JsonValue value);
    // Appends a member without looking for one of the same name (the reader's
    // way: the first of two members of one name is the one found).
    JsonValue& add(std::string key, JsonValue value);

    bool operator==(const JsonValue&) const = default;

  private:
    explicit JsonValue(Kind k) : kind_(k) {}
    void writeTo(std::string& out) const;

    Kind kind_ = Kind::kNull;
    bool bool_ = false;
    double number_ = 0;
    std::string string_;
    std::vector<JsonValue> items_;
    std::vector<std::pair<std::string, JsonValue>> members_;
};

} // namespace fer

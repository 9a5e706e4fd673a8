#include "platform/ScriptedInput.h"

#include <algorithm>
#include <charconv>
#include <sstream>
#include <string>

namespace fer {

namespace {

struct KeyName {
    std::string_view name;
    int down;
    int up;
};

constexpr KeyName kKeys[] = {
    {"enter", 13, 13}, {"space", 32, 32},         {"esc", 27, 27},           {"up", 38, 38},
    {"down", 40, 40},  {"left", 37, 37},          {"right", 39, 39},         {"kp2", 98, 98},
    {"kp4", 100, 100}, {"kp6", 102, 102},         {"kp8", 104, 104},         {"ctrl", 17, 17},
    {"shift", 16, 16}, {"lbutton", 0x201, 0x202}, {"rbutton", 0x204, 0x205},
    {"pgup", 33, 33},  {"pgdn", 34, 34},
};

const KeyName* findKey(std::string_view name) {
    for (const auto& k : kKeys)
        if (k.name == name) return &k;
    return nullptr;
}

bool parseNumber(std::string_view word, long long& value) {
    const auto* end = word.data() + word.size();
    auto [p, ec] = std::from_chars(word.data(), end, value);
    return ec == std::errc() && p == end;
}

std::vector<std::string_view> splitWords(std::string_view line, size_t maxWords) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size()) break;
        if (words.size() + 1 == maxWords) {
            // The last word takes the rest of the line (a path may hold blanks).
            size_t end = line.size();
            while (end > i && (line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
            words.push_back(line.substr(i, end - i));
            break;
        }
        size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t') ++j;
        words.push_back(line.substr(i, j - i));
        i = j;
    }
    return words;
}

} // namespace

bool ScriptedInput::parse(std::string_view text, std::string& error) {
    events_.clear();
    size_t lineNumber = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string_view::npos) eol = text.size();
        std::string_view line = text.substr(pos, eol - pos);
        pos = eol + 1;
        ++lineNumber;
        if (const size_t hash = line.find('#'); hash != std::string_view::npos)
            line = line.substr(0, hash);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        auto fail = [&](const std::string& what) {
            error = "line " + std::to_string(lineNumber) + ": " + what;
            events_.clear();
            return false;
        };
        std::vector<std::string_view> words = splitWords(line, 3);
        if (words.empty()) continue;
        long long at = 0;
        if (!parseNumber(words[0], at)) return fail("expected a time in milliseconds");
        if (at < 0 || at > kMaxTime)
            return fail("time out of range (0 to " + std::to_string(kMaxTime) + " ms)");
        if (words.size() < 2) return fail("expected an event after the time");
        const std::string_view verb = words[1];
        const std::string_view rest = words.size() > 2 ? words[2] : std::string_view{};
        const uint64_t t = static_cast<uint64_t>(at);
        using T = PlatformEvent::Type;
        auto add = [&](uint64_t when, T type, int code = 0, int x = 0, int y = 0,
                       std::string s = {}) {
            PlatformEvent e;
            e.type = type;
            e.code = code;
            e.x = x;
            e.y = y;
            e.text = std::move(s);
            events_.push_back({when, std::move(e)});
        };
        if (verb == "down" || verb == "up" || verb == "press") {
            const KeyName* key = findKey(rest);
            if (!key) return fail("unknown key '" + std::string(rest) + "'");
            if (verb == "down")
                add(t, T::kKeyDown, key->down);
            else if (verb == "up")
                add(t, T::kKeyUp, key->up);
            else {
                add(t, T::kKeyDown, key->down);
                add(t + kPressLength, T::kKeyUp, key->up);
            }
        } else if (verb == "mouse") {
            std::vector<std::string_view> xy = splitWords(rest, 3);
            long long x = 0, y = 0;
            if (xy.size() != 2 || !parseNumber(xy[0], x) || !parseNumber(xy[1], y))
                return fail("expected 'mouse X Y'");
            for (long long v : {x, y}) {
                if (v < kMinCoordinate || v > kMaxCoordinate)
                    return fail("mouse coordinate out of range (" + std::to_string(kMinCoordinate) +
                                " to " + std::to_string(kMaxCoordinate) + ")");
            }
            add(t, T::kMouseMove, 0, static_cast<int>(x), static_cast<int>(y));
        } else if (verb == "menu") {
            long long id = 0;
            if (!parseNumber(rest, id)) return fail("expected 'menu ID'");
            if (id < 0 || id > kMaxMenuId)
                return fail("menu ID out of range (0 to " + std::to_string(kMaxMenuId) + ")");
            add(t, T::kMenu, static_cast<int>(id));
        } else if (verb == "drop") {
            if (rest.empty()) return fail("expected 'drop PATH'");
            add(t, T::kDropFile, 0, 0, 0, std::string(rest));
        } else if (verb == "type") {
            if (rest.empty()) return fail("expected 'type TEXT'");
            add(t, T::kText, 0, 0, 0, std::string(rest));
        } else if (verb == "close" && rest.empty()) {
            add(t, T::kClose);
        } else if (verb == "screenshot" && rest.empty()) {
            add(t, T::kScreenshot);
        } else if (verb == "deactivate" && rest.empty()) {
            add(t, T::kDeactivate);
        } else if (verb == "activate" && rest.empty()) {
            add(t, T::kActivate);
        } else if (verb == "history" && rest.empty()) {
            add(t, T::kWheel, 1); // the wheel turned up: the history opens
        } else if (verb == "wheel" && (rest == "up" || rest == "down")) {
            add(t, T::kWheel, rest == "up" ? 1 : -1);
        } else {
            return fail("unknown event '" + std::string(verb) + "'");
        }
    }
    std::stable_sort(events_.begin(), events_.end(),
                     [](const TimedEvent& a, const TimedEvent& b) { return a.at < b.at; });
    return true;
}

} // namespace fer

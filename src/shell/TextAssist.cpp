#include "shell/TextAssist.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "files/AtomicFileWriter.h"
#include "files/UserDataFolder.h"

namespace fer {

namespace {
// No record is larger than this: every script's bitmap at its longest.
constexpr std::streamoff kMaxFileBytes =
    12 + static_cast<std::streamoff>(ReadTextRecord::kMaxScripts) *
             (1 + ReadTextRecord::kMaxNameLength + 4 + ReadTextRecord::kMaxBitmapBytes);

size_t characters(const std::string& text) {
    size_t n = 0;
    for (const char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 && c != '\n';
    return n;
}
} // namespace

void TextAssist::load(std::filesystem::path path) {
    path_ = std::move(path);
    std::ifstream in(path_, std::ios::binary | std::ios::ate);
    if (!in) return; // nothing read yet
    const std::streamoff size = in.tellg();
    std::vector<uint8_t> bytes;
    if (size >= 0 && size <= kMaxFileBytes) {
        bytes.resize(static_cast<size_t>(size));
        in.seekg(0);
        in.read(reinterpret_cast<char*>(bytes.data()), size);
    }
    if (!in || size > kMaxFileBytes || !record_.parse(bytes)) {
        record_ = ReadTextRecord();
        if (hooks_.logLine) hooks_.logLine(path_.string());
    }
}

void TextAssist::save() {
    if (!dirty_ || path_.empty()) return;
    dirty_ = false;
    lastWrite_ = hooks_.milliseconds ? hooks_.milliseconds() : 0;
    UserDataFolder::create(path_.parent_path());
    const std::vector<uint8_t> bytes = record_.serialise();
    replaceFileAtomically(path_, bytes);
}

void TextAssist::messageShown(const GameMessage& message) {
    lastRead_ = record_.isRead(message.script, message.address);
    lastVoiced_ = !message.voice.empty();
    lastLength_ = characters(message.text) + characters(message.speaker);
    if (!message.choice && record_.mark(message.script, message.address)) dirty_ = true;
    const uint64_t now = hooks_.milliseconds ? hooks_.milliseconds() : 0;
    if (dirty_ && now - lastWrite_ >= kWriteEveryMs) save();
    // Skipping stops at text not read before and at a choice.
    if (settings_.skipRead() && (!lastRead_ || message.choice)) settings_.setSkipRead(false);
}

void TextAssist::waitBegins(bool choice) {
    if (choice) {
        lastRead_ = false;
        if (settings_.skipRead()) settings_.setSkipRead(false);
        waiting_ = false;
        return;
    }
    waiting_ = true;
    const uint64_t now = hooks_.milliseconds ? hooks_.milliseconds() : 0;
    autoAt_ = now + kAutoBaseMs + lastLength_ * static_cast<uint64_t>(settings_.autoWait());
}

bool TextAssist::autoDecides() {
    if (!waiting_ || !settings_.autoMode()) return false;
    if (lastVoiced_ && hooks_.voicePlaying && hooks_.voicePlaying()) return false;
    if (!lastVoiced_ && hooks_.milliseconds && hooks_.milliseconds() < autoAt_) return false;
    waiting_ = false;
    return true;
}

} // namespace fer

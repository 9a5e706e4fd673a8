#include "platform/speechd/SpeechdService.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string_view>
#include <unistd.h>

#include <libspeechd.h>

namespace fer {

namespace {

namespace fs = std::filesystem;

bool executableOnPath(std::string_view name) {
    const char* path = std::getenv("PATH");
    std::string_view rest = path ? path : "/usr/bin:/bin";
    while (!rest.empty()) {
        const size_t colon = rest.find(':');
        const std::string_view dir = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (dir.empty()) continue;
        const std::string candidate = std::string(dir) + "/" + std::string(name);
        if (access(candidate.c_str(), X_OK) == 0) return true;
    }
    return false;
}

bool findServer() {
    if (const char* address = std::getenv("SPEECHD_ADDRESS"); address && *address) return true;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        std::error_code ignored;
        if (fs::exists(fs::path(runtime) / "speech-dispatcher" / "speechd.sock", ignored))
            return true;
    }
    return executableOnPath("speech-dispatcher");
}

// At most max bytes, not ending inside a UTF-8 sequence.
std::string_view cut(std::string_view text, size_t max) {
    if (text.size() <= max) return text;
    size_t end = max;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

struct ConnectionCloser {
    void operator()(SPDConnection* connection) const { spd_close(connection); }
};
using Connection = std::unique_ptr<SPDConnection, ConnectionCloser>;

} // namespace

SpeechdService::SpeechdService() : serverFound_(findServer()) {}

SpeechdService::~SpeechdService() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (sender_.joinable()) sender_.join();
}

bool SpeechdService::available() const {
    std::lock_guard lock(mutex_);
    return serverFound_ && failure_.empty();
}

std::string SpeechdService::whyUnavailable() const {
    std::lock_guard lock(mutex_);
    if (!serverFound_) return "speech-dispatcher is not installed";
    return failure_;
}

void SpeechdService::say(std::string_view utf8, std::string_view language,
                         SpeechPriority priority) {
    if (utf8.empty()) return;
    push({.text = std::string(cut(utf8, kMaxText)), .language = std::string(language),
          .priority = priority});
}

void SpeechdService::cancel() {
    Request request;
    request.cancel = true;
    push(std::move(request));
}

void SpeechdService::push(Request request) {
    {
        std::lock_guard lock(mutex_);
        if (!serverFound_ || !failure_.empty()) return;
        // A text that replaces the one spoken also replaces those still waiting.
        if (request.cancel || request.priority == SpeechPriority::kText) {
            std::erase_if(waiting_, [](const Request& r) {
                return r.cancel || r.priority == SpeechPriority::kText;
            });
        }
        if (waiting_.size() >= kMaxWaiting) waiting_.pop_front();
        waiting_.push_back(std::move(request));
        if (!sender_.joinable()) sender_ = std::thread([this] { run(); });
    }
    wake_.notify_one();
}

void SpeechdService::run() {
    char* error = nullptr;
    // The address comes from the environment, else the default socket; the
    // library starts the server when it is not running.
    Connection connection(
        spd_open2("ferkite", "main", nullptr, SPD_MODE_SINGLE, nullptr, 1, &error));
    if (!connection) {
        const std::string why = std::string("cannot connect to speech-dispatcher: ") +
                                (error ? error : "no reason given");
        std::free(error);
        std::fprintf(stderr, "engine: %s\n", why.c_str());
        std::lock_guard lock(mutex_);
        failure_ = why;
        waiting_.clear();
        return;
    }
    std::string language;
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
        if (stopping_) break;
        Request request = std::move(waiting_.front());
        waiting_.pop_front();
        lock.unlock();
        if (request.cancel) {
            spd_cancel(connection.get());
        } else {
            if (request.language != language && !request.language.empty()) {
                spd_set_language(connection.get(), request.language.c_str());
                language = request.language;
            }
            const SPDPriority priority =
                request.priority == SpeechPriority::kText ? SPD_TEXT : SPD_MESSAGE;
            spd_say(connection.get(), priority, request.text.c_str());
        }
        lock.lock();
    }
    lock.unlock();
    // The game's speech ends with the game.
    spd_cancel(connection.get());
}

} // namespace fer

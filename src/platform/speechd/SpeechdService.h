#pragma once
// Speech through speech-dispatcher (libspeechd). The connection is made on
// the first text to speak, by a thread of its own that also sends every
// request: the main thread only queues them and never waits for the server.

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "platform/SpeechService.h"

namespace fer {

class SpeechdService final : public SpeechService {
  public:
    SpeechdService();
    ~SpeechdService() override;
    SpeechdService(const SpeechdService&) = delete;
    SpeechdService& operator=(const SpeechdService&) = delete;

    bool available() const override;
    std::string whyUnavailable() const override;
    void say(std::string_view utf8, std::string_view language, SpeechPriority priority) override;
    void cancel() override;

    // The longest text sent at once (bytes; cut at a character's start) and
    // the most requests that wait; older ones are dropped.
    static constexpr size_t kMaxText = 8192;
    static constexpr size_t kMaxWaiting = 16;

  private:
    struct Request {
        bool cancel = false;
        std::string text;
        std::string language;
        SpeechPriority priority = SpeechPriority::kText;
    };

    void push(Request request);
    void run();

    // Whether a server answers at the address of the environment or its
    // default socket, or can be started by the library.
    const bool serverFound_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Request> waiting_;
    bool stopping_ = false;
    std::string failure_; // why the connection failed; empty before or when it did not
    std::thread sender_;  // started with the first request
};

} // namespace fer

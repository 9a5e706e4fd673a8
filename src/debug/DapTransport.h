#pragma once
// The debug adapter's channel to its client: standard input and output, or
// one TCP connection on 127.0.0.1. A reader thread cuts the incoming bytes
// into messages and queues them; the main thread takes them when it looks
// and sends its answers, whole frames at a time.

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <condition_variable>
#include <string>
#include <thread>
#include <vector>

#include "debug/JsonValue.h"

namespace fer {

class DapTransport {
  public:
    // The protocol takes standard output over; whatever else the engine
    // writes there goes to standard error from now on.
    static std::unique_ptr<DapTransport> overStdio();
    // Listens on 127.0.0.1:port and serves the first client that connects.
    static std::unique_ptr<DapTransport> listen(uint16_t port, std::string& error);
    ~DapTransport();
    DapTransport(const DapTransport&) = delete;
    DapTransport& operator=(const DapTransport&) = delete;

    // Cheap enough to ask before every instruction.
    bool pending() const { return pending_.load(std::memory_order_relaxed); }
    std::vector<JsonValue> take();
    // Waits up to ms milliseconds for a message or the end of the input.
    void wait(int ms);
    // The client went away (or never came, and the input ended).
    bool closed() const { return closed_.load(); }
    bool connected() const { return outFd_.load() >= 0; }
    void send(const JsonValue& message);

  private:
    DapTransport(int listenFd, int inFd, int outFd);
    void readLoop();

    int listenFd_;
    std::atomic<int> inFd_;
    std::atomic<int> outFd_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> closed_{false};
    std::atomic<bool> pending_{false};
    std::mutex queueLock_;
    std::condition_variable arrived_;
    std::deque<JsonValue> queue_;
    std::mutex sendLock_;
    std::thread reader_;
};

} // namespace fer

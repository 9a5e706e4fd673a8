#include "debug/DapTransport.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "debug/DapFrameReader.h"

namespace fer {

namespace {

constexpr int kPollMs = 50;

// A socket whose client went away fails the write instead of raising SIGPIPE.
bool writeAll(int fd, bool socket, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            socket ? ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL)
                   : ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

DapTransport::DapTransport(int listenFd, int inFd, int outFd)
    : listenFd_(listenFd), inFd_(inFd), outFd_(outFd) {
    reader_ = std::thread([this] { readLoop(); });
}

std::unique_ptr<DapTransport> DapTransport::overStdio() {
    std::fflush(stdout);
    const int out = ::dup(STDOUT_FILENO);
    if (out < 0) return nullptr;
    ::dup2(STDERR_FILENO, STDOUT_FILENO);
    return std::unique_ptr<DapTransport>(new DapTransport(-1, STDIN_FILENO, out));
}

std::unique_ptr<DapTransport> DapTransport::listen(uint16_t port, std::string& error) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::strerror(errno);
        return nullptr;
    }
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 1) != 0) {
        error = std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<DapTransport>(new DapTransport(fd, -1, -1));
}

DapTransport::~DapTransport() {
    stop_ = true;
    if (reader_.joinable()) reader_.join();
    if (listenFd_ >= 0) {
        // The connection is ours; standard output is not closed.
        if (inFd_ >= 0) ::close(inFd_);
        ::close(listenFd_);
    } else if (outFd_ >= 0) {
        ::close(outFd_);
    }
}

void DapTransport::readLoop() {
    if (listenFd_ >= 0) {
        pollfd p{listenFd_, POLLIN, 0};
        while (!stop_ && ::poll(&p, 1, kPollMs) <= 0) {
        }
        if (stop_) return;
        const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) {
            closed_ = true;
            return;
        }
        inFd_ = client;
        outFd_ = client;
    }
    DapFrameReader frames;
    char buf[4096];
    while (!stop_) {
        pollfd p{inFd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, kPollMs);
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        const ssize_t n = ::read(inFd_, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        frames.feed(std::string_view(buf, static_cast<size_t>(n)));
        for (;;) {
            std::string error;
            std::optional<JsonValue> message = frames.next(error);
            if (message) {
                std::lock_guard lock(queueLock_);
                queue_.push_back(std::move(*message));
                pending_ = true;
                arrived_.notify_all();
                continue;
            }
            if (!error.empty()) {
                std::fprintf(stderr, "engine: debug adapter: %s\n", error.c_str());
                if (!frames.broken()) continue;
            }
            break;
        }
        if (frames.broken()) break;
    }
    std::lock_guard lock(queueLock_);
    closed_ = true;
    arrived_.notify_all();
}

std::vector<JsonValue> DapTransport::take() {
    std::lock_guard lock(queueLock_);
    std::vector<JsonValue> out(std::make_move_iterator(queue_.begin()),
                               std::make_move_iterator(queue_.end()));
    queue_.clear();
    pending_ = false;
    return out;
}

void DapTransport::wait(int ms) {
    std::unique_lock lock(queueLock_);
    arrived_.wait_for(lock, std::chrono::milliseconds(ms),
                      [this] { return !queue_.empty() || closed_.load(); });
}

void DapTransport::send(const JsonValue& message) {
    const int fd = outFd_.load();
    if (fd < 0) return;
    const std::string body = message.write();
    const std::string frame = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    std::lock_guard lock(sendLock_);
    writeAll(fd, listenFd_ >= 0, frame);
}

} // namespace fer

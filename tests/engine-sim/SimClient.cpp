#include "SimClient.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quillmark::testing {

using Clock = std::chrono::steady_clock;

SimClient::SimClient(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        connectError_ = errno;
        ::close(fd);
        return;
    }
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    fd_ = fd;
}

SimClient::~SimClient() {
    if (fd_ >= 0) ::close(fd_);
}

void SimClient::send(const std::string& text) { sendRaw(text + std::string(1, '\0')); }

void SimClient::sendRaw(const std::string& bytes) {
    std::size_t sent = 0;
    while (fd_ >= 0 && sent < bytes.size()) {
        const ssize_t count = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return;
        sent += static_cast<std::size_t>(count);
    }
}

bool SimClient::readSome(Clock::time_point deadline) {
    if (fd_ < 0 || closed_) return false;
    const auto left = std::chrono::duration_cast<Duration>(deadline - Clock::now()).count();
    pollfd entry{fd_, POLLIN, 0};
    if (::poll(&entry, 1, static_cast<int>(std::max<long long>(0, left))) <= 0) return false;
    char chunk[65536];
    const ssize_t count = ::recv(fd_, chunk, sizeof chunk, 0);
    if (count <= 0) {
        closed_ = true;
        return false;
    }
    buffer_.append(chunk, static_cast<std::size_t>(count));
    return true;
}

std::optional<std::string> SimClient::nextMessage(Duration timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (const auto end = buffer_.find('\0'); end != std::string::npos) {
            std::string message = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            return message;
        }
        if (!readSome(deadline)) return std::nullopt;
    }
}

std::optional<SimClient::Frame> SimClient::nextFrame(Duration timeout) {
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        const auto message = nextMessage(std::chrono::duration_cast<Duration>(deadline - Clock::now()));
        if (!message) return std::nullopt;
        const auto parsed = nlohmann::json::parse(*message, nullptr, false);
        if (parsed.is_object() && parsed.contains("path") && parsed["path"].is_string())
            return Frame{parsed["path"].get<std::string>(), parsed.value("data", nlohmann::json())};
    }
    return std::nullopt;
}

std::optional<SimClient::Frame> SimClient::frameOn(const std::string& path, Duration timeout) {
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline) {
        auto frame = nextFrame(std::chrono::duration_cast<Duration>(deadline - Clock::now()));
        if (!frame) return std::nullopt;
        if (frame->path == path) return frame;
    }
    return std::nullopt;
}

std::string SimClient::pendingBytes(std::size_t count, Duration timeout) {
    const auto deadline = Clock::now() + timeout;
    while (buffer_.size() < count && readSome(deadline)) {}
    return buffer_;
}

bool SimClient::waitForClose(Duration timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!closed_ && Clock::now() < deadline) {
        if (!readSome(deadline) && !closed_) return false;
        buffer_.clear();
    }
    return closed_;
}

}  // namespace quillmark::testing

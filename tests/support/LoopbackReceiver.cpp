#include "LoopbackReceiver.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quillmark::testing {

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool readSome(int fd, std::string& into) {
    pollfd ready{fd, POLLIN, 0};
    if (::poll(&ready, 1, 5000) <= 0) return false;
    char buffer[8192];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    into.append(buffer, static_cast<std::size_t>(n));
    return true;
}

}  // namespace

LoopbackReceiver::LoopbackReceiver() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 16) != 0)
        return;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    if (::pipe2(wakeFds_, O_CLOEXEC) != 0) return;
    thread_ = std::thread([this] { serve(); });
}

LoopbackReceiver::~LoopbackReceiver() {
    if (thread_.joinable()) {
        const char stop = 's';
        [[maybe_unused]] const ssize_t written = ::write(wakeFds_[1], &stop, 1);
        thread_.join();
    }
    for (int fd : {listener_, wakeFds_[0], wakeFds_[1]})
        if (fd >= 0) ::close(fd);
}

void LoopbackReceiver::respondWith(int status, std::string extraHeaders) {
    std::lock_guard lock(mutex_);
    status_ = status;
    extraHeaders_ = std::move(extraHeaders);
}

std::vector<LoopbackReceiver::Request> LoopbackReceiver::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void LoopbackReceiver::serve() {
    for (;;) {
        pollfd fds[2] = {{listener_, POLLIN, 0}, {wakeFds_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents) return;
        if (!(fds[0].revents & POLLIN)) continue;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        handle(client);
        ::close(client);
    }
}

void LoopbackReceiver::handle(int fd) {
    std::string data;
    std::size_t headerEnd;
    while ((headerEnd = data.find("\r\n\r\n")) == std::string::npos)
        if (!readSome(fd, data)) return;
    Request request;
    const std::string head = data.substr(0, headerEnd);
    std::size_t lineEnd = head.find("\r\n");
    const std::string requestLine = head.substr(0, lineEnd);
    request.method = requestLine.substr(0, requestLine.find(' '));
    request.target = requestLine.substr(request.method.size() + 1, requestLine.rfind(' ') - request.method.size() - 1);
    while (lineEnd != std::string::npos && lineEnd < head.size()) {
        const std::size_t next = head.find("\r\n", lineEnd + 2);
        const std::string line =
            head.substr(lineEnd + 2, next == std::string::npos ? std::string::npos : next - lineEnd - 2);
        const auto colon = line.find(':');
        if (colon != std::string::npos) {
            std::string value = line.substr(colon + 1);
            value.erase(0, value.find_first_not_of(' '));
            request.headers[lower(line.substr(0, colon))] = value;
        }
        lineEnd = next;
    }
    const std::size_t length =
        request.headers.count("content-length") ? std::stoul(request.headers["content-length"]) : 0;
    request.body = data.substr(headerEnd + 4);
    while (request.body.size() < length)
        if (!readSome(fd, request.body)) return;

    std::string answer;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(std::move(request));
        answer = "HTTP/1.1 " + std::to_string(status_) + " Answer\r\nContent-Length: 2\r\nConnection: close\r\n" +
                 extraHeaders_ + "\r\n{}";
    }
    [[maybe_unused]] const ssize_t written = ::write(fd, answer.data(), answer.size());
}

}  // namespace quillmark::testing

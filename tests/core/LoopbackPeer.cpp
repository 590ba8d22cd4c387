#include "LoopbackPeer.h"

#include <asio/executor_work_guard.hpp>
#include <asio/post.hpp>
#include <asio/write.hpp>

#include <array>
#include <future>

namespace quillmark::testing {

struct LoopbackPeer::Link {
    explicit Link(asio::io_context& io, int number) : socket(io), number(number) {}
    asio::ip::tcp::socket socket;
    int number;
    std::string pending;
    bool reading = true;
    std::array<char, 65536> buffer{};
};

LoopbackPeer::LoopbackPeer() : acceptor_(io_, {asio::ip::address_v4::loopback(), 0}) {
    port_ = acceptor_.local_endpoint().port();
    accept();
    thread_ = std::thread([this] {
        const auto work = asio::make_work_guard(io_);
        io_.run();
    });
}

LoopbackPeer::~LoopbackPeer() {
    io_.stop();
    thread_.join();
}

std::uint16_t LoopbackPeer::unusedPort() {
    asio::io_context io;
    asio::ip::tcp::acceptor acceptor(io, {asio::ip::address_v4::loopback(), 0});
    return acceptor.local_endpoint().port();
}

void LoopbackPeer::accept() {
    auto link = std::make_shared<Link>(io_, static_cast<int>(links_.size()) + 1);
    acceptor_.async_accept(link->socket, [this, link](const std::error_code& error) {
        if (error) return;
        asio::error_code ignored;
        link->socket.set_option(asio::ip::tcp::no_delay(true), ignored);
        links_.push_back(link);
        {
            std::lock_guard lock(mutex_);
            connections_ = link->number;
            latestOpen_ = true;
        }
        changed_.notify_all();
        read(link);
        accept();
    });
}

void LoopbackPeer::read(std::shared_ptr<Link> link) {
    auto& socket = link->socket;
    socket.async_read_some(asio::buffer(link->buffer), [this, link](const std::error_code& error, std::size_t n) {
        const auto at = Clock::now();
        std::lock_guard lock(mutex_);
        if (error) {
            if (link == links_.back()) latestOpen_ = false;
            changed_.notify_all();
            return;
        }
        link->pending.append(link->buffer.data(), n);
        for (std::size_t end; (end = link->pending.find('\0')) != std::string::npos;) {
            messages_.push_back({link->number, link->pending.substr(0, end), at});
            link->pending.erase(0, end + 1);
        }
        changed_.notify_all();
        if (link->reading) read(link);
    });
}

void LoopbackPeer::onEngine(std::function<void()> work) {
    std::promise<void> done;
    asio::post(io_, [&] {
        work();
        done.set_value();
    });
    done.get_future().wait();
}

void LoopbackPeer::write(std::string bytes) {
    std::promise<void> done;
    asio::post(io_, [&] {
        if (links_.empty()) return done.set_value();
        asio::async_write(links_.back()->socket, asio::buffer(bytes),
                          [&](const std::error_code&, std::size_t) { done.set_value(); });
    });
    done.get_future().wait();
}

void LoopbackPeer::writeInParts(const std::vector<std::string>& parts, std::chrono::milliseconds pause) {
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) std::this_thread::sleep_for(pause);
        write(parts[i]);
    }
}

void LoopbackPeer::stopReading() {
    onEngine([this] {
        if (!links_.empty()) links_.back()->reading = false;
    });
}

void LoopbackPeer::closeConnection() {
    onEngine([this] {
        if (links_.empty()) return;
        asio::error_code ignored;
        links_.back()->socket.shutdown(asio::socket_base::shutdown_both, ignored);
        links_.back()->socket.close(ignored);
    });
}

void LoopbackPeer::resetConnection() {
    onEngine([this] {
        if (links_.empty()) return;
        asio::error_code ignored;
        links_.back()->socket.set_option(asio::socket_base::linger(true, 0), ignored);
        links_.back()->socket.close(ignored);
    });
}

void LoopbackPeer::stopListening() {
    onEngine([this] {
        asio::error_code ignored;
        acceptor_.close(ignored);
        for (auto& link : links_) link->socket.close(ignored);
    });
}

int LoopbackPeer::connectionCount() const {
    std::lock_guard lock(mutex_);
    return connections_;
}

bool LoopbackPeer::latestConnectionOpen() const {
    std::lock_guard lock(mutex_);
    return latestOpen_;
}

std::vector<LoopbackPeer::Message> LoopbackPeer::messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<LoopbackPeer::Message> LoopbackPeer::messages(std::string_view text) const {
    std::vector<Message> matching;
    for (auto& message : messages())
        if (message.text == text) matching.push_back(message);
    return matching;
}

bool LoopbackPeer::waitUntil(const std::function<bool(const LoopbackPeer&)>& condition,
                             std::chrono::milliseconds timeout) const {
    const auto deadline = Clock::now() + timeout;
    while (!condition(*this)) {
        if (Clock::now() >= deadline) return false;
        // Short slices: a change between the check and the wait is not lost for long.
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace quillmark::testing

#include "Session.h"

#include "TaskFailure.h"

#include <algorithm>
#include <array>
#include <exception>
#include <iostream>

namespace quillmark::sim {

Session::Session(asio::ip::tcp::socket socket, int id, SessionHandler& handler)
    : socket_(std::move(socket)), wakeWriter_(socket_.get_executor(), asio::steady_timer::time_point::max()), id_(id),
      handler_(handler) {}

void Session::start() {
    asio::error_code ignored;
    socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
    asio::co_spawn(socket_.get_executor(), readLoop(shared_from_this()), reportTaskFailure("connection"));
    asio::co_spawn(socket_.get_executor(), writeLoop(shared_from_this()), reportTaskFailure("connection"));
}

void Session::send(std::string bytes) {
    if (!open_) return;
    queuedBytes_ += bytes.size();
    if (queuedBytes_ > kMaxQueuedBytes) {
        close();
        return;
    }
    queue_.push_back(std::move(bytes));
    wakeWriter_.cancel();
}

void Session::close() {
    if (!open_) return;
    open_ = false;
    asio::error_code ignored;
    socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
    wakeWriter_.cancel();
    queue_.clear();
    queuedBytes_ = 0;
    handler_.onClosed(*this);
}

bool Session::subscribe(const std::string& propertyPath) { return subscriptions_.insert(propertyPath).second; }

bool Session::isSubscribed(const std::string& propertyPath) const { return subscriptions_.contains(propertyPath); }

bool Session::subscribeMeter(const MeterGenerator::MeterPath& meter) {
    const bool known = std::any_of(meters_.begin(), meters_.end(), [&](const auto& other) {
        return other.outputPath == meter.outputPath && other.meterIndex == meter.meterIndex;
    });
    if (!known) meters_.push_back(meter);
    return !known;
}

asio::awaitable<void> Session::readLoop([[maybe_unused]] std::shared_ptr<Session> self) {
    std::array<char, 65536> buffer;
    while (open_) {
        auto [error, count] =
            co_await socket_.async_read_some(asio::buffer(buffer), asio::experimental::as_tuple(asio::use_awaitable));
        if (error) {
            close();
            co_return;
        }
        takeBytes(buffer.data(), count);
    }
}

void Session::takeBytes(const char* data, std::size_t size) {
    for (std::size_t start = 0; start < size && open_;) {
        const char* end = std::find(data + start, data + size, '\0');
        const std::size_t length = static_cast<std::size_t>(end - (data + start));
        if (!skippingOversized_) pending_.append(data + start, length);
        if (pending_.size() > kMaxRequestBytes) {
            pending_.clear();
            skippingOversized_ = true;
            handler_.onOversizedRequest(*this);
        }
        if (end == data + size) return;
        if (!skippingOversized_) handler_.onMessage(*this, pending_);
        pending_.clear();
        skippingOversized_ = false;
        start += length + 1;
    }
}

asio::awaitable<void> Session::writeLoop([[maybe_unused]] std::shared_ptr<Session> self) {
    while (open_) {
        if (queue_.empty()) {
            co_await wakeWriter_.async_wait(asio::experimental::as_tuple(asio::use_awaitable));
            continue;
        }
        std::string bytes;
        for (auto& message : queue_) bytes += message;
        queue_.clear();
        queuedBytes_ = 0;
        auto [error, written] =
            co_await asio::async_write(socket_, asio::buffer(bytes), asio::experimental::as_tuple(asio::use_awaitable));
        if (error) {
            close();
            co_return;
        }
    }
}

}  // namespace quillmark::sim

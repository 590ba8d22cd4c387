#pragma once

#include "MeterGenerator.h"
#include "SessionHandler.h"

#include <asio.hpp>
#include <asio/experimental/as_tuple.hpp>

#include <deque>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace quillmark::sim {

// One client connection: splits the incoming byte stream at NUL bytes into requests, writes queued
// messages in order, and remembers what the client subscribed to.
class Session : public std::enable_shared_from_this<Session> {
public:
    // Longest request kept; longer ones are skipped up to their NUL.
    static constexpr std::size_t kMaxRequestBytes = 1 << 20;
    // A client that lets this much output pile up is disconnected.
    static constexpr std::size_t kMaxQueuedBytes = 64 << 20;

    Session(asio::ip::tcp::socket socket, int id, SessionHandler& handler);

    void start();
    // Queues bytes to write (one or more complete or deliberately broken messages).
    void send(std::string bytes);
    void close();

    int id() const { return id_; }
    bool isOpen() const { return open_; }

    // Returns false when the path was subscribed already.
    bool subscribe(const std::string& propertyPath);
    bool isSubscribed(const std::string& propertyPath) const;
    bool subscribeMeter(const MeterGenerator::MeterPath& meter);
    const std::vector<MeterGenerator::MeterPath>& meters() const { return meters_; }

private:
    asio::awaitable<void> readLoop([[maybe_unused]] std::shared_ptr<Session> self);
    asio::awaitable<void> writeLoop([[maybe_unused]] std::shared_ptr<Session> self);
    void takeBytes(const char* data, std::size_t size);

    asio::ip::tcp::socket socket_;
    asio::steady_timer wakeWriter_;
    int id_;
    SessionHandler& handler_;
    bool open_ = true;
    std::string pending_;
    bool skippingOversized_ = false;
    std::deque<std::string> queue_;
    std::size_t queuedBytes_ = 0;
    std::set<std::string> subscriptions_;
    std::vector<MeterGenerator::MeterPath> meters_;
};

}  // namespace quillmark::sim

#pragma once

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace quillmark::testing {

// A stand-in engine for client tests: listens on an ephemeral loopback port, records every
// NUL-terminated message it receives (per connection, with arrival time) and writes, closes or resets
// on the test's command. Commands return once done on the peer's own thread.
class LoopbackPeer {
public:
    using Clock = std::chrono::steady_clock;
    struct Message {
        int connection;  // 1 for the first accepted connection, 2 for the next, ...
        std::string text;
        Clock::time_point at;
    };

    LoopbackPeer();
    ~LoopbackPeer();
    LoopbackPeer(const LoopbackPeer&) = delete;
    LoopbackPeer& operator=(const LoopbackPeer&) = delete;

    // A loopback port where nothing listens (bound once, then released).
    static std::uint16_t unusedPort();

    std::uint16_t port() const { return port_; }

    // Writes to the latest connection, as one write.
    void write(std::string bytes);
    // Writes each part separately with a pause between, so that they tend to arrive in separate reads.
    void writeInParts(const std::vector<std::string>& parts, std::chrono::milliseconds pause);
    // Stops reading the latest connection (once the read under way ends) while keeping it open: an
    // engine that hangs. Connections accepted later are read as usual.
    void stopReading();
    // Ends the latest connection orderly (FIN), or abortively (RST).
    void closeConnection();
    void resetConnection();
    // Closes the listener and every connection: the engine quit.
    void stopListening();

    int connectionCount() const;
    bool latestConnectionOpen() const;
    std::vector<Message> messages() const;
    std::vector<Message> messages(std::string_view text) const;

    // Waits until `condition` holds over the peer's records, or `timeout` passes. Returns whether it held.
    bool waitUntil(const std::function<bool(const LoopbackPeer&)>& condition,
                   std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;

private:
    struct Link;
    void accept();
    void read(std::shared_ptr<Link> link);
    void onEngine(std::function<void()> work);

    asio::io_context io_;
    asio::ip::tcp::acceptor acceptor_;
    std::uint16_t port_ = 0;
    std::vector<std::shared_ptr<Link>> links_;  // touched on the peer's thread only
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<Message> messages_;
    int connections_ = 0;
    bool latestOpen_ = false;
    std::thread thread_;
};

}  // namespace quillmark::testing

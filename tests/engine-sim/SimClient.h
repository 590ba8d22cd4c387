#pragma once

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace quillmark::testing {

// A bare engine peer for the stand-in's own tests: a blocking loopback TCP socket that writes
// NUL-ended requests and splits what comes back at NUL bytes. Every read has a deadline.
class SimClient {
public:
    using Duration = std::chrono::milliseconds;
    static constexpr Duration kTimeout{3000};

    struct Frame {
        std::string path;
        nlohmann::json data;
    };

    // Connects at once; isConnected() tells whether it worked.
    explicit SimClient(std::uint16_t port);
    ~SimClient();
    SimClient(const SimClient&) = delete;
    SimClient& operator=(const SimClient&) = delete;

    bool isConnected() const { return fd_ >= 0; }
    // errno of a failed connect (ECONNREFUSED, ...), 0 after success.
    int connectError() const { return connectError_; }

    // Sends `text` and a NUL byte.
    void send(const std::string& text);
    void sendRaw(const std::string& bytes);

    // The next message (bytes before a NUL), or nothing at the deadline or the end of the stream.
    std::optional<std::string> nextMessage(Duration timeout = kTimeout);
    // The next message that is a JSON object with a string "path"; others are skipped.
    std::optional<Frame> nextFrame(Duration timeout = kTimeout);
    // The next frame on `path`; frames on other paths are skipped.
    std::optional<Frame> frameOn(const std::string& path, Duration timeout = kTimeout);
    // Raw bytes received and not yet taken as messages, after reading for up to `timeout` until
    // at least `count` of them are there.
    std::string pendingBytes(std::size_t count, Duration timeout = kTimeout);
    // Waits until the peer closes the connection.
    bool waitForClose(Duration timeout = kTimeout);

private:
    bool readSome(std::chrono::steady_clock::time_point deadline);

    int fd_ = -1;
    int connectError_ = 0;
    bool closed_ = false;
    std::string buffer_;
};

}  // namespace quillmark::testing

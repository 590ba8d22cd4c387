#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quillmark::testing {

// A tiny HTTP server on an ephemeral loopback port that stands in for a crash-report collector: it
// keeps every request and answers each with the status set by respondWith() (200 by default).
class LoopbackReceiver {
public:
    struct Request {
        std::string method;
        std::string target;
        std::map<std::string, std::string> headers;  // names in lower case
        std::string body;
    };

    LoopbackReceiver();
    ~LoopbackReceiver();
    LoopbackReceiver(const LoopbackReceiver&) = delete;
    LoopbackReceiver& operator=(const LoopbackReceiver&) = delete;

    std::uint16_t port() const { return port_; }
    // The status and extra header lines ("Retry-After: 60\r\n") of every later answer.
    void respondWith(int status, std::string extraHeaders = {});
    std::vector<Request> requests() const;

private:
    void serve();
    void handle(int fd);

    int listener_ = -1;
    int wakeFds_[2] = {-1, -1};
    std::uint16_t port_ = 0;
    mutable std::mutex mutex_;
    std::vector<Request> requests_;
    int status_ = 200;
    std::string extraHeaders_;
    std::thread thread_;
};

}  // namespace quillmark::testing

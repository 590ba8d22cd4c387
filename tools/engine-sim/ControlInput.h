#pragma once

#include <asio.hpp>
#include <asio/experimental/as_tuple.hpp>

#include <functional>
#include <string>

namespace quillmark::sim {

// Reads control lines from standard input without blocking the server and hands each one over.
// End of input only ends the reading; the server keeps serving.
class ControlInput {
public:
    using LineHandler = std::function<void(const std::string&)>;

    ControlInput(asio::io_context& io, LineHandler handler);

    // False when standard input cannot be watched (a regular file or /dev/null): no control lines.
    bool start();

private:
    asio::awaitable<void> readLoop();

    asio::posix::stream_descriptor input_;
    LineHandler handler_;
};

}  // namespace quillmark::sim

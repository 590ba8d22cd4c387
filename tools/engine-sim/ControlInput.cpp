#include "ControlInput.h"

#include <iostream>
#include <unistd.h>

namespace quillmark::sim {

ControlInput::ControlInput(asio::io_context& io, LineHandler handler) : input_(io), handler_(std::move(handler)) {}

bool ControlInput::start() {
    const int fd = ::dup(STDIN_FILENO);
    if (fd < 0) return false;
    asio::error_code error;
    input_.assign(fd, error);
    if (error) {
        ::close(fd);
        return false;
    }
    asio::co_spawn(input_.get_executor(), readLoop(), [](std::exception_ptr failure) {
        if (failure) std::cerr << "quillmark-engine-sim: control input stopped" << std::endl;
    });
    return true;
}

asio::awaitable<void> ControlInput::readLoop() {
    std::string buffer;
    for (;;) {
        auto [error, length] = co_await asio::async_read_until(input_, asio::dynamic_buffer(buffer), '\n',
                                                               asio::experimental::as_tuple(asio::use_awaitable));
        if (error) co_return;
        std::string line = buffer.substr(0, length - 1);
        buffer.erase(0, length);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
        if (!line.empty()) handler_(line);
    }
}

}  // namespace quillmark::sim

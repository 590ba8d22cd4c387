#pragma once

#include <cstddef>
#include <cstdint>

namespace quillmark {

// Writes text and numbers to a file descriptor through a buffer on the stack, using nothing but
// write(2): usable inside a signal handler.
class SignalSafeWriter {
public:
    explicit SignalSafeWriter(int fd) noexcept : fd_(fd) {}
    ~SignalSafeWriter() { flush(); }
    SignalSafeWriter(const SignalSafeWriter&) = delete;
    SignalSafeWriter& operator=(const SignalSafeWriter&) = delete;

    SignalSafeWriter& text(const char* text) noexcept;
    SignalSafeWriter& bytes(const char* data, std::size_t size) noexcept;
    SignalSafeWriter& hex(std::uint64_t value) noexcept;
    SignalSafeWriter& decimal(std::int64_t value) noexcept;
    SignalSafeWriter& put(char c) noexcept;
    void flush() noexcept;
    bool failed() const noexcept { return failed_; }

private:
    int fd_;
    char buffer_[1024];
    std::size_t used_ = 0;
    bool failed_ = false;
};

}  // namespace quillmark

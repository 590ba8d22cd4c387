#include "platform/crash/SignalSafeWriter.h"

#include <cerrno>
#include <unistd.h>

namespace quillmark {

SignalSafeWriter& SignalSafeWriter::put(char c) noexcept {
    if (used_ == sizeof buffer_) flush();
    buffer_[used_++] = c;
    return *this;
}

SignalSafeWriter& SignalSafeWriter::bytes(const char* data, std::size_t size) noexcept {
    for (std::size_t i = 0; i < size; ++i) put(data[i]);
    return *this;
}

SignalSafeWriter& SignalSafeWriter::text(const char* text) noexcept {
    while (*text) put(*text++);
    return *this;
}

SignalSafeWriter& SignalSafeWriter::hex(std::uint64_t value) noexcept {
    char digits[16];
    int count = 0;
    do {
        digits[count++] = "0123456789abcdef"[value & 0xf];
        value >>= 4;
    } while (value != 0);
    text("0x");
    while (count > 0) put(digits[--count]);
    return *this;
}

SignalSafeWriter& SignalSafeWriter::decimal(std::int64_t value) noexcept {
    char digits[20];
    int count = 0;
    const bool negative = value < 0;
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) put('-');
    while (count > 0) put(digits[--count]);
    return *this;
}

void SignalSafeWriter::flush() noexcept {
    std::size_t done = 0;
    while (done < used_ && !failed_) {
        const ssize_t n = ::write(fd_, buffer_ + done, used_ - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) failed_ = true;
        else done += static_cast<std::size_t>(n);
    }
    used_ = 0;
}

}  // namespace quillmark

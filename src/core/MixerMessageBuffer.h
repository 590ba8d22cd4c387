#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillmark {

// Splits the engine's byte stream into NUL-terminated messages, whatever the read boundaries.
// Unterminated data above maximumUnterminatedBytes is discarded, so the buffer never grows without bound.
class MixerMessageBuffer {
public:
    static constexpr std::size_t maximumUnterminatedBytes = 8 * 1024 * 1024;

    // Hands each complete message (NUL excluded; possibly empty) to `onMessage` in order. The view is
    // valid only during the call.
    template <class OnMessage>
    void ingest(std::string_view bytes, OnMessage&& onMessage);

    // Bytes received and not yet ended by a NUL.
    std::size_t pendingBytes() const noexcept { return pending_.size(); }
    void clear() noexcept;

private:
    std::string pending_;
};

template <class OnMessage>
void MixerMessageBuffer::ingest(std::string_view bytes, OnMessage&& onMessage) {
    // Messages that arrive whole are handed on straight from `bytes`; only a tail is copied.
    std::size_t start = 0;
    if (!pending_.empty()) {
        const std::size_t end = bytes.find('\0');
        if (end == std::string_view::npos) {
            pending_.append(bytes);
            if (pending_.size() > maximumUnterminatedBytes) clear();
            return;
        }
        pending_.append(bytes.substr(0, end));
        const std::string message = std::move(pending_);
        pending_.clear();
        onMessage(std::string_view(message));
        start = end + 1;
    }
    for (std::size_t end; (end = bytes.find('\0', start)) != std::string_view::npos; start = end + 1)
        onMessage(bytes.substr(start, end - start));
    if (bytes.size() - start > maximumUnterminatedBytes) return;
    pending_.assign(bytes.substr(start));
}

}  // namespace quillmark

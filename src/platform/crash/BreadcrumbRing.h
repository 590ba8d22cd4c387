#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

namespace quillmark {

class SignalSafeWriter;

// The last breadcrumbs, as single-line JSON texts in slots allocated up front, so that a crash handler
// can write them out without allocating or locking.
class BreadcrumbRing {
public:
    static constexpr std::size_t capacity = 100;
    static constexpr std::size_t slotSize = 2048;

    // Keeps `json` (one line) in place of the oldest; a text that does not fit a slot is not kept.
    bool add(const std::string& json);
    void clear();
    // One "breadcrumb <json>" line each, oldest first. Async-signal-safe.
    void writeTo(SignalSafeWriter& writer) const noexcept;

private:
    struct Slot {
        std::atomic<std::uint32_t> size{0};  // 0 while empty or being written
        char text[slotSize];
    };
    std::mutex addMutex_;
    std::array<Slot, capacity> slots_{};
    std::atomic<std::size_t> next_{0};
};

}  // namespace quillmark

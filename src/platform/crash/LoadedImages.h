#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

namespace quillmark {

class SignalSafeWriter;

// The images (executable and shared objects) mapped into this process, with their load addresses and
// build ids. Listed ahead of time, since the loader's list cannot be walked safely in a crash handler:
// refresh() builds the next table aside and switches to it; writeTo() is async-signal-safe.
class LoadedImages {
public:
    static constexpr std::size_t capacity = 512;
    static constexpr std::size_t pathSize = 512;
    static constexpr std::size_t buildIdSize = 64;  // hex digits

    LoadedImages();

    void refresh();
    // Refreshes when objects were loaded or unloaded since the last refresh (dlopen, dlclose).
    void refreshIfChanged();
    std::size_t count() const noexcept;
    // One "image <start> <size> <build id or -> <path>" line each. Async-signal-safe.
    void writeTo(SignalSafeWriter& writer) const noexcept;

    struct Entry {
        std::uint64_t start = 0;
        std::uint64_t size = 0;
        char buildId[buildIdSize + 1] = {};
        char path[pathSize] = {};
    };

private:
    struct Table {
        std::size_t count = 0;
        std::array<Entry, capacity> entries;
    };
    static std::uint64_t loaderGeneration();

    std::mutex refreshMutex_;
    std::unique_ptr<Table[]> tables_;
    std::atomic<int> active_{0};
    std::uint64_t generation_ = 0;
};

}  // namespace quillmark

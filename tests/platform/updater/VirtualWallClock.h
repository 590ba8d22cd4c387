#pragma once

#include "ManualMainQueue.h"

#include <chrono>

namespace quillmark::testing {

// Wall time that moves with a manual queue's virtual clock, starting at a fixed date.
inline std::chrono::system_clock::time_point virtualWallTime(const ManualMainQueue& queue) {
    using namespace std::chrono;
    const system_clock::time_point start{seconds(1'796'000'000)};  // late 2026
    return start + duration_cast<system_clock::duration>(queue.now().time_since_epoch());
}

}  // namespace quillmark::testing

#include "platform/crash/AppHangDetector.h"

namespace quillmark {

void AppHangDetector::beat(Clock::time_point now) {
    std::lock_guard lock(mutex_);
    lastBeat_ = now;
    reported_ = false;
}

std::optional<AppHangDetector::Clock::duration> AppHangDetector::poll(Clock::time_point now, bool paused) {
    std::lock_guard lock(mutex_);
    if (paused) {
        // A modal loop blocks on purpose; time spent in it does not count once it returns.
        lastBeat_ = now;
        reported_ = false;
        return std::nullopt;
    }
    const auto blocked = now - lastBeat_;
    if (reported_ || blocked < threshold_) return std::nullopt;
    reported_ = true;
    return blocked;
}

}  // namespace quillmark
